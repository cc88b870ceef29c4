#include "src/common/workerthread.h"

#include "src/common/handover.h"
#include "src/common/leftthreads.h"

#include <QDeadlineTimer>
#include <QThread>

TWorkerThread::TWorkerThread(QObject *worker, const QString &name, QObject *parent)
    : QObject(parent), d_thread(new QThread), d_worker(worker)
{
    d_thread->setObjectName(name);
    // The worker's child, so that it moves with it and goes with it.
    d_to_worker = (new THandover(worker))->Poster();
    worker->moveToThread(d_thread);
    connect(d_thread, &QThread::finished, worker, &QObject::deleteLater);
    d_thread->start();
}

TWorkerThread::~TWorkerThread()
{
    Stop();
}

void TWorkerThread::Post(std::function<void()> call) const
{
    d_to_worker(std::move(call));
}

bool TWorkerThread::Stop(const std::function<void()> &finish, int limit_msec)
{
    if (!d_thread)
        return true;
    QThread *thread = d_thread;
    d_thread = nullptr;
    // Queued behind what the worker was asked before, and the thread ends only after it.
    d_to_worker(
        [finish, thread]()
        {
            if (finish)
                finish();
            thread->quit();
        });
    d_worker = nullptr;
    if (thread->wait(limit_msec < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(limit_msec)))
    {
        delete thread;
        return true;
    }
    TLeftThreads::Leave(thread);
    return false;
}
