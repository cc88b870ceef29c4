#ifndef QUORVEX_RECORDER_H
#define QUORVEX_RECORDER_H

#include "src/common/stationactivity.h"
#include "src/database/database.h"
#include "src/database/execution.h"

#include <QObject>
#include <QString>

class TClock;
class TPendingJournal;

// What the monitor decides and counts, without a widget: the state of the
// connection to the measurement software, the record of the online program
// being collected with its execution and idle clocks, and the periods of
// monitoring and of attachment. It is told what happened (by the user, the
// window watcher and the software's events), stores executions and usage periods
// through the pending journal, and says what to show through its signals.
// Lives on the GUI thread.
class TRecorder : public QObject
{
    Q_OBJECT

public:
    enum class TConnection
    {
        OFF,
        WAITING,
        CONNECTED
    };

    TRecorder(TPendingJournal *journal, const TClock *clock, QObject *parent = nullptr);

    TConnection Connection() const { return d_connection; }
    bool Program_Open() const { return d_program_open; }
    bool Executing() const { return d_executing; }
    // What the station is doing, as its stops, alerts and heartbeat follow it
    // (never SILENT); it changes with Activity_Changed.
    TStationActivity Activity() const;
    const TExecution &Item() const { return d_item; }
    // The collected program's times in whole seconds, as shown and stored.
    int Open_Seconds() const { return int(d_open_msec / 1000); }
    int Execution_Seconds() const { return int(d_execution_msec / 1000); }
    int Idle_Seconds() const;

    // The user switches monitoring on (then waiting for the software) or off.
    void Switch_On();
    void Switch_Off();
    // The window watcher's run: monitoring time counts from its start.
    void Watcher_Started();
    void Watcher_Finished();
    // The software's window came and the automation objects were reached, or
    // the window went (the software quit or crashed).
    void Attached();
    void Gone();
    // The window closes: monitoring ends, and whatever is left of its period counts once.
    void Close();
    // The whole seconds monitored and attached so far are counted now, and counting goes on:
    // the session may end, or may not.
    void Count_Usage_Now();

    // The software's events. An online program is one on a machine whose name
    // starts with "CMM".
    void Program_Opened(const QString &name, const QString &revision, bool online);
    void Program_Closed(bool online);
    void Execution_Started();
    void Execution_Ended();
    void Machine_Event(const QString &event_name, const QString &message);
    // Once a second while attached: the clocks shown are brought up to now.
    void Tick();

signals:
    // A line for the panel's log.
    void Message(const QString &text);
    // A new online program is collected (the panel starts afresh), or none is.
    void Program_Started(const QString &name, const QString &revision, const QString &date_text);
    void Panel_Reset();
    void Collection_Changed(bool active);
    void Times_Changed(int open_seconds, int execution_seconds, int idle_seconds);
    void Point_Count_Changed(int count);
    void Last_Error_Changed(const QString &message);
    // The journal took an entry (true) or a usage period: what it holds and what it wrote changed.
    void Journal_Changed(bool entry);
    // The connection, the open program or its execution changed (what a
    // central heartbeat and the alert rules follow).
    void Activity_Changed();
    // A controller message arrived (once each, as stored).
    void Controller_Message(const QString &text);

private:
    void Count_Monitor_Time();
    void Count_Run_Time();
    void Count_Open_Time();
    void Begin_Part_Program();
    void End_Part_Program();
    void Store_Entry();
    void Add_Usage(TDatabase::TUsageTotal total, int seconds);
    // Counts the whole seconds since *START, which moves on by as many (its fraction is kept).
    void Count_Whole_Seconds(qint64 *start, TDatabase::TUsageTotal total);
    qint64 Restart(qint64 *start) const;
    void Show_Times();

    TPendingJournal *d_journal;
    const TClock *d_clock;
    TConnection d_connection;
    TExecution d_item;
    bool d_program_open;
    bool d_executing;
    // 64 bits: a program may stay open for longer than 2^31 milliseconds (24.8 days).
    qint64 d_open_msec;
    qint64 d_execution_msec;
    // Moments on the clock at which each period was last counted; -1 when not running.
    qint64 d_monitor_start;
    qint64 d_connection_start;
    qint64 d_open_tick;
    qint64 d_execution_tick;
};

#endif
