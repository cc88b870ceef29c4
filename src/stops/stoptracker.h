#ifndef QUORVEX_STOPTRACKER_H
#define QUORVEX_STOPTRACKER_H

#include "src/common/stationactivity.h"
#include "src/database/stoprecord.h"
#include "src/shifts/shiftcalendar.h"
#include "src/stops/stopreasons.h"
#include "src/stops/stoprules.h"

#include <QDateTime>
#include <QObject>

#include <vector>

class QSettings;
class TClock;
class TDatabase;
class TPendingJournal;

// Follows the machine through its shifts and keeps its stops. A standstill is
// the time within scheduled shifts in which the machine does not execute, from
// when it stops until it executes again or its shifts end. It is kept once it
// lasts the threshold, as pieces cut at midnight and wherever its kind changes
// (idle, software away, monitoring off), each piece with its own reason: the
// threshold is the standstill's, so a short piece of a long standstill is kept.
// A piece while monitoring is off or the measurement software is away has the
// system's reason; one after a matching controller message the rule's; any
// other is asked about once it lasts the threshold itself. The tracker's time
// never goes back: a clock set back holds it at the latest moment it saw until
// the clock passes that again. Stops are stored through the pending journal,
// so each is written once, whatever the database does.
// Lives on the GUI thread; told what happens, and Tick()ed once a second.
class TStopTracker : public QObject
{
    Q_OBJECT

public:
    enum TAnswer
    {
        SET,
        UNKNOWN_REASON,
        NOT_FOUND,
        // The stop ended more than a day ago: it is read-only.
        TOO_OLD,
        NOT_WRITTEN
    };
    static const int DEFAULT_THRESHOLD_SECONDS = 300;
    static const int CHANGEABLE_SECONDS = 24 * 3600;
    // How often an open stop's end is moved on in the file, for a killed run to end it near where it was.
    static const int TOUCH_SECONDS = 60;
    static const int LONGEST_NOTE = 200;

    TStopTracker(TPendingJournal *journal, TDatabase *database, const TClock *clock,
                 QObject *parent = nullptr);

    void Set_Calendar(const TShiftCalendar &calendar);
    void Set_Threshold_Seconds(int seconds) { d_threshold = qMax(1, seconds); }
    int Threshold_Seconds() const { return d_threshold; }
    void Set_Reasons(const TStopReasons &reasons) { d_reasons = reasons; }
    const TStopReasons &Reasons() const { return d_reasons; }
    void Set_Rules(const TStopRules &rules) { d_rules = rules; }
    // The threshold, reasons and rules of the settings' [Stops]; returns what
    // the rules could not take, a line each.
    QStringList Read_Settings(QSettings *settings);

    // The run begins, with monitoring off: stops a killed run left open end
    // at the last moment they were known to go on, never later.
    void Start();
    // What the station does now; SILENT, which no station tells of itself, counts as OFF.
    void Set_State(TStationActivity state);
    TStationActivity State() const { return d_state; }
    void Controller_Message(const QString &text);
    void Tick();
    // The program ends: the stop going on ends now.
    void Close();

    // The stop going on, stored or not yet; false when the machine executes or no shift is on.
    bool Stopped() const { return d_stopped; }
    const TStopRecord &Current() const { return d_current; }
    bool Asking() const { return d_asking; }
    // A person gives the reason of the stop that began at STARTED (NOTE for a reason that asks for one).
    TAnswer Set_Reason(const QDateTime &started, const QString &reason, const QString &note = QString());
    bool Changeable(const TStopRecord &stop) const;
    // The stops stored since FROM, the one going on as it is now.
    std::vector<TStopRecord> Stops_Since(const QDateTime &from) const;
    // The tracker's clock, to the second.
    QDateTime Now() const;

signals:
    // A stop (the piece going on) passed the threshold without a reason: a person is asked.
    void Ask(const TStopRecord &stop);
    // The question is answered, or the stop ended unanswered.
    void Asked_No_More();
    // A stop was stored or changed.
    void Stops_Changed();
    void Message(const QString &text);

private:
    void Advance(const QDateTime &now);
    QDateTime Next_Shift_Start(const QDateTime &from, const QDateTime &to) const;
    void Begin(const QDateTime &at, const TStopRecord *carried);
    void Classify(const QDateTime &at);
    void Finish(const QDateTime &at);
    // The standstill passed the threshold: its pieces held so far are stored.
    void Keep_Standstill();
    void End_Standstill();
    // The clock's moment, never before the latest one the tracker followed.
    QDateTime Forward_Now() const;
    void Check_Threshold(const QDateTime &now);
    void Stop_Asking();
    bool Store(const TStopRecord &stop);

    TPendingJournal *d_journal;
    TDatabase *d_database;
    const TClock *d_clock;
    TShiftCalendar d_calendar;
    TStopReasons d_reasons;
    TStopRules d_rules;
    int d_threshold;
    TStationActivity d_state;
    // Where the shifts were followed up to.
    QDateTime d_last;
    bool d_stopped;
    TStopRecord d_current;
    // Where the current stop is cut: its shift's end or midnight, whichever comes first.
    QDateTime d_cut;
    bool d_stored;
    // The standstill the current piece belongs to: its start, where its last
    // finished piece ended, whether it passed the threshold, and its finished
    // pieces not stored while it had not.
    QDateTime d_standstill;
    QDateTime d_standstill_end;
    bool d_kept;
    std::vector<TStopRecord> d_held;
    QDateTime d_touched;
    bool d_asking;
};

#endif
