#pragma once

#include "catalogue/cataloguesigning.h"
#include "catalogue/firmwaresource.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct CliRequest
{
    enum class Command { List, Update, Watch, History, Fetch, Keys, Slots };
    enum class KeysAction { Generate, Trust, List };
    Command command = Command::List;
    bool json = false;
    bool csv = false;
    FirmwareSource source;
    QStringList cameras;   // update: the ids named; none means all
    QString folder;        // fetch: where the catalogue and images go
    QStringList models;    // fetch: the models named; none means all
    QDateTime since;       // history: records from then on
    QString metricsFolder; // list, update, watch: where the station's metrics go; empty: none
    QString stationName;   // list, update, watch: the bench's name in them; empty: the host name
    FolderSigning signing; // fetch: the key that signs the folder, if any
    KeysAction keysAction = KeysAction::List;
    QString keyFile;       // keys generate, keys trust: the key file
    QString keyName;       // keys generate, keys trust: the signer's name; empty: the file's
    QString slotPath;      // slots name: the USB port path; empty: list the named slots
    QString slotName;      // slots name: the name; empty: forget it
};

// Reads the arguments. --help and --version are answered here, and a wrong command
// line is told on standard error with the usage: either way the program is then to
// end with the exit code given.
std::optional<CliRequest> parseCommandLine(const QStringList &arguments, int *exitCode);
