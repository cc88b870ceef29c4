#include "src/common/leftthreads.h"

#include <QThread>

#include <cstdlib>
#include <mutex>
#include <set>

namespace
{
// The threads left and still counted, under a lock of ours: the count goes
// down on the thread itself, through a connection made on another one.
std::mutex left_mutex;
std::set<const QThread *> left;

void Count_Down(const QThread *thread)
{
    std::lock_guard<std::mutex> lock(left_mutex);
    left.erase(thread);
}
} // namespace

void TLeftThreads::Leave(QThread *thread)
{
    {
        std::lock_guard<std::mutex> lock(left_mutex);
        left.insert(thread);
    }
    // Counted down once, by the thread itself as it ends (the owner's event
    // loop may be gone by then), or here if it ended before it was connected.
    // The slot holds nothing: what it reads is under the lock.
    QObject::connect(
        thread, &QThread::finished, thread, []() { Count_Down(QThread::currentThread()); },
        Qt::DirectConnection);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
    {
        Count_Down(thread);
        thread->deleteLater();
    }
}

int TLeftThreads::Running()
{
    std::lock_guard<std::mutex> lock(left_mutex);
    return int(left.size());
}

void TLeftThreads::Exit_If_Running(int code)
{
    if (Running() > 0)
        std::_Exit(code);
}
