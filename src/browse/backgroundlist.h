#ifndef QUORVEX_BACKGROUNDLIST_H
#define QUORVEX_BACKGROUNDLIST_H

#include <QObject>
#include <QStringList>

#include <functional>

class TBackgroundJob;

// Makes a list in the background, so that a read over years of records never
// holds the window; the latest request wins. Owned by the window and used on
// the GUI thread; the job must be safe to run in another thread.
class TBackgroundList : public QObject
{
    Q_OBJECT

public:
    using TJob = std::function<QStringList()>;

    explicit TBackgroundList(QObject *parent = nullptr);

    void Start(TJob job);
    bool Is_Busy() const;
    // No result of what runs or waits now will be given.
    void Drop();
    // Drops, and waits for the running job to end.
    void Stop();

signals:
    void Finished(QStringList list);

private:
    TBackgroundJob *d_job;
};

#endif
