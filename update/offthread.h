#pragma once

#include <QEventLoop>
#include <QThread>

#include <future>
#include <memory>
#include <type_traits>

// Runs work in a thread of its own and waits for its result in a local event loop, so
// that the window keeps painting and the poll timer keeps ticking meanwhile. The work
// gets its inputs by value and hands back a value: nothing is shared while it runs.
//
// This is how every step of an update leaves the GUI thread (download, card, push);
// only detection keeps the long-lived adb worker. A thread per step, rather than a
// pool, because a step is long and Qt Core alone offers no futures that a local event
// loop can wait on.
//
// When stopSignal of stopper comes first, the wait ends early just the same, and the
// thread is asked to stop: a loop over chunks and the download both look for that.
template<typename Work, typename Stopper = QObject, typename StopSignal = void (QObject::*)()>
auto runOffGuiThread(Work work, const Stopper *stopper = nullptr, StopSignal stopSignal = nullptr)
    -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    std::packaged_task<Result()> task(std::move(work));
    std::future<Result> result = task.get_future();
    std::unique_ptr<QThread> thread(QThread::create(std::move(task)));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    if (stopper)
        QObject::connect(stopper, stopSignal, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    // The loop also ends when the application quits under it, or on the stop signal;
    // the work still has to end, and work that can stop early is asked to.
    if (!thread->isFinished())
        thread->requestInterruption();
    thread->wait();
    return result.get();
}
