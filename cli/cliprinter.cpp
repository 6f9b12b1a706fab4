#include "cli/cliprinter.h"

#include "detection/cameranames.h"
#include "update/progresstext.h"

#include <QDateTime>
#include <QJsonDocument>

#include <cstdio>

namespace {
constexpr int redrawEveryMs = 200;

QString phaseName(UpdatePhase phase)
{
    switch (phase) {
    case UpdatePhase::Downloading: return QStringLiteral("downloading");
    case UpdatePhase::Writing: return QStringLiteral("writing");
    case UpdatePhase::VerifyingCard: return QStringLiteral("verifying-card");
    case UpdatePhase::Pushing: return QStringLiteral("pushing");
    case UpdatePhase::Saving: return QStringLiteral("saving");
    case UpdatePhase::VerifyingCopy: return QStringLiteral("verifying-copy");
    }
    return QString();
}

// Where it is, for a script: the mount point, or the serial.
QString location(const AttachedCamera &camera)
{
    return camera.location;
}

QString oneLine(QString text)
{
    return text.replace('\n', ' ');
}
}

CliPrinter::CliPrinter(bool json, bool liveTerminal, int giveUpMs) : json(json), live(liveTerminal && !json), giveUpMs(giveUpMs)
{
    clock.start();
}

void CliPrinter::listed(const AttachedCamera &camera, bool needsUpdate)
{
    if (json)
        return printJson({{"camera", camera.id()}, {"model", camera.entry.model}, {"installed", camera.installedVersion},
                          {"available", camera.entry.version}, {"brand", camera.reportedBrand},
                          {"location", location(camera)}, {"needsUpdate", needsUpdate}});
    printLine(QStringLiteral("%1  %2  installed %3, available %4, brand %5, %6")
                  .arg(camera.id(), camera.entry.model, camera.installedVersion, camera.entry.version,
                       camera.reportedBrand.isEmpty() ? QStringLiteral("none") : camera.reportedBrand,
                       needsUpdate ? QStringLiteral("needs an update") : QStringLiteral("up to date")));
}

void CliPrinter::unreadable(const AttachedCamera &camera)
{
    const QString error = QStringLiteral("Unable to read version info.");
    if (json)
        return printJson({{"camera", camera.id()}, {"model", camera.entry.model}, {"error", error},
                          {"available", camera.entry.version}, {"brand", camera.reportedBrand},
                          {"location", location(camera)}, {"needsUpdate", false}});
    printLine(QStringLiteral("%1  %2  %3").arg(camera.id(), camera.entry.model, error));
}

void CliPrinter::progress(const QString &name, const UpdateProgress &progress)
{
    if (live) {
        Rate &measured = rates[name];
        if (measured.phase != progress.phase)
            measured = {progress.phase, {}};
        measured.rate.sample(clock.elapsed(), progress.done);
        liveLines.insert(name, name + "  "
                                   + progressStepText(progress, measured.rate.bytesPerSecond(), 0, giveUpMs)
                                         .replace('\n', ": "));
        if (!sinceRedraw.isValid() || sinceRedraw.hasExpired(redrawEveryMs))
            redrawLive();
        return;
    }
    // A line per step, and for a script a figure a second within a step.
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    const auto before = told.constFind(name);
    const bool newStep = before == told.cend() || before->phase != progress.phase;
    if (!newStep && (!json || before->second == second))
        return;
    told.insert(name, {progress.phase, second});
    if (json)
        return printJson({{"event", "progress"}, {"camera", name}, {"phase", phaseName(progress.phase)},
                          {"done", progress.done}, {"total", progress.total}});
    printLine(name + "  " + progressStepText({progress.phase, 0, -1, 0}, 0, 0, 0).section('\n', 0, 0));
}

void CliPrinter::result(const AttachedCamera &camera, const UpdateOutcome &ended, const UpdateMessage &message)
{
    done(camera.id());
    if (json) {
        const std::optional<int> code = outcomeCode(ended.end);
        const QJsonValue outcome = code ? QJsonValue(*code) : QJsonValue(outcomeName(ended.end));
        return printJson({{"event", "result"}, {"camera", camera.id()}, {"model", camera.entry.model},
                          {"outcome", outcome}, {"title", message.title}, {"text", message.text}});
    }
    printLine(QStringLiteral("%1  %2  %3").arg(camera.id(), message.title, oneLine(message.text)));
    if (live)
        redrawLive();
}

void CliPrinter::line(const QString &name, const QString &text)
{
    done(name);
    printLine(name + "  " + text);
    if (live)
        redrawLive();
}

void CliPrinter::done(const QString &name)
{
    liveLines.remove(name);
    rates.remove(name);
}

void CliPrinter::note(const QString &line)
{
    std::fprintf(stderr, "vek-updater-cli: %s\n", qPrintable(line));
}

void CliPrinter::printLine(const QString &line)
{
    // A line printed between live redraws goes above them: the live lines are drawn anew.
    if (live && linesShown > 0) {
        std::printf("\x1b[%dA\x1b[J", linesShown);
        linesShown = 0;
    }
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void CliPrinter::printJson(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

void CliPrinter::redrawLive()
{
    sinceRedraw.start();
    if (linesShown > 0)
        std::printf("\x1b[%dA\x1b[J", linesShown);
    for (const QString &line : qAsConst(liveLines))
        std::printf("%s\n", qPrintable(line));
    linesShown = liveLines.size();
    std::fflush(stdout);
}
