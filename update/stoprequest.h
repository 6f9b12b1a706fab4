#pragma once

#include <QObject>

// Lets whoever watches an update ask it to give up, for instance because the camera
// went away. Lives in the GUI thread; the waits of the update listen for raised().
class StopRequest : public QObject
{
    Q_OBJECT
public:
    void raise()
    {
        if (raisedOnce)
            return;
        raisedOnce = true;
        emit raised();
    }
    bool isRaised() const { return raisedOnce; }

signals:
    void raised();

private:
    bool raisedOnce = false;
};
