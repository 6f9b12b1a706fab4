#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

// Records and closes the real message boxes the code under test shows. The static
// QMessageBox functions run a nested event loop, and the watcher's timer fires inside
// it: each box is recorded once, then closed with its Ok button after the hold time.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT
public:
    struct SeenBox
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QWidget *parent = nullptr; // for comparison only: it may be gone by now
        bool modal = false;
    };

    explicit MessageBoxWatcher(QObject *parent = nullptr);
    QList<SeenBox> boxes() const { return seen; }
    QStringList titles() const;
    void clear() { seen.clear(), closedCount = 0; }
    // Spins the event loop until at least count boxes were seen and closed.
    bool waitForBoxes(int count, int timeoutMs = 10000);
    void setHoldMs(int ms) { holdMs = ms; }
    // Called once per box while it is open, as an event of its own: it may open boxes
    // or spin event loops itself.
    void setOnShown(std::function<void(const SeenBox &)> hook) { onShown = std::move(hook); }

private:
    struct OpenBox
    {
        QPointer<QMessageBox> box;
        QElapsedTimer shownFor;
        bool closing = false;
    };
    void poll();

    QTimer pollTimer;
    QList<SeenBox> seen;
    QList<OpenBox> open;
    int closedCount = 0;
    int holdMs = 0;
    std::function<void(const SeenBox &)> onShown;
};
