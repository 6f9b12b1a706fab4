#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

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
    QStringList titles() const { return seenTitles; }
    void clear() { seen.clear(), seenTitles.clear(); }
    void setHoldMs(int ms) { holdMs = ms; }
    // Called once per box while it is open, as an event of its own: it may open boxes
    // or spin event loops itself.
    void setOnShown(std::function<void(const SeenBox &)> hook) { onShown = std::move(hook); }

private:
    void poll()
    {
        open.removeAll(nullptr);
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible() || open.contains(box))
                continue;
            open.append(box);
            seen.append({box->icon(), box->windowTitle(), box->text(), box->standardButtons(), box->parentWidget(),
                         box->isModal()});
            seenTitles << box->windowTitle();
            // Timers of their own: Qt never re-enters a timer's slot, so a modal loop
            // started from poll() would starve the watcher and leave later boxes open.
            if (onShown)
                QTimer::singleShot(0, this, [this, seenBox = seen.last()] { onShown(seenBox); });
            QTimer::singleShot(holdMs, box, [box] { box->button(QMessageBox::Ok)->click(); });
        }
    }

    QTimer timer;
    QList<SeenBox> seen;
    QStringList seenTitles;
    QList<QPointer<QMessageBox>> open;
    int holdMs = 0;
    std::function<void(const SeenBox &)> onShown;
};
