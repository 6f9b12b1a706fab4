#pragma once

#include "update/updatemessages.h"

#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QWidget>

#include <functional>

// Shows the window's message boxes one at a time, in the order they were asked for,
// each a static modal box with the window as its parent and the one button Ok. A box
// opens from the event loop, never from inside the code that asked for it: what tells
// of a result (the registry, the update queue) goes on while the box waits.
class BoxQueue : public QObject
{
    Q_OBJECT
public:
    explicit BoxQueue(QWidget *window);

    // afterClosed runs once the technician has closed the box.
    void show(const UpdateMessage &message, std::function<void()> afterClosed = {});
    // Drops the boxes not shown yet: the window is closing.
    void clear();

private:
    struct Box
    {
        UpdateMessage message;
        std::function<void()> afterClosed;
    };
    void showNext();

    QPointer<QWidget> window;
    QQueue<Box> waiting;
    bool showing = false;
};
