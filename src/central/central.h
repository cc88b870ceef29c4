#ifndef QUORVEX_CENTRAL_H
#define QUORVEX_CENTRAL_H

#include "src/centraldb/centralsettings.h"
#include "src/centraldb/stationactivities.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QSettings;
class QTimer;
struct TAlertEvent;
class TCentralForwarder;
class TClock;
class TRecorder;
class TShiftCalendar;
class TWorkerThread;

// The station's side of a central database, on the GUI thread: it starts the
// forwarding thread when Settings.ini names a central database, tells it what
// the station is doing and when something new was stored, passes on the
// station's alerts, and reports what forwarding says (once per outage, and
// the executions waiting) for the window to show. Without a central database
// it does nothing at all.
class TCentral : public QObject
{
    Q_OBJECT

public:
    TCentral(QSettings *settings, const QString &local_file, const TRecorder *recorder, const TClock *clock,
             QObject *parent = nullptr);
    ~TCentral() override;

    bool Is_Set() const { return d_settings.Is_Set(); }
    const TCentralSettings &Settings() const { return d_settings; }
    void Set_Shift_Calendar(const TShiftCalendar &calendar);
    // Something was stored (EXECUTION: an execution) or a pending entry written: forwarding looks now.
    void Wake(bool execution = false);
    // How long a request may go unanswered before the link is said to be gone
    // (for tests; 20 s otherwise).
    void Set_Answer_Limit(int msec) { d_answer_limit_msec = msec; }
    void Record_Alert(const TAlertEvent &event);
    // Ends the forwarding thread (after its current batch); also on destruction.
    void Stop();
    TCentralForwarder *Forwarder() const { return d_forwarder; }

signals:
    void Message(const QString &text);
    // What waits to be sent, as the status bar says it; empty when nothing does.
    void Waiting_Changed(const QString &text);

private:
    void Send_State();
    void Show_Waiting(int count);
    void Show_Count();
    void Watch();
    void Cycle_Done();
    void Say_Unreachable(const QString &reason);
    void Say_Reachable();

    TCentralSettings d_settings;
    const TRecorder *d_recorder;
    const TClock *d_clock;
    TWorkerThread *d_thread;
    TCentralForwarder *d_forwarder;
    TStationActivity d_state;
    QString d_program;
    QDateTime d_since;

    // The outage as the panel says it: the forwarder's own failures, or a
    // request it waits on without an answer (a link gone silent tells nothing).
    QTimer *d_watch;
    int d_answer_limit_msec;
    bool d_forwarder_unreachable;
    bool d_stalled;
    bool d_said_unreachable;
    QString d_local_file;
    // The forwarder's last count of executions not yet central.
    int d_waiting;
};

#endif
