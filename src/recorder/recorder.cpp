#include "src/recorder/recorder.h"

#include "src/common/clock.h"
#include "src/pending/pendingjournal.h"

namespace
{
const QString OFFLINE_WARNING = QStringLiteral("WAR:  Ignoring offline part program.");
const qint64 NOT_RUNNING = -1;

// Whole seconds of an elapsed period; the remainder below a second is dropped.
int Whole_Seconds(qint64 msec)
{
    return int(msec / 1000);
}
} // namespace

TRecorder::TRecorder(TPendingJournal *journal, const TClock *clock, QObject *parent)
    : QObject(parent), d_journal(journal), d_clock(clock), d_connection(TConnection::OFF),
      d_program_open(false), d_executing(false), d_open_msec(0), d_execution_msec(0),
      d_monitor_start(NOT_RUNNING), d_connection_start(NOT_RUNNING), d_open_tick(NOT_RUNNING),
      d_execution_tick(NOT_RUNNING)
{
}

int TRecorder::Idle_Seconds() const
{
    // Whole seconds truncated toward zero, then rounded half up: a negative
    // difference (execution counted from before the program opened) shows one
    // more than its truncation (-1500 ms shows 0).
    const qint64 seconds = (d_open_msec - d_execution_msec) / 1000;
    return int(qint64(double(seconds) + 0.5));
}

// The time since *start was set, which is set to now.
qint64 TRecorder::Restart(qint64 *start) const
{
    const qint64 now = d_clock->Msecs();
    const qint64 elapsed = now - *start;
    *start = now;
    return elapsed;
}

TStationActivity TRecorder::Activity() const
{
    switch (d_connection)
    {
    case TConnection::OFF:
        break;
    case TConnection::WAITING:
        return TStationActivity::WAITING;
    case TConnection::CONNECTED:
        return d_executing ? TStationActivity::EXECUTING : TStationActivity::IDLE;
    }
    return TStationActivity::OFF;
}

void TRecorder::Switch_On()
{
    if (d_connection == TConnection::OFF)
        d_connection = TConnection::WAITING;
    emit Activity_Changed();
}

void TRecorder::Switch_Off()
{
    if (d_connection == TConnection::OFF)
        return;
    const bool connected = d_connection == TConnection::CONNECTED;
    d_connection = TConnection::OFF;
    End_Part_Program();
    // The time attached counts however the connection ends.
    if (connected)
        Count_Run_Time();
    // Monitoring ends now, not when the watcher has ended: a window closed at
    // once would never see the watcher end.
    Count_Monitor_Time();
    d_monitor_start = NOT_RUNNING;
    emit Activity_Changed();
}

void TRecorder::Watcher_Started()
{
    d_monitor_start = d_clock->Msecs();
}

void TRecorder::Watcher_Finished()
{
    Count_Monitor_Time();
    d_monitor_start = NOT_RUNNING;
    d_program_open = false;
    d_executing = false;
    emit Collection_Changed(false);
    emit Activity_Changed();
}

void TRecorder::Attached()
{
    d_connection = TConnection::CONNECTED;
    d_connection_start = d_clock->Msecs();
    emit Activity_Changed();
}

void TRecorder::Gone()
{
    if (d_connection == TConnection::CONNECTED)
    {
        // The software took its programs with it: the one collected ends here,
        // and the time until the software returns belongs to no program.
        if (d_program_open)
            emit Message(QStringLiteral("WAR:  PC-DMIS gone; the open part program is stored."));
        End_Part_Program();
        Count_Run_Time();
    }
    Count_Monitor_Time();
    if (d_connection != TConnection::OFF)
        d_connection = TConnection::WAITING;
    emit Activity_Changed();
}

void TRecorder::Close()
{
    Switch_Off();
    Count_Monitor_Time();
    d_monitor_start = NOT_RUNNING;
}

void TRecorder::Count_Usage_Now()
{
    Count_Whole_Seconds(&d_monitor_start, TDatabase::MONITOR_TIME);
    Count_Whole_Seconds(&d_connection_start, TDatabase::RUN_TIME);
}

void TRecorder::Count_Whole_Seconds(qint64 *start, TDatabase::TUsageTotal total)
{
    if (*start == NOT_RUNNING)
        return;
    const int seconds = Whole_Seconds(d_clock->Msecs() - *start);
    if (seconds <= 0)
        return;
    *start += qint64(seconds) * 1000;
    Add_Usage(total, seconds);
}

void TRecorder::Count_Monitor_Time()
{
    if (d_monitor_start == NOT_RUNNING)
        return;
    const int seconds = Whole_Seconds(Restart(&d_monitor_start));
    if (seconds > 0)
        Add_Usage(TDatabase::MONITOR_TIME, seconds);
}

