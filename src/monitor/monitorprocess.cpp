#include "src/monitor/monitorprocess.h"

#include <windows.h>

namespace
{
const int POLL_STEPS = 10;
const unsigned long STEP_MSEC = 100;
const unsigned long SETTLE_MSEC = 1000;
} // namespace

TMonitorProcess::TMonitorProcess(QObject *parent) : QThread(parent), d_last_visible(false), d_stop_requested(false) {}

TMonitorProcess::~TMonitorProcess()
{
    d_stop_requested.store(true, std::memory_order_relaxed);
    wait();
}

bool TMonitorProcess::Window_Visible() const
{
    HWND window = FindWindowW(reinterpret_cast<LPCWSTR>(d_window_class.utf16()), nullptr);
    return window && IsWindowVisible(window) != 0;
}

void TMonitorProcess::run()
{
    // The stop request is cleared by the owner before start(), not here: a
    // switch-off that comes before the run has begun must still end it.
    d_last_visible = false;
    bool first_poll = true;
    for (;;)
    {
        if (!d_window_class.isEmpty())
        {
            const bool visible = Window_Visible();
            if (first_poll)
                emit Class_Visible(visible);
            else if (visible != d_last_visible)
            {
                // A window that has just appeared is given a second before it is reported.
                if (visible)
                    QThread::msleep(SETTLE_MSEC);
                emit Class_Visible(visible);
            }
            d_last_visible = visible;
            first_poll = false;
        }
        for (int step = 0; step < POLL_STEPS; ++step)
        {
            QThread::msleep(STEP_MSEC);
            if (d_stop_requested.load(std::memory_order_relaxed))
                return;
        }
    }
}
