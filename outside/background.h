#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Lowers the calling thread's scheduling priority a little below the program's own.
void giveWayToForeground();

// How work leaves the GUI thread (or any thread that must stay responsive): it runs
// in a thread of its own, gets its inputs by value, and hands back values, posted to
// the thread of the object that asked. Nothing mutable is shared while it runs.
//
// The thread is detached. A step can hang in the kernel on a card that stopped
// answering, or in a process; nobody ever joins such a thread, so a hung card never
// holds up the window, a stop or the program's end. The work learns of a stop through
// a StopFlag, and its late results go nowhere once their receiver is gone.
//
// Such a thread gives way to the window: on a workstation with few cores, eight cards
// written at once would otherwise keep the GUI thread waiting for a core for 100 ms
// and more. It still gets every core that the window leaves idle.
template<typename Work>
void runInBackground(Work work)
{
    std::thread([work = std::move(work)]() mutable {
        giveWayToForeground();
        work();
    }).detach();
}

// Where work in another thread delivers: a handle that posts a call to its owner's
// thread, where it runs from the event loop, unless the owner has gone by then.
class ReplyAddress
{
public:
    void post(std::function<void()> delivery) const;

private:
    friend class Mailbox;
    struct State
    {
        std::mutex mutex;
        QObject *owner = nullptr;
    };
    std::shared_ptr<State> state;
};

// Belongs to the object that receives; closes when the object goes, after which
// nothing is delivered to it (Qt drops what was posted and not yet delivered).
class Mailbox
{
public:
    explicit Mailbox(QObject *owner);
    ~Mailbox();
    Mailbox(const Mailbox &) = delete;
    Mailbox &operator=(const Mailbox &) = delete;

    ReplyAddress address() const { return replyAddress; }

private:
    ReplyAddress replyAddress;
};

// A value that work in another thread will produce, for a waiter that may give up
// after a while (a volume that does not answer in time is passed over).
template<typename T>
class Pending
{
public:
    void fulfil(T value) const
    {
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->value = std::move(value);
        state->ready.notify_all();
    }
    // The value, when it came within timeoutMs.
    std::optional<T> waitFor(int timeoutMs) const
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        state->ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return state->value.has_value(); });
        return state->value;
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<T> value;
    };
    std::shared_ptr<State> state = std::make_shared<State>();
};
