#ifndef QUORVEX_MONITORPROCESS_H
#define QUORVEX_MONITORPROCESS_H

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class TBackgroundJob;

// Watches, as a background job, whether the measurement software's main
// window exists and shows, and reports each change with Class_Visible on the
// owner's thread. Each run has a stop flag of its own, so a run asked to end
// ends on its own flag whatever runs after it; a run started while the last
// one is still ending follows it, and nothing more of the old run arrives.
class TMonitorProcess : public QObject
{
    Q_OBJECT

public:
    explicit TMonitorProcess(const QString &window_class, QObject *parent = nullptr);
    // Asks the run to end and waits for it.
    ~TMonitorProcess() override;

    void Start();
    // Asks the run to end; Finished follows when it has.
    void Stop();
    // Asks the run to end and waits for it (a tenth of a second, at most a
    // second more while a window settles); nothing more of it arrives.
    void Stop_And_Wait();
    bool Is_Running() const;

signals:
    void Started();
    void Class_Visible(bool visible);
    void Finished();

private:
    TBackgroundJob *d_job;
    const QString d_window_class;
    std::shared_ptr<std::atomic<bool>> d_stop;
};

#endif
