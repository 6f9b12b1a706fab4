#include "cli/livelines.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
// At most `width` characters of the line, control characters shown as '?': a name that
// comes from a card may hold some, and they would move the cursor. A character is taken
// to fill one column; wide ones may still make a line wrap.
QString cut(const QString &line, int width)
{
    QString kept;
    for (int i = 0, shown = 0; i < line.size() && shown < width; ++i, ++shown) {
        const QChar character = line.at(i);
        if (character.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()) {
            kept += character;
            kept += line.at(++i);
        } else {
            kept += character.category() == QChar::Other_Control ? QChar('?') : character;
        }
    }
    return kept;
}

// The name and the step on one line of at most `width` characters.
QString fit(const QString &name, const QString &step, int width)
{
    const QString separator = QStringLiteral("  ");
    const int nameRoom = qMax(width / 3, width - int(step.size() + separator.size()));
    QString shownName = name;
    if (name.size() > nameRoom) {
        const QString elided = QStringLiteral("...");
        shownName = elided + name.right(qMax(0, nameRoom - int(elided.size())));
    }
    return cut(shownName + separator + step, width);
}
}

void LiveLines::set(const QString &name, const QString &step, const UpdateProgress &progress)
{
    const double partDone = progress.total > 0 ? double(progress.done) / double(progress.total) : 0;
    lines.insert(name, {step, int(progress.phase) + qBound(0.0, partDone, 1.0)});
}

void LiveLines::remove(const QString &name)
{
    lines.remove(name);
}

QStringList LiveLines::fitted(int columns, int rows) const
{
    // The cursor's row stays free below the lines: were they to fill the screen, the top
    // one would scroll away, out of reach of the redraw. The last column stays empty too,
    // for terminals that wrap as soon as it is written.
    const int room = rows - 1, width = columns - 1;
    if (room <= 0 || width <= 0)
        return {};
    QStringList names = lines.keys();
    QString others;
    if (names.size() > room) {
        std::stable_sort(names.begin(), names.end(), [this](const QString &a, const QString &b) {
            return lines.value(a).stepsDone < lines.value(b).stepsDone;
        });
        const int more = int(names.size()) - (room - 1);
        others = QCoreApplication::translate("LiveLines", "... and %n more under way", nullptr, more);
        names = names.mid(0, room - 1);
        std::sort(names.begin(), names.end());
    }
    QStringList drawn;
    for (const QString &name : qAsConst(names))
        drawn << fit(name, lines.value(name).step, width);
    if (!others.isEmpty())
        drawn << cut(others, width);
    return drawn;
}
