#ifndef QUORVEX_BACKGROUNDJOB_H
#define QUORVEX_BACKGROUNDJOB_H

#include <QObject>

#include <functional>

class QThread;
class THandover;

// The one way work runs in the background: a job in a thread of its own, its
// result handed back on the owner's (GUI) thread. One job at a time; a job
// asked for while one runs waits, replacing any that waited before (the
// latest wins), and the running one's results are dropped.
//
// The rule for ending, written once here: Stop drops whatever the running job
// would still hand back, then waits for it to end, at most LIMIT_MSEC when
// given one; a job still running then (a network gone silent) is left to end
// on its own, its thread deleting itself, and nothing of it arrives. A job
// therefore holds copies of what it needs, never its owner; one that reads
// what its owner closes after Stop (the station's file) is waited for without
// a limit, which its own end bounds.
class TBackgroundJob : public QObject
{
    Q_OBJECT

public:
    // Hands a result back: runs on the owner's thread, unless dropped.
    using TDelivery = std::function<void()>;
    // For a job that hands back more than once (a report before its statistics).
    using TPost = std::function<void(TDelivery)>;
    // Runs on the job's thread; what it returns is its last delivery (may be empty).
    using TWork = std::function<TDelivery(const TPost &post)>;

    explicit TBackgroundJob(QObject *parent = nullptr);
    // Stops without a limit.
    ~TBackgroundJob() override;

    void Start(TWork work);
    bool Is_Busy() const { return d_thread != nullptr; }
    // Nothing of what runs or waits now is handed back.
    void Drop();
    // Drops, and waits for the running job to end (see above); true if it did.
    bool Stop(int limit_msec = -1);

private:
    void Run_Next();
    void Thread_Done(QThread *thread);

    QThread *d_thread;
    THandover *d_handover;
    TWork d_waiting;
    // Counts the jobs started and dropped: a delivery made for an older count is stale.
    quint64 d_generation;
};

#endif
