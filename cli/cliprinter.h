#pragma once

#include "cli/livelines.h"
#include "cli/terminal.h"
#include "detection/attachedcamera.h"
#include "update/progresstext.h"
#include "update/updatemessages.h"
#include "update/updateoutcome.h"
#include "update/updateprogress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QMap>
#include <QString>

// What the command line prints: plain lines for a person, or JSON Lines for a script
// (then nothing else on standard output). On a terminal, progress is a live line per
// camera, fitted to the terminal (livelines.h), below the lines that stay; elsewhere a
// line per step. Diagnostics go to standard error, each line starting with the
// program's name. Lines for a person are in the language of the user's locale, where
// the program has a translation for it; JSON Lines are always in English.
class CliPrinter
{
    Q_DECLARE_TR_FUNCTIONS(CliPrinter)

public:
    CliPrinter(bool json, bool liveTerminal, int giveUpMs);
    ~CliPrinter();
    CliPrinter(const CliPrinter &) = delete;
    CliPrinter &operator=(const CliPrinter &) = delete;

    // A camera of the list, and whether it needs the catalogue's version.
    void listed(const AttachedCamera &camera, bool needsUpdate);
    // A camera whose version file cannot be read.
    void unreadable(const AttachedCamera &camera);
    // Progress of one camera, or of one image of a fetch, by the name it is told by.
    void progress(const QString &name, const UpdateProgress &progress);
    // How a camera's update ended, worded from the source the image was to come from.
    void result(const AttachedCamera &camera, const UpdateOutcome &outcome, const FirmwareSource &source);
    // A line of its own about something named, ending its live line.
    void line(const QString &name, const QString &text);
    static void note(const QString &line);
    // What Qt and the core print (qDebug, qWarning) goes out as notes too.
    static void noteQtMessages();
    // The terminal has changed size: the live lines are fitted to it anew.
    void terminalResized();

private:
    void done(const QString &name);
    void printLine(const QString &line);
    void printJson(const QJsonObject &object);
    void eraseLive();
    void drawLive();
    void redrawLive();

    const bool json;
    const bool live;
    const int giveUpMs; // how long a silent download is waited for
    // The live lines, by camera id, and how many are on the screen now.
    LiveLines liveLines;
    TerminalSize size;
    int linesShown = 0;
    QElapsedTimer sinceRedraw, clock;
    // Per live line, the speed over the last seconds and the step it measures.
    struct Rate
    {
        UpdatePhase phase = UpdatePhase::Downloading;
        TransferRate rate;
    };
    QMap<QString, Rate> rates;
    // Per camera, the step last told and the second it was told in.
    struct Told
    {
        UpdatePhase phase;
        qint64 second;
    };
    QMap<QString, Told> told;
};
