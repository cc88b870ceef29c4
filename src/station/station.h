#ifndef QUORVEX_STATION_H
#define QUORVEX_STATION_H

#include "src/alerts/alertsettings.h"
#include "src/shifts/shiftcalendar.h"
#include "src/statistics/baselines.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;
class QTimer;
class TCentral;
class TClock;
class TDatabase;
class TMonitorSwitch;
class TPendingJournal;
class TPendingStatus;
class TRecorder;
class TStationAlerts;
class TStopTracker;

// One station as a whole, without a window: its settings and shift calendar,
// its file with the journal in front of it, the recorder and the monitor's
// switch, its stops, its forwarding to a central database and the alerts it
// judges. Makes and wires the parts and ends them in the one order that stores
// everything. A window shows it and asks it; it runs as well without one.
// Lives on the thread that makes it, where the automation events arrive.
class TStation : public QObject
{
    Q_OBJECT

public:
    // FOLDER holds the settings, the database and the pending files.
    explicit TStation(const QString &folder, QObject *parent = nullptr);
    ~TStation() override;

    // Opens the file (made or upgraded), writes what waits, starts the stops,
    // the forwarding and the alerts, and monitoring where the settings ask for
    // it. Whoever shows the station connects to it first.
    void Start();
    // What an end stores, stored now; the station goes on (the session's question).
    void Store_Now();
    // The recording counted and stored, then forwarding and the file ended. Once.
    void Close();

    QString Folder() const { return d_folder; }
    QSettings *Settings() const { return d_settings.get(); }
    const TShiftCalendar &Calendar() const { return d_calendar; }
    // Kept in the settings at once and given to every part that follows shifts.
    void Set_Shift_Calendar(const TShiftCalendar &calendar);
    const TBaselines::TShares &Shares() const { return d_shares; }
    const TAlertSettings &Alert_Settings() const { return d_alert_settings; }
    bool Database_Ready() const { return d_database_ready; }

    TDatabase *Database() const { return d_database.get(); }
    TPendingJournal *Journal() const { return d_journal.get(); }
    TPendingStatus *Pending() const { return d_pending.get(); }
    const TClock *Clock() const { return d_clock.get(); }
    TRecorder *Recorder() const { return d_recorder.get(); }
    TMonitorSwitch *Monitor() const { return d_monitor.get(); }
    TStopTracker *Stops() const { return d_stops.get(); }
    // Made by Start: null before.
    TCentral *Central() const { return d_central.get(); }
    TStationAlerts *Alerts() const { return d_alerts.get(); }

signals:
    // A line for the panel, from any part.
    void Message(const QString &text);
    // The station's state in a line ("INF:  Not Connected.", an error of the file).
    void Status(const QString &text);
    // Executions were stored: lists of them are behind.
    void Executions_Changed();
    // What waits for the file, and for the central database, as a status field says it.
    void Pending_Waiting(const QString &text);
    void Central_Waiting(const QString &text);
    // Each second, after the stops moved on.
    void Ticked();
    // The file closes now, everything stored: whoever reads it stops first.
    void File_Closing();

private:
    void Open_Database();
    void Start_Central();
    void Monitor_At_Start();
    void Tick();

    QString d_folder;
    // Made in this order and ended in the reverse one: a part only ever
    // refers to those made before it.
    std::unique_ptr<QSettings> d_settings;
    TShiftCalendar d_calendar;
    TBaselines::TShares d_shares;
    TAlertSettings d_alert_settings;
    std::unique_ptr<TDatabase> d_database;
    std::unique_ptr<TPendingJournal> d_journal;
    std::unique_ptr<TPendingStatus> d_pending;
    std::unique_ptr<TClock> d_clock;
    std::unique_ptr<TRecorder> d_recorder;
    std::unique_ptr<TMonitorSwitch> d_monitor;
    std::unique_ptr<TStopTracker> d_stops;
    std::unique_ptr<TCentral> d_central;
    std::unique_ptr<TStationAlerts> d_alerts;
    QTimer *d_timer;
    // What the stops' rules could not take, said once the station starts.
    QStringList d_stop_problems;
    bool d_database_ready = false;
    bool d_started = false;
    bool d_closed = false;
};

#endif
