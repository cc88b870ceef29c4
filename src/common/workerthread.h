#ifndef QUORVEX_WORKERTHREAD_H
#define QUORVEX_WORKERTHREAD_H

#include <QObject>
#include <QString>

#include <functional>

class QThread;

// A worker object that lives as long as its owner on a thread of its own (the
// forwarding to the central database, the fleet's reads): the owner talks to
// it by its posted calls and by signals only. The worker is deleted on its own thread
// as that ends, where what it holds was made and used. Ending follows the same
// rule as TBackgroundJob's: Stop waits at most LIMIT_MSEC when given one, and a
// thread still running then is left to end on its own.
class TWorkerThread : public QObject
{
    Q_OBJECT

public:
    // Takes WORKER (made without a parent) onto a new thread named NAME and starts it.
    TWorkerThread(QObject *worker, const QString &name, QObject *parent = nullptr);
    // Stops without a limit.
    ~TWorkerThread() override;

    // CALL runs on the worker's thread, after what was posted before; dropped
    // once the worker is gone.
    void Post(std::function<void()> call) const;
    // Runs FINISH on the worker's thread (to let go of what it holds there),
    // then ends the thread and waits for it; true if it ended.
    bool Stop(const std::function<void()> &finish = {}, int limit_msec = -1);

private:
    QThread *d_thread;
    QObject *d_worker;
    std::function<void(std::function<void()>)> d_to_worker;
};

#endif
