#include "src/common/backgroundjob.h"

#include "src/common/handover.h"
#include "src/common/leftthreads.h"

#include <QDeadlineTimer>
#include <QThread>

TBackgroundJob::TBackgroundJob(QObject *parent)
    : QObject(parent), d_thread(nullptr), d_handover(new THandover(this)), d_generation(0)
{
}

TBackgroundJob::~TBackgroundJob()
{
    Stop();
}

void TBackgroundJob::Start(TWork work)
{
    d_waiting = std::move(work);
    if (!d_thread)
        Run_Next();
    else
        ++d_generation;
}

void TBackgroundJob::Drop()
{
    d_waiting = nullptr;
    ++d_generation;
}

void TBackgroundJob::Run_Next()
{
    const TWork work = std::move(d_waiting);
    d_waiting = nullptr;
    const quint64 generation = ++d_generation;
    // Deliveries go through the hand-over of this object: once it is gone (or
    // the job dropped) they are never run.
    const THandover::TPost to_owner = d_handover->Poster();
    const TPost post = [this, to_owner, generation](TDelivery delivery)
    {
        if (!delivery)
            return;
        to_owner(
            [this, generation, delivery]()
            {
                if (d_generation == generation)
                    delivery();
            });
    };
    d_thread = QThread::create([work, post]() { post(work(post)); });
    QThread *thread = d_thread;
    connect(d_thread, &QThread::finished, this, [this, thread]() { Thread_Done(thread); });
    d_thread->start();
}

// Queued after the job's last delivery, so that it arrives before the next job starts.
void TBackgroundJob::Thread_Done(QThread *thread)
{
    if (thread != d_thread)
        return;
    d_thread->deleteLater();
    d_thread = nullptr;
    if (d_waiting)
        Run_Next();
}

bool TBackgroundJob::Stop(int limit_msec)
{
    Drop();
    if (!d_thread)
        return true;
    QThread *thread = d_thread;
    d_thread = nullptr;
    if (thread->wait(limit_msec < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(limit_msec)))
    {
        delete thread;
        return true;
    }
    // Left to end on its own; nothing of it arrives (its deliveries are stale).
    thread->disconnect(this);
    thread->setParent(nullptr);
    TLeftThreads::Leave(thread);
    return false;
}
