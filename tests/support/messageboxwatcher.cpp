#include "messageboxwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QtTest/QTest>

MessageBoxWatcher::MessageBoxWatcher(QObject *parent) : QObject(parent)
{
    connect(&pollTimer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    pollTimer.start(20);
}

QStringList MessageBoxWatcher::titles() const
{
    QStringList titles;
    for (const SeenBox &box : seen)
        titles << box.title;
    return titles;
}

bool MessageBoxWatcher::waitForBoxes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return seen.size() >= count && closedCount >= count; }, timeoutMs);
}

void MessageBoxWatcher::poll()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible()
            || std::any_of(open.cbegin(), open.cend(), [box](const OpenBox &o) { return o.box == box; }))
            continue;
        open.append({box, {}, false});
        open.last().shownFor.start();
        seen.append({box->icon(), box->windowTitle(), box->text(), box->standardButtons(), box->parentWidget(),
                     box->isModal()});
        // Queued, like the click below: Qt never re-enters a timer's slot, so a modal loop
        // started from inside poll() would starve the watcher and leave later boxes open.
        if (onShown)
            QMetaObject::invokeMethod(this, [this, box = seen.last()] { onShown(box); }, Qt::QueuedConnection);
    }
    for (int i = open.size() - 1; i >= 0; --i) {
        OpenBox &entry = open[i];
        if (!entry.box || !entry.box->isVisible()) {
            open.removeAt(i);
            ++closedCount;
        } else if (!entry.closing && entry.shownFor.elapsed() >= holdMs) {
            entry.closing = true;
            QMetaObject::invokeMethod(entry.box, [box = entry.box] { box->button(QMessageBox::Ok)->click(); },
                                      Qt::QueuedConnection);
        }
    }
}
