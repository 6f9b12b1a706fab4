#include "outside/background.h"

#include <QMetaObject>

void ReplyAddress::post(std::function<void()> delivery) const
{
    // Posted under the lock, so the owner cannot go between the check and the post;
    // once it has gone, Qt removes the posted call with it.
    const std::lock_guard<std::mutex> lock(state->mutex);
    if (state->owner)
        QMetaObject::invokeMethod(state->owner, std::move(delivery), Qt::QueuedConnection);
}

Mailbox::Mailbox(QObject *owner)
{
    replyAddress.state = std::make_shared<ReplyAddress::State>();
    replyAddress.state->owner = owner;
}

Mailbox::~Mailbox()
{
    const std::lock_guard<std::mutex> lock(replyAddress.state->mutex);
    replyAddress.state->owner = nullptr;
}
