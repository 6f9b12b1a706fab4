#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>

// Records and closes the real message boxes the code under test shows. The static
// QMessageBox functions run a nested event loop, and the watcher's timer fires inside
// it: each box is recorded once, then closed with its Ok button after the hold time.
class MessageBoxWatcher : public QObject
{
public:
    struct SeenBox
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QWidget *parent = nullptr; // for comparison only: it may be gone by now
        bool modal = false;
    };

    explicit MessageBoxWatcher(QObject *parent = nullptr) : QObject(parent)
    {
        connect(&timer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
        timer.start(20);
    }
    QList<SeenBox> boxes() const { return seen; }
    QStringList titles() const
    {
        QStringList titles;
        for (const SeenBox &box : seen)
            titles << box.title;
        return titles;
    }
    void clear() { seen.clear(), closedCount = 0; }
    // Spins the event loop until at least count boxes were seen and closed.
    bool waitForBoxes(int count, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return seen.size() >= count && closedCount >= count; }, timeoutMs);
    }
    void setHoldMs(int ms) { holdMs = ms; }
    // Called once per box while it is open, as an event of its own: it may open boxes
    // or spin event loops itself.
    void setOnShown(std::function<void(const SeenBox &)> hook) { onShown = std::move(hook); }

private:
    void poll()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            const auto known = [box](const auto &o) { return o.first == box; };
            if (!box || !box->isVisible() || std::any_of(open.cbegin(), open.cend(), known))
                continue;
            open.append(qMakePair(QPointer<QMessageBox>(box), QElapsedTimer()));
            open.last().second.start();
            seen.append({box->icon(), box->windowTitle(), box->text(), box->standardButtons(), box->parentWidget(),
                         box->isModal()});
            // Queued, like the click below: Qt never re-enters a timer's slot, so a modal
            // loop started from poll() would starve the watcher and leave later boxes open.
            if (onShown)
                QMetaObject::invokeMethod(this, [this, box = seen.last()] { onShown(box); }, Qt::QueuedConnection);
        }
        for (int i = open.size() - 1; i >= 0; --i) {
            QPointer<QMessageBox> box = open[i].first;
            if (!box || !box->isVisible()) {
                open.removeAt(i);
                ++closedCount;
            } else if (open[i].second.isValid() && open[i].second.elapsed() >= holdMs) {
                open[i].second.invalidate(); // pressed once
                QMetaObject::invokeMethod(box, [box] { box->button(QMessageBox::Ok)->click(); }, Qt::QueuedConnection);
            }
        }
    }

    QTimer timer;
    QList<SeenBox> seen;
    QList<QPair<QPointer<QMessageBox>, QElapsedTimer>> open; // and how long each has been
    int closedCount = 0, holdMs = 0;
    std::function<void(const SeenBox &)> onShown;
};
