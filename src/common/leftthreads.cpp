#include "src/common/leftthreads.h"

#include <QThread>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace
{
std::atomic<int> running{0};
} // namespace

void TLeftThreads::Leave(QThread *thread)
{
    ++running;
    // Counted down once, by the thread itself as it ends (the owner's event
    // loop may be gone by then), or here if it ended before it was connected.
    const auto counted = std::make_shared<std::atomic<bool>>(true);
    const auto done = [counted]()
    {
        if (counted->exchange(false))
            --running;
    };
    QObject::connect(thread, &QThread::finished, thread, done, Qt::DirectConnection);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
    {
        done();
        thread->deleteLater();
    }
}

int TLeftThreads::Running()
{
    return running.load();
}

void TLeftThreads::Exit_If_Running(int code)
{
    if (Running() > 0)
        std::_Exit(code);
}
