#pragma once

#include <QEventLoop>
#include <QThread>

#include <future>
#include <memory>
#include <type_traits>

// Runs work in a thread of its own and waits for its result in a local event loop, so
// that the window keeps painting and the poll timer keeps ticking meanwhile. The work
// gets its inputs by value and hands back a value: nothing is shared while it runs.
template<typename Work>
auto runOffGuiThread(Work work) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    std::packaged_task<Result()> task(std::move(work));
    std::future<Result> result = task.get_future();
    std::unique_ptr<QThread> thread(QThread::create(std::move(task)));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    // The loop also ends when the application quits under it; the work still has to end,
    // and work that can stop early is asked to.
    if (!thread->isFinished())
        thread->requestInterruption();
    thread->wait();
    return result.get();
}
