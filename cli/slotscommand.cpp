#include "cli/slotscommand.h"

#include "cli/cliprinter.h"
#include "cli/exitcodes.h"
#include "station/slotnames.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int runSlotsCommand(const CliRequest &request)
{
    if (!request.slotPath.isEmpty()) {
        QString why;
        if (!SlotNames::set(request.slotPath, request.slotName, &why)) {
            CliPrinter::note(why);
            return ExitCode::Usage;
        }
        return ExitCode::Done;
    }
    const QMap<QString, QString> names = SlotNames::all();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (request.json)
            std::printf("%s\n", QJsonDocument(QJsonObject{{"slot", it.key()}, {"name", it.value()}})
                                    .toJson(QJsonDocument::Compact)
                                    .constData());
        else
            std::printf("%s  %s\n", qPrintable(it.key()), qPrintable(it.value()));
    }
    return ExitCode::Done;
}
