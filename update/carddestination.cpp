#include "update/carddestination.h"

CardDestination::CardDestination(const CardSpot &spot, Kind kind) : spot(spot), kind(kind) {}

CardDestination::~CardDestination() = default;

namespace {
UpdateOutcome outcomeOf(const CardWriteResult &written)
{
    UpdateOutcome outcome;
    outcome.end = written.end;
    outcome.detail = written.detail;
    return outcome;
}
}

UpdateOutcome CardDestination::open()
{
    writer = std::make_unique<CardImageWriter>(spot);
    return writer->refusal() ? outcomeOf(*writer->refusal()) : outcomeOf({UpdateEnd::Installed, {}});
}

bool CardDestination::take(const char *data, qint64 size)
{
    taken += size;
    return writer->take(data, size);
}

bool CardDestination::restart()
{
    taken = 0;
    return writer->restart();
}

UpdateOutcome CardDestination::refusal() const
{
    return outcomeOf(writer->refusal() ? *writer->refusal() : CardWriteResult{});
}

bool CardDestination::stillThere() const
{
    return isCardStillMounted(spot);
}

UpdateOutcome CardDestination::place(const QByteArray &digest, const StopFlag &stop, const ProgressReport &report)
{
    const UpdatePhase verifying = kind == Kind::Card ? UpdatePhase::VerifyingCard : UpdatePhase::VerifyingCopy;
    return outcomeOf(writer->finish(digest, stop, [&report, verifying, this](qint64 done) {
        if (report)
            report({verifying, done, taken, 0});
    }));
}

UpdatePhase CardDestination::writingPhase() const
{
    return kind == Kind::Card ? UpdatePhase::Writing : UpdatePhase::Saving;
}
