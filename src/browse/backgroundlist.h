#ifndef QUORVEX_BACKGROUNDLIST_H
#define QUORVEX_BACKGROUNDLIST_H

#include <QObject>
#include <QStringList>

#include <functional>
#include <mutex>

class QThread;

// Makes a list in a thread of its own, so that a read over years of records
// never holds the window. One at a time, and the latest request wins: a request
// made while one runs replaces any waiting one, and the running one's result is
// dropped. Owned by the window and used on the GUI thread; the job must be safe
// to run in another thread.
class TBackgroundList : public QObject
{
    Q_OBJECT

public:
    using TJob = std::function<QStringList()>;

    explicit TBackgroundList(QObject *parent = nullptr);
    ~TBackgroundList() override;

    void Start(TJob job);
    bool Is_Busy() const { return d_thread != nullptr; }
    // No result of what runs or waits now will be given.
    void Drop();
    // Drops, and waits for the running job to end.
    void Stop();

signals:
    void Finished(QStringList list);

private:
    void Run_Next();
    void Thread_Done();

    QThread *d_thread;
    TJob d_waiting;
    bool d_dropped;
    // The result passes from the job's thread under this lock.
    std::mutex d_mutex;
    QStringList d_result;
};

#endif
