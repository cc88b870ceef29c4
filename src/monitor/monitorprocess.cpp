#include "src/monitor/monitorprocess.h"

#include "src/common/backgroundjob.h"

#include <QThread>

#include <functional>

#include <windows.h>

namespace
{
const int POLL_MSEC = 1000;
const int STEP_MSEC = 100;
const int SETTLE_MSEC = 1000;

using TStopFlag = std::shared_ptr<std::atomic<bool>>;

bool Window_Visible(const QString &window_class)
{
    HWND window = FindWindowW(reinterpret_cast<LPCWSTR>(window_class.utf16()), nullptr);
    return window && IsWindowVisible(window) != 0;
}

// False when the run was asked to end meanwhile.
bool Sleep_Unless_Stopped(int msec, const TStopFlag &stop)
{
    for (int slept = 0; slept < msec; slept += STEP_MSEC)
    {
        if (stop->load(std::memory_order_relaxed))
            return false;
        QThread::msleep(STEP_MSEC);
    }
    return !stop->load(std::memory_order_relaxed);
}
// Polls until asked to stop, reporting the first look and every change.
void Watch(const QString &window_class, const TStopFlag &stop, const std::function<void(bool)> &report)
{
    bool last_visible = false;
    bool first_poll = true;
    do
    {
        if (window_class.isEmpty())
            continue;
        const bool visible = Window_Visible(window_class);
        // A window that has just appeared is given a second before it is reported.
        if (!first_poll && visible && !last_visible && !Sleep_Unless_Stopped(SETTLE_MSEC, stop))
            return;
        if (first_poll || visible != last_visible)
            report(visible);
        last_visible = visible;
        first_poll = false;
    } while (Sleep_Unless_Stopped(POLL_MSEC, stop));
}
} // namespace

TMonitorProcess::TMonitorProcess(const QString &window_class, QObject *parent)
    : QObject(parent), d_job(new TBackgroundJob(this)), d_window_class(window_class),
      d_stop(std::make_shared<std::atomic<bool>>(true))
{
}

TMonitorProcess::~TMonitorProcess()
{
    Stop_And_Wait();
}

bool TMonitorProcess::Is_Running() const
{
    return d_job->Is_Busy();
}

void TMonitorProcess::Stop()
{
    d_stop->store(true, std::memory_order_relaxed);
}

void TMonitorProcess::Stop_And_Wait()
{
    Stop();
    d_job->Stop();
}

void TMonitorProcess::Start()
{
    d_stop->store(true, std::memory_order_relaxed);
    d_stop = std::make_shared<std::atomic<bool>>(false);
    const TStopFlag stop = d_stop;
    const QString window_class = d_window_class;
    d_job->Start(
        [this, stop, window_class](const TBackgroundJob::TPost &post) -> TBackgroundJob::TDelivery
        {
            post([this]() { emit Started(); });
            Watch(window_class, stop,
                  [this, post](bool visible) { post([this, visible]() { emit Class_Visible(visible); }); });
            return [this]() { emit Finished(); };
        });
}
