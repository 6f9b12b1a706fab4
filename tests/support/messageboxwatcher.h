#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

// Records and closes the message boxes that the code under test shows.
//
// The boxes are real: the static QMessageBox functions run exec(), a nested
// event loop, and the watcher's timer fires inside that loop. Each box is
// recorded once, when first seen, and then closed with its Ok button (or its
// first button) after the hold time.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT
public:
    struct SeenBox
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QWidget *parent = nullptr; // for comparison only: it may be gone by now
        bool modal = false;
    };

    explicit MessageBoxWatcher(QObject *parent = nullptr);

    QList<SeenBox> boxes() const;
    void clear();
    // Spins the event loop until at least count boxes were seen and closed.
    bool waitForBoxes(int count, int timeoutMs = 10000);
    // Keeps each box open this long, so that timers and nested loops run under it.
    void setHoldMs(int ms);
    // Called once per box, while it is still open. It runs as an event of its
    // own, so it may show boxes or spin event loops itself.
    void setOnShown(std::function<void(const SeenBox &)> hook);

private:
    struct OpenBox
    {
        QPointer<QMessageBox> box;
        QElapsedTimer shownFor;
        bool closing = false;
    };

    void poll();
    void noticeNewBoxes();
    void closeHeldBoxes();
    static SeenBox describe(QMessageBox *box);
    static void press(QMessageBox *box);

    QTimer pollTimer;
    QList<SeenBox> seen;
    QList<OpenBox> open;
    int closedCount = 0;
    int holdMs = 0;
    std::function<void(const SeenBox &)> onShown;
};
