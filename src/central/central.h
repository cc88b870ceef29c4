#ifndef QUORVEX_CENTRAL_H
#define QUORVEX_CENTRAL_H

#include "src/central/centralsettings.h"
#include "src/central/stationactivity.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QSettings;
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
    // An entry was stored (or a pending one written): forwarding looks now.
    void Wake();
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

    TCentralSettings d_settings;
    const TRecorder *d_recorder;
    const TClock *d_clock;
    TWorkerThread *d_thread;
    TCentralForwarder *d_forwarder;
    TStationActivity d_state;
    QString d_program;
    QDateTime d_since;
};

#endif
