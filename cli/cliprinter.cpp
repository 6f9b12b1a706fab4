#include "cli/cliprinter.h"

#include "detection/cameranames.h"
#include "update/progresstext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>

namespace {
constexpr int redrawEveryMs = 200;

// The printer whose live lines are on the terminal now: a note, which may go to the same
// terminal, is written above them.
CliPrinter *drawing = nullptr;

void writeNote(const QString &line)
{
    std::fprintf(stderr, "vek-updater-cli: %s\n", qPrintable(line));
    std::fflush(stderr);
}

// Qt ends the program itself after a fatal message.
void noteQtMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    // A message from another thread is written as it stands: the live lines belong to
    // the thread that draws them.
    const bool drawingThread = QCoreApplication::instance()
                               && QThread::currentThread() == QCoreApplication::instance()->thread();
    for (const QString &line : message.split('\n')) {
        if (drawingThread)
            CliPrinter::note(line);
        else
            writeNote(line);
    }
}

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


QString oneLine(QString text)
{
    return text.replace('\n', ' ');
}
}

CliPrinter::CliPrinter(bool json, bool liveTerminal, int giveUpMs)
    : json(json), live(liveTerminal && !json), giveUpMs(giveUpMs), size(terminalSize().value_or(TerminalSize()))
{
    clock.start();
    if (live)
        drawing = this;
}

CliPrinter::~CliPrinter()
{
    if (drawing == this)
        drawing = nullptr;
}

void CliPrinter::listed(const AttachedCamera &camera, bool needsUpdate)
{
    if (json)
        return printJson({{"camera", camera.id()}, {"model", camera.entry.model}, {"installed", camera.installedVersion},
                          {"available", camera.entry.version}, {"brand", camera.reportedBrand},
                          {"location", cameraLocation(camera)}, {"slot", camera.slot}, {"needsUpdate", needsUpdate},
                          {"writable", camera.writable}});
    printLine(tr("%1  %2  installed %3, available %4, brand %5, %6%7")
                  .arg(camera.id(), camera.entry.model, camera.installedVersion, camera.entry.version,
                       camera.reportedBrand.isEmpty() ? tr("none") : camera.reportedBrand,
                       needsUpdate ? tr("needs an update") : tr("up to date"),
                       camera.slot.isEmpty()       ? QString()
                       : camera.slotName.isEmpty() ? tr(", slot %1").arg(camera.slot)
                                                   : tr(", slot %1 (%2)").arg(camera.slotName, camera.slot)));
}

void CliPrinter::unreadable(const AttachedCamera &camera)
{
    if (json)
        return printJson({{"camera", camera.id()}, {"model", camera.entry.model},
                          {"error", QStringLiteral("Unable to read version info.")},
                          {"available", camera.entry.version}, {"brand", camera.reportedBrand},
                          {"location", cameraLocation(camera)}, {"needsUpdate", false}});
    printLine(QStringLiteral("%1  %2  %3").arg(camera.id(), camera.entry.model, tr("Unable to read version info.")));
}

void CliPrinter::progress(const QString &name, const UpdateProgress &progress)
{
    if (live) {
        Rate &measured = rates[name];
        if (measured.phase != progress.phase)
            measured = {progress.phase, {}};
        measured.rate.sample(clock.elapsed(), progress.done);
        liveLines.set(name,
                      progressStepText(progress, measured.rate.bytesPerSecond(), 0, giveUpMs).replace('\n', ": "),
                      progress);
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

void CliPrinter::result(const AttachedCamera &camera, const UpdateOutcome &ended, const FirmwareSource &source)
{
    done(camera.id());
    if (json) {
        const UpdateMessage message = updateMessage(camera.entry, ended, source);
        const std::optional<int> code = outcomeCode(ended.end);
        const QJsonValue outcome = code ? QJsonValue(*code) : QJsonValue(outcomeName(ended.end));
        return printJson({{"event", "result"}, {"camera", camera.id()}, {"model", camera.entry.model},
                          {"outcome", outcome}, {"title", message.title}, {"text", message.text}});
    }
    const UpdateMessage message = translatedUpdateMessage(camera.entry, ended, source);
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
    told.remove(name);
}

void CliPrinter::note(const QString &line)
{
    if (drawing) {
        drawing->eraseLive();
        std::fflush(stdout);
    }
    writeNote(line);
    if (drawing)
        drawing->drawLive();
}

void CliPrinter::noteQtMessages()
{
    qInstallMessageHandler(noteQtMessage);
}

void CliPrinter::terminalResized()
{
    size = terminalSize().value_or(size);
    if (live)
        redrawLive();
}

void CliPrinter::printLine(const QString &line)
{
    // A line printed between live redraws goes above them: the live lines are drawn anew.
    if (live)
        eraseLive();
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void CliPrinter::printJson(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

void CliPrinter::eraseLive()
{
    if (linesShown > 0)
        std::printf("\x1b[%dA\x1b[J", linesShown);
    linesShown = 0;
}

void CliPrinter::drawLive()
{
    const QStringList lines = liveLines.fitted(size.columns, size.rows);
    for (const QString &line : lines)
        std::printf("%s\n", qPrintable(line));
    linesShown = lines.size();
    std::fflush(stdout);
}

void CliPrinter::redrawLive()
{
    sinceRedraw.start();
    eraseLive();
    drawLive();
}
