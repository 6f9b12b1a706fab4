#pragma once

#include "update/cardwriter.h"
#include "update/imagedestination.h"

#include <memory>

// A camera's card, or a folder that a bench without internet updates from: the image
// is written whole or not at all (see CardImageWriter).
class CardDestination : public ImageDestination
{
public:
    enum class Kind { Card, Folder };
    CardDestination(const CardSpot &spot, Kind kind);
    ~CardDestination() override;

    UpdateOutcome open() override;
    bool take(const char *data, qint64 size) override;
    bool restart() override;
    UpdateOutcome refusal() const override;
    bool stillThere() const override;
    UpdateOutcome place(const QByteArray &digest, const StopFlag &stop, const ProgressReport &report) override;
    UpdatePhase writingPhase() const override;

private:
    const CardSpot spot;
    const Kind kind;
    std::unique_ptr<CardImageWriter> writer;
    qint64 taken = 0;
};
