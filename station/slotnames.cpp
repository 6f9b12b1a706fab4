#include "station/slotnames.h"

#include "outside/settings.h"

#include <algorithm>

namespace {
const QString group = QStringLiteral("slots");
constexpr int longestName = 40;

// Settings keys treat '/' and '\' as group separators; port paths hold neither.
bool isPlainText(const QString &text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}
}

QString SlotNames::of(const QString &portPath)
{
    if (portPath.isEmpty())
        return QString();
    return workstationSettings()->value(group + '/' + portPath).toString();
}

QMap<QString, QString> SlotNames::all()
{
    const std::unique_ptr<QSettings> settings = workstationSettings();
    settings->beginGroup(group);
    QMap<QString, QString> names;
    for (const QString &portPath : settings->childKeys())
        names.insert(portPath, settings->value(portPath).toString());
    return names;
}

bool SlotNames::set(const QString &portPath, const QString &name, QString *why)
{
    if (portPath.isEmpty() || portPath.contains('/') || portPath.contains('\\') || !isPlainText(portPath)) {
        *why = QStringLiteral("\"%1\" is no USB port path such as 1-4.3").arg(portPath);
        return false;
    }
    const QString trimmed = name.trimmed();
    if (trimmed.size() > longestName || !isPlainText(trimmed)) {
        *why = QStringLiteral("a slot's name is at most %1 characters, without control characters").arg(longestName);
        return false;
    }
    const std::unique_ptr<QSettings> settings = workstationSettings();
    if (trimmed.isEmpty())
        settings->remove(group + '/' + portPath);
    else
        settings->setValue(group + '/' + portPath, trimmed);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        *why = "cannot write " + settings->fileName();
        return false;
    }
    return true;
}
