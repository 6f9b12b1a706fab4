#include "app/boxqueue.h"

#include <QMessageBox>
#include <QTimer>

BoxQueue::BoxQueue(QWidget *window) : QObject(window), window(window) {}

void BoxQueue::show(const UpdateMessage &message, std::function<void()> afterClosed)
{
    waiting.enqueue({message, std::move(afterClosed)});
    QTimer::singleShot(0, this, &BoxQueue::showNext);
}

void BoxQueue::clear()
{
    waiting.clear();
}

void BoxQueue::showNext()
{
    if (showing || waiting.isEmpty() || !window)
        return;
    showing = true;
    const Box box = waiting.dequeue();
    const UpdateMessage &message = box.message;
    if (message.critical)
        QMessageBox::critical(window, message.title, message.text, QMessageBox::Ok, QMessageBox::NoButton);
    else
        QMessageBox::information(window, message.title, message.text, QMessageBox::Ok, QMessageBox::NoButton);
    showing = false;
    if (box.afterClosed)
        box.afterClosed();
    QTimer::singleShot(0, this, &BoxQueue::showNext);
}
