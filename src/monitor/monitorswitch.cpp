#include "src/monitor/monitorswitch.h"

#include "src/monitor/monitorprocess.h"
#include "src/monitor/softwarelink.h"
#include "src/recorder/recorder.h"

#include <QTimer>

namespace
{
const QString WINDOW_CLASS = QStringLiteral("WilcoxAssociatesIncPC-DMISWndClass");
const int TICK_MSEC = 1000;
} // namespace

const char *const TMonitorSwitch::ICON_NOT_CONNECTED = ":/toolbar/not_connected_x32.png";
const char *const TMonitorSwitch::ICON_CONNECTING = ":/toolbar/connecting_x32.png";
const char *const TMonitorSwitch::ICON_CONNECTED = ":/toolbar/connected_x32.png";
const char *const TMonitorSwitch::ICON_ERROR = ":/toolbar/err_connect_x32.png";

TMonitorSwitch::TMonitorSwitch(TRecorder *recorder, QObject *parent)
    : QObject(parent), d_recorder(recorder), d_watcher(new TMonitorProcess(WINDOW_CLASS, this)),
      d_link(new TSoftwareLink(recorder, this)), d_tick(new QTimer(this))
{
    d_tick->setInterval(TICK_MSEC);
    connect(d_link, &TSoftwareLink::Status, this, &TMonitorSwitch::Status);
    connect(d_tick, &QTimer::timeout, d_recorder, &TRecorder::Tick);
    connect(d_watcher, &TMonitorProcess::Started, this, &TMonitorSwitch::Watcher_Started);
    connect(d_watcher, &TMonitorProcess::Finished, this, &TMonitorSwitch::Watcher_Finished);
    connect(d_watcher, &TMonitorProcess::Class_Visible, this, &TMonitorSwitch::Window_Visible);
}

bool TMonitorSwitch::Monitoring() const
{
    return d_recorder->Connection() != TRecorder::TConnection::OFF;
}

bool TMonitorSwitch::Attached() const
{
    return d_recorder->Connection() == TRecorder::TConnection::CONNECTED;
}

void TMonitorSwitch::Toggle()
{
    if (Monitoring())
    {
        emit Icon(ICON_NOT_CONNECTED);
        d_recorder->Switch_Off();
        d_tick->stop();
        d_link->Disconnect();
        d_watcher->Stop();
        emit Status(QStringLiteral("INF:  Disconnected."));
        return;
    }

    emit Icon(ICON_CONNECTING);
    d_recorder->Switch_On();
    emit Status(QStringLiteral("INF:  Connecting..."));
    // A run still ending is followed by this one; what it has not yet
    // reported, its end included, is no longer true and never arrives (its
    // period was counted at the switch-off).
    d_watcher->Start();
}

void TMonitorSwitch::Close()
{
    if (Monitoring())
        Toggle();
    // What the watcher has not counted yet the recorder's Close counts.
    d_watcher->Stop_And_Wait();
}

void TMonitorSwitch::Disconnect()
{
    d_link->Disconnect();
}

void TMonitorSwitch::Watcher_Started()
{
    emit Status(QStringLiteral("INF:  Monitor Started"));
    d_recorder->Watcher_Started();
}

void TMonitorSwitch::Watcher_Finished()
{
    emit Status(QStringLiteral("INF:  Monitor Stopped"));
    d_recorder->Watcher_Finished();
}

void TMonitorSwitch::Window_Visible(bool visible)
{
    // A report queued before monitoring was switched off comes too late.
    const TRecorder::TConnection state = d_recorder->Connection();
    if (state == TRecorder::TConnection::OFF)
        return;
    if (visible && state == TRecorder::TConnection::WAITING)
        return Attach();
    // Only a stale report can say "visible" while attached: nothing has changed.
    if (visible)
        return;
    d_recorder->Gone();
    d_tick->stop();
    d_link->Disconnect();
    emit Icon(ICON_CONNECTING);
    emit Status(QStringLiteral("INF:  Waiting for PC-DMIS software..."));
}

void TMonitorSwitch::Attach()
{
    if (!d_link->Connect())
    {
        emit Icon(ICON_ERROR);
        emit Status(QStringLiteral("INF:  Connection Error"));
        return;
    }
    emit Icon(ICON_CONNECTED);
    d_recorder->Attached();
    emit Status(QStringLiteral("INF:  Connected"));
    d_tick->start();
}
