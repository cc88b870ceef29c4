#include "src/browse/backgroundlist.h"

#include <QThread>

TBackgroundList::TBackgroundList(QObject *parent) : QObject(parent), d_thread(nullptr), d_dropped(false) {}

TBackgroundList::~TBackgroundList()
{
    Stop();
}

void TBackgroundList::Start(TJob job)
{
    d_waiting = std::move(job);
    if (!d_thread)
        Run_Next();
}

void TBackgroundList::Drop()
{
    d_waiting = nullptr;
    d_dropped = d_thread != nullptr;
}

void TBackgroundList::Run_Next()
{
    TJob job = std::move(d_waiting);
    d_waiting = nullptr;
    d_thread = QThread::create(
        [this, job]()
        {
            QStringList result = job();
            std::lock_guard<std::mutex> lock(d_mutex);
            d_result = std::move(result);
        });
    connect(d_thread, &QThread::finished, this, &TBackgroundList::Thread_Done);
    d_thread->start();
}

void TBackgroundList::Thread_Done()
{
    if (!d_thread || sender() != d_thread)
        return;
    d_thread->deleteLater();
    d_thread = nullptr;
    const bool dropped = d_dropped;
    d_dropped = false;
    if (d_waiting)
        return Run_Next();
    if (dropped)
        return;
    QStringList result;
    {
        std::lock_guard<std::mutex> lock(d_mutex);
        result.swap(d_result);
    }
    emit Finished(result);
}

void TBackgroundList::Stop()
{
    Drop();
    d_dropped = false;
    if (!d_thread)
        return;
    QThread *thread = d_thread;
    d_thread = nullptr;
    thread->wait();
    delete thread;
}
