#include "src/station/station.h"

#include "src/alerts/stationalerts.h"
#include "src/central/central.h"
#include "src/common/clock.h"
#include "src/database/database.h"
#include "src/monitor/monitorswitch.h"
#include "src/pending/pendingjournal.h"
#include "src/pending/pendingstatus.h"
#include "src/recorder/recorder.h"
#include "src/stops/stoptracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTimer>

TStation::TStation(const QString &folder, QObject *parent) : QObject(parent), d_folder(folder)
{
    QDir().mkpath(folder);
    d_settings = std::make_unique<QSettings>(folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    d_calendar.Read(d_settings.get());
    d_shares = TBaselines::Read_Shares(d_settings.get());
    d_alert_settings.Read(d_settings.get());
    d_database = std::make_unique<TDatabase>();
    d_journal = std::make_unique<TPendingJournal>(d_database.get());
    // Children too, so that whoever holds the station finds its parts; ended here, in order.
    d_pending = std::make_unique<TPendingStatus>(d_database.get(), d_journal.get(), this);
    d_clock = std::make_unique<TClock>();
    d_recorder = std::make_unique<TRecorder>(d_journal.get(), d_clock.get(), this);
    d_monitor = std::make_unique<TMonitorSwitch>(d_recorder.get(), this);
    d_stops = std::make_unique<TStopTracker>(d_journal.get(), d_database.get(), d_clock.get(), this);
    d_stops->Set_Calendar(d_calendar);
    d_stop_problems = d_stops->Read_Settings(d_settings.get());
    d_timer = new QTimer(this);
    connect(d_timer, &QTimer::timeout, this, &TStation::Tick);

    connect(d_pending.get(), &TPendingStatus::Message, this, &TStation::Message);
    connect(d_pending.get(), &TPendingStatus::Waiting_Changed, this, &TStation::Pending_Waiting);
    connect(d_pending.get(), &TPendingStatus::Entries_Written, this, &TStation::Executions_Changed);
    connect(d_recorder.get(), &TRecorder::Journal_Changed, this,
            [this](bool execution)
            {
                if (execution)
                    emit Executions_Changed();
                d_pending->Show();
            });
    connect(d_stops.get(), &TStopTracker::Message, this, &TStation::Message);
    connect(d_recorder.get(), &TRecorder::Activity_Changed, d_stops.get(),
            [this]() { d_stops->Set_State(d_recorder->Activity()); });
    connect(d_recorder.get(), &TRecorder::Controller_Message, d_stops.get(),
            &TStopTracker::Controller_Message);
}

TStation::~TStation()
{
    d_monitor->Disconnect();
    // The event loop may be over: the automation objects given up above are deleted now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The parts end in the reverse order of their making, each before what it refers to.
    d_alerts.reset();
    d_central.reset();
    d_stops.reset();
    d_monitor.reset();
    d_recorder.reset();
    d_pending.reset();
}

void TStation::Start()
{
    if (d_started)
        return;
    d_started = true;
    Open_Database();
    // What an earlier run could not store is written first, before anything new.
    d_journal->Open(d_folder + QStringLiteral("/pending"));
    if (d_database_ready)
    {
        d_pending->Retry();
        emit Status(QStringLiteral("INF:  Not Connected."));
    }
    d_pending->Show();
    for (const QString &problem : qAsConst(d_stop_problems))
        emit Message(QStringLiteral("WAR:  ") + problem);
    d_stops->Start();
    d_timer->start(1000);
    Start_Central();
    Monitor_At_Start();
}

// A file that cannot be opened stores nothing for the whole run: its error
// stays as the station's state instead of being hidden at once.
void TStation::Open_Database()
{
    const bool opened = d_database->Open(d_folder + QStringLiteral("/database.db"));
    d_database_ready = opened && d_database->Create_Tables();
    if (d_database_ready)
        return;
    emit Status(opened ? QStringLiteral("ERR:  Cannot initialize database.")
                       : QStringLiteral("ERR:  Cannot connect to database."));
    if (opened && !d_database->Last_Error().isEmpty())
        emit Message(QStringLiteral("ERR:  ") + d_database->Last_Error());
}

// Forwarding to a central database when one is set, and the alerts this
// station judges on its own recording. Made once the file is prepared, which
// forwarding reads.
void TStation::Start_Central()
{
    d_central = std::make_unique<TCentral>(d_settings.get(), d_folder + QStringLiteral("/database.db"),
                                           d_recorder.get(), d_clock.get(), this);
    d_central->Set_Shift_Calendar(d_calendar);
    d_alerts = std::make_unique<TStationAlerts>(d_alert_settings, d_calendar, d_recorder.get(), d_clock.get(),
                                                d_central->Settings().Station_Name(), this);
    connect(d_central.get(), &TCentral::Message, this, &TStation::Message);
    connect(d_central.get(), &TCentral::Waiting_Changed, this, &TStation::Central_Waiting);
    connect(d_alerts.get(), &TStationAlerts::Message, this, &TStation::Message);
    connect(d_alerts.get(), &TStationAlerts::Alert, d_central.get(), &TCentral::Record_Alert);
    connect(d_recorder.get(), &TRecorder::Journal_Changed, d_central.get(), &TCentral::Wake);
    connect(d_stops.get(), &TStopTracker::Stops_Changed, d_central.get(), [this]() { d_central->Wake(); });
    connect(d_pending.get(), &TPendingStatus::Entries_Written, d_central.get(),
            [this]() { d_central->Wake(); });
}

// A station that should record from logon on (the installer's option sets it
// for the machine) starts monitoring by itself; the user's own setting comes first.
void TStation::Monitor_At_Start()
{
    const QString key = QStringLiteral("General/Monitor_At_Start");
    const QSettings machine(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Quorvex"),
                            QStringLiteral("Quorvex"));
    if (!d_settings->value(key, machine.value(key, false)).toBool())
        return;
    d_monitor->Toggle();
    emit Message(QStringLiteral("INF:  Monitoring switched on at start (Monitor_At_Start)."));
}

void TStation::Tick()
{
    d_stops->Tick();
    emit Ticked();
}

void TStation::Set_Shift_Calendar(const TShiftCalendar &calendar)
{
    d_calendar = calendar;
    // Kept at once: a calendar is edited seldom and should not wait for the end.
    d_calendar.Write(d_settings.get());
    d_settings->sync();
    d_stops->Set_Calendar(d_calendar);
    if (d_central)
        d_central->Set_Shift_Calendar(d_calendar);
    if (d_alerts)
        d_alerts->Set_Shift_Calendar(d_calendar);
}

void TStation::Store_Now()
{
    if (d_closed)
        return;
    d_recorder->Count_Usage_Now();
    d_stops->Tick();
    d_settings->sync();
    d_journal->Write_Pending();
}

// What the watcher has not counted yet is counted first; the file is closed last.
void TStation::Close()
{
    if (d_closed)
        return;
    d_closed = true;
    d_timer->stop();
    d_monitor->Close();
    d_recorder->Close();
    d_stops->Close();
    d_monitor->Disconnect();
    d_journal->Write_Pending();
    d_pending->Stop();
    if (d_central)
        d_central->Stop();
    emit File_Closing();
    d_database->Close();
    // On disk now: at the end of a session the process may end before the station is deleted.
    d_settings->sync();
}