void TRecorder::Count_Run_Time()
{
    if (d_connection_start == NOT_RUNNING)
        return;
    const int seconds = Whole_Seconds(Restart(&d_connection_start));
    d_connection_start = NOT_RUNNING;
    if (seconds > 0)
        Add_Usage(TDatabase::RUN_TIME, seconds);
}

void TRecorder::Tick()
{
    Count_Open_Time();
}

void TRecorder::Count_Open_Time()
{
    if (!d_program_open)
        return;
    d_open_msec += Restart(&d_open_tick);
    if (d_executing)
        d_execution_msec += Restart(&d_execution_tick);
    Show_Times();
}

void TRecorder::Show_Times()
{
    emit Times_Changed(Open_Seconds(), Execution_Seconds(), Idle_Seconds());
}

void TRecorder::Program_Opened(const QString &name, const QString &revision, bool online)
{
    // An offline program leaves the online one being collected as it is.
    if (!online)
    {
        emit Message(OFFLINE_WARNING);
        return;
    }
    Begin_Part_Program();
    d_open_msec = 0;
    d_execution_msec = 0;
    emit Panel_Reset();
    emit Message(QStringLiteral("INF:  Open part program - Online"));
    d_program_open = true;
    d_open_tick = d_clock->Msecs();
    if (name.isEmpty())
        return;
    emit Message(QStringLiteral("INF:  Creating new database entry"));
    d_item.Set_Name(name);
    d_item.Set_Revision(revision);
    d_item.Set_Date_Time(d_clock->Now());
    emit Collection_Changed(true);
    emit Program_Started(name, revision, d_item.Date_Text());
    emit Activity_Changed();
}

void TRecorder::Program_Closed(bool online)
{
    if (!online)
    {
        emit Message(OFFLINE_WARNING);
        return;
    }
    emit Message(QStringLiteral("INF:  Close part program - Online"));
    End_Part_Program();
}

void TRecorder::Execution_Started()
{
    emit Message(QStringLiteral("INF:  Application Event: OnStartExecution"));
    d_execution_tick = d_clock->Msecs();
    d_executing = true;
    emit Activity_Changed();
}

void TRecorder::Execution_Ended()
{
    emit Message(QStringLiteral("INF:  Application Event: OnEndExecution"));
    // Only an execution seen to start has a running tick to add.
    if (d_executing && d_execution_tick != NOT_RUNNING)
    {
        d_execution_msec += Restart(&d_execution_tick);
        Show_Times();
    }
    d_executing = false;
    emit Activity_Changed();
}

void TRecorder::Machine_Event(const QString &event_name, const QString &message)
{
    emit Message(QStringLiteral("INF:  Machine Event:     %1").arg(event_name));
    if (event_name == QLatin1String("LearnHit") || event_name == QLatin1String("ExecuteHit"))
    {
        d_item.Set_Point_Count(d_item.Point_Count() + 1);
        emit Point_Count_Changed(d_item.Point_Count());
    }
    else if (event_name == QLatin1String("ErrorMsg"))
    {
        const QString text = message.simplified();
        emit Last_Error_Changed(text);
        d_item.Add_Error_Message(text);
        emit Controller_Message(text);
    }
}

void TRecorder::Begin_Part_Program()
{
    // A program still being collected is stored before a new one takes its place.
    if (d_program_open)
        End_Part_Program();
    d_item.Clear();
    d_executing = false;
}

// The program collected is stored with its clocks brought up to this moment.
void TRecorder::End_Part_Program()
{
    Count_Open_Time();
    d_program_open = false;
    d_executing = false;
    Store_Entry();
    emit Collection_Changed(false);
    emit Activity_Changed();
}

void TRecorder::Store_Entry()
{
    if (!d_item.Date_Time().isValid())
        return;
    // A negative idle time (execution counted from before the program opened) is not stored.
    d_item.Set_Execution_Time(qMax(0, Execution_Seconds()));
    d_item.Set_Idle_Time(qMax(0, Idle_Seconds()));
    const TPendingJournal::TResult result = d_journal->Add_Execution(d_item);
    if (result == TPendingJournal::WRITTEN)
        emit Message(QStringLiteral("INF:  Database entry written."));
    else
        emit Message(QStringLiteral("ERR:  Database entry not written: %1").arg(d_journal->Last_Error()));
    if (result == TPendingJournal::KEPT)
        emit Message(
            QStringLiteral("WAR:  Database entry kept; it is written when the database accepts it."));
    else if (result == TPendingJournal::LOST)
        emit Message(QStringLiteral("ERR:  Database entry lost: %1").arg(d_journal->Keep_Error()));
    d_item.Set_Date_Time(QDateTime());
    emit Journal_Changed(true);
}

void TRecorder::Add_Usage(TDatabase::TUsageTotal total, int seconds)
{
    if (d_journal->Add_Usage(total, seconds) == TPendingJournal::LOST)
        emit Message(QStringLiteral("ERR:  Usage time lost: %1").arg(d_journal->Keep_Error()));
    emit Journal_Changed(false);
}
