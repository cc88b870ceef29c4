#include "src/app/quorvex.h"

#include "src/monitor/ui/activeprogramwidget.h"
#include "src/monitor/monitorprocess.h"
#include "src/monitor/softwarelink.h"
#include "src/pending/pendingstatus.h"
#include "src/recorder/recorder.h"
#include "src/app/windowactions.h"
#include "src/app/windowpages.h"

#include <QTimer>

// Monitoring as the window shows it: the user's switch and the watcher's and
// the link's reports go to the recorder, and what it says to the panel.

namespace
{
const QString WINDOW_CLASS = QStringLiteral("WilcoxAssociatesIncPC-DMISWndClass");
const char *const ICON_NOT_CONNECTED = ":/toolbar/not_connected_x32.png";
const char *const ICON_CONNECTING = ":/toolbar/connecting_x32.png";
const char *const ICON_CONNECTED = ":/toolbar/connected_x32.png";
const char *const ICON_ERROR = ":/toolbar/err_connect_x32.png";
} // namespace

void TQuorvex::Connect_Monitor()
{
    d_pages->Active()->Follow(d_recorder);
    connect(d_link, &TSoftwareLink::Status, this, &TQuorvex::Show_Status);
    connect(d_recorder, &TRecorder::Program_Started, d_pages, &TWindowPages::Show_Active);
    connect(d_recorder, &TRecorder::Journal_Changed, this, [this](bool entry) {
        if (entry)
            Refresh_Lists();
        d_pending->Show();
    });
    connect(d_update_timer, &QTimer::timeout, d_recorder, &TRecorder::Tick);
    connect(d_monitor_process, &QThread::started, this, &TQuorvex::Monitor_Started);
    connect(d_monitor_process, &QThread::finished, this, &TQuorvex::Monitor_Finished);
    connect(d_monitor_process, &TMonitorProcess::Class_Visible, this, &TQuorvex::Suspend_Resume);
}

bool TQuorvex::Monitoring() const { return d_recorder->Connection() != TRecorder::TConnection::OFF; }

bool TQuorvex::Attached() const { return d_recorder->Connection() == TRecorder::TConnection::CONNECTED; }

void TQuorvex::Toggle_Monitor()
{
    if (Monitoring())
    {
        d_actions->Set_Monitor_Icon(ICON_NOT_CONNECTED);
        d_recorder->Switch_Off();
        d_update_timer->stop();
        d_link->Disconnect();
        d_monitor_process->d_stop_requested.store(true, std::memory_order_relaxed);
        Show_Status(QStringLiteral("INF:  Disconnected."));
        return;
    }

    d_actions->Set_Monitor_Icon(ICON_CONNECTING);
    d_recorder->Switch_On();
    Show_Status(QStringLiteral("INF:  Connecting..."));
    // A run that is still ending would take the new start for itself and then
    // end on the old stop request: let it end first (within about a second).
    // What it reported meanwhile is still queued and no longer true.
    if (d_monitor_process->isRunning())
    {
        d_monitor_process->wait();
        d_stale_reports = true;
    }
    d_monitor_process->d_window_class = WINDOW_CLASS;
    d_monitor_process->d_stop_requested.store(false, std::memory_order_relaxed);
    d_monitor_process->start(QThread::NormalPriority);
}

void TQuorvex::Monitor_Started()
{
    Show_Status(QStringLiteral("INF:  Monitor Started"));
    d_recorder->Watcher_Started();
}

void TQuorvex::Monitor_Finished()
{
    // The end of a run that a quick switch-on has already replaced: its period
    // was counted at the switch-off, and every report after it comes from the new run.
    if (d_stale_reports)
    {
        d_stale_reports = false;
        return;
    }
    Show_Status(QStringLiteral("INF:  Monitor Stopped"));
    d_recorder->Watcher_Finished();
}

void TQuorvex::Suspend_Resume(bool visible)
{
    // A report queued before monitoring was switched off, or by a run since replaced, comes too late.
    const TRecorder::TConnection state = d_recorder->Connection();
    if (state == TRecorder::TConnection::OFF || d_stale_reports)
        return;
    if (visible && state == TRecorder::TConnection::WAITING)
    {
        if (d_link->Connect())
        {
            d_actions->Set_Monitor_Icon(ICON_CONNECTED);
            d_recorder->Attached();
            Show_Status(QStringLiteral("INF:  Connected"));
            d_update_timer->start(1000);
        }
        else
        {
            d_actions->Set_Monitor_Icon(ICON_ERROR);
            Show_Status(QStringLiteral("INF:  Connection Error"));
        }
        return;
    }
    // Only a stale report can say "visible" while attached: nothing has changed.
    if (visible)
        return;
    d_recorder->Gone();
    d_update_timer->stop();
    d_link->Disconnect();
    d_actions->Set_Monitor_Icon(ICON_CONNECTING);
    Show_Status(QStringLiteral("INF:  Waiting for PC-DMIS software..."));
}
