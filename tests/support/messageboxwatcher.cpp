#include "messageboxwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QtTest/QTest>

#include <algorithm>

MessageBoxWatcher::MessageBoxWatcher(QObject *parent) : QObject(parent)
{
    pollTimer.setInterval(20);
    connect(&pollTimer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    pollTimer.start();
}

QList<MessageBoxWatcher::SeenBox> MessageBoxWatcher::boxes() const
{
    return seen;
}

void MessageBoxWatcher::clear()
{
    seen.clear();
    closedCount = 0;
    // A box that is still open stays tracked so that it is closed, but it
    // will not be recorded again.
}

bool MessageBoxWatcher::waitForBoxes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return seen.size() >= count && closedCount >= count; },
                           timeoutMs);
}

void MessageBoxWatcher::setHoldMs(int ms)
{
    holdMs = ms;
}

void MessageBoxWatcher::setOnShown(std::function<void(const SeenBox &)> hook)
{
    onShown = std::move(hook);
}

void MessageBoxWatcher::poll()
{
    noticeNewBoxes();
    closeHeldBoxes();
}

void MessageBoxWatcher::noticeNewBoxes()
{
    QList<QWidget *> candidates = QApplication::topLevelWidgets();
    if (QWidget *modal = QApplication::activeModalWidget())
        candidates.prepend(modal);
    for (QWidget *widget : qAsConst(candidates)) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible())
            continue;
        const bool known = std::any_of(open.cbegin(), open.cend(),
                                       [box](const OpenBox &o) { return o.box == box; });
        if (known)
            continue;
        OpenBox entry{box, {}, false};
        entry.shownFor.start();
        open.append(entry);
        const SeenBox description = describe(box);
        seen.append(description);
        // Queued, like the click below: Qt never re-enters a timer's slot, so a
        // modal loop started from inside poll() would starve the watcher and
        // leave every later box open for good.
        if (onShown)
            QMetaObject::invokeMethod(this, [this, description] { onShown(description); },
                                      Qt::QueuedConnection);
    }
}

void MessageBoxWatcher::closeHeldBoxes()
{
    for (int i = 0; i < open.size();) {
        OpenBox &entry = open[i];
        if (!entry.box || !entry.box->isVisible()) {
            // Closed by the watcher or by someone else (the hook, the code under test).
            open.removeAt(i);
            ++closedCount;
            continue;
        }
        if (!entry.closing && entry.shownFor.elapsed() >= holdMs) {
            entry.closing = true;
            QMessageBox *box = entry.box;
            QMetaObject::invokeMethod(box, [box] { press(box); }, Qt::QueuedConnection);
        }
        ++i;
    }
}

MessageBoxWatcher::SeenBox MessageBoxWatcher::describe(QMessageBox *box)
{
    SeenBox description;
    description.icon = box->icon();
    description.title = box->windowTitle();
    description.text = box->text();
    description.buttons = box->standardButtons();
    description.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                     : QMessageBox::NoButton;
    description.parent = box->parentWidget();
    description.modal = box->isModal();
    return description;
}

void MessageBoxWatcher::press(QMessageBox *box)
{
    QAbstractButton *button = box->button(QMessageBox::Ok);
    if (!button && !box->buttons().isEmpty())
        button = box->buttons().constFirst();
    if (button)
        button->click();
    else
        box->close();
}
