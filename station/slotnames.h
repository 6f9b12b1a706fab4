#pragma once

#include <QMap>
#include <QString>

// The names a technician gives the slots of this workstation's USB tree, once ("A1" …
// "A8", "Hub 2 · 3"): kept in the workstation's settings, keyed by the slot's port path
// ("1-4.3"), so that a row, a progress line, a summary, the command line and the
// history say which camera on the tray it is.
namespace SlotNames {
// The name of the slot at portPath; empty when it has none.
QString of(const QString &portPath);
// Every named slot: port path to name.
QMap<QString, QString> all();
// Names the slot; an empty name forgets it. False, with why, for a name or a port path
// that cannot be one (empty, too long, or holding control characters).
bool set(const QString &portPath, const QString &name, QString *why);
}
