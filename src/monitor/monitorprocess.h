#ifndef QUORVEX_MONITORPROCESS_H
#define QUORVEX_MONITORPROCESS_H

#include <QString>
#include <QThread>

#include <atomic>

// Watches, in a thread of its own, whether the measurement software's main
// window exists and shows, and reports each change with Class_Visible. The
// object lives in the GUI thread as a child of the main window, which writes
// the window class and clears the stop flag before start(), and asks the run
// to end through that atomic flag. Destruction waits for a run still ending.
class TMonitorProcess : public QThread
{
    Q_OBJECT

public:
    explicit TMonitorProcess(QObject *parent = nullptr);
    ~TMonitorProcess() override;

    QString d_window_class;
    bool d_last_visible;
    std::atomic<bool> d_stop_requested;

signals:
    void Class_Visible(bool visible);

protected:
    void run() override;

private:
    bool Window_Visible() const;
};

#endif
