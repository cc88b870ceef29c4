#include "src/stops/stoptracker.h"

#include "src/common/clock.h"
#include "src/database/stopstore.h"
#include "src/pending/pendingjournal.h"

#include <QSettings>

namespace
{
QDateTime Whole_Second(const QDateTime &at)
{
    return at.addMSecs(-at.time().msec());
}

QDateTime Next_Midnight(const QDateTime &at)
{
    return QDateTime(at.date().addDays(1), QTime(0, 0));
}
} // namespace

TStopTracker::TStopTracker(TPendingJournal *journal, TDatabase *database, const TClock *clock,
                           QObject *parent)
    : QObject(parent), d_journal(journal), d_database(database), d_clock(clock),
      d_threshold(DEFAULT_THRESHOLD_SECONDS), d_state(TStationActivity::OFF), d_stopped(false),
      d_stored(false), d_kept(false), d_asking(false)
{
    qRegisterMetaType<TStopRecord>();
}

// Stops are kept to the second, as they are stored.
QDateTime TStopTracker::Now() const
{
    return Whole_Second(d_clock->Now());
}

QDateTime TStopTracker::Forward_Now() const
{
    const QDateTime now = Now();
    return d_last.isValid() && now < d_last ? d_last : now;
}

void TStopTracker::Set_Calendar(const TShiftCalendar &calendar)
{
    // The stop going on keeps the cut of the calendar it began under.
    d_calendar = calendar;
}

void TStopTracker::Start()
{
    TStopStore store(d_database);
    store.Close_Left_Open();
    // A clock set back while the program was not running begins after every stop stored.
    QDateTime latest;
    store.Latest_End(&latest);
    QDateTime now = Now();
    if (latest.isValid() && now < latest)
        now = latest;
    d_last = now;
    d_state = TStationActivity::OFF;
    Begin(now, nullptr);
}

void TStopTracker::Set_State(TStationActivity state)
{
    if (state == TStationActivity::SILENT)
        state = TStationActivity::OFF;
    const QDateTime now = Forward_Now();
    Advance(now);
    if (state == d_state)
        return;
    d_state = state;
    // The machine executes again, or the stop's kind changed: a new one begins.
    Finish(now);
    if (state != TStationActivity::EXECUTING)
        Begin(now, nullptr);
    else
        End_Standstill();
}

void TStopTracker::Controller_Message(const QString &text)
{
    d_rules.Message(text, Forward_Now());
}

void TStopTracker::Tick()
{
    const QDateTime now = Forward_Now();
    Advance(now);
    Check_Threshold(now);
}

QStringList TStopTracker::Read_Settings(QSettings *settings)
{
    bool number = false;
    const int threshold = settings->value(QStringLiteral("Stops/Threshold_Seconds")).toInt(&number);
    if (number && threshold > 0)
        Set_Threshold_Seconds(threshold);
    d_reasons.Read(settings);
    d_rules.Read(settings);
    return d_rules.Problems();
}

void TStopTracker::Close()
{
    const QDateTime now = Forward_Now();
    Advance(now);
    Finish(now);
    End_Standstill();
    d_state = TStationActivity::OFF;
}

// Every cut and every shift start between the last moment followed and NOW,
// in their order: a tick that comes late (a machine woken from sleep) misses none.
void TStopTracker::Advance(const QDateTime &now)
{
    if (!d_last.isValid())
        d_last = now;
    for (int guard = 0; guard < 100000; ++guard)
    {
        if (d_stopped)
        {
            if (d_cut > now)
                break;
            const QDateTime cut = d_cut;
            const TStopRecord carried = d_current;
            Finish(cut);
            d_last = cut;
            // Across midnight within a shift the stop goes on as a row of the new day, for the same reason.
            if (d_state != TStationActivity::EXECUTING)
                Begin(cut, &carried);
            continue;
        }
        if (d_state == TStationActivity::EXECUTING)
            break;
        const QDateTime start = Next_Shift_Start(d_last, now);
        if (!start.isValid())
            break;
        d_last = start;
        Begin(start, nullptr);
    }
    d_last = now;
}

QDateTime TStopTracker::Next_Shift_Start(const QDateTime &from, const QDateTime &to) const
{
    // A shift that starts at TO itself is found too.
    for (const TShiftCalendar::TInterval &shift : d_calendar.Intervals(from, to.addSecs(1)))
        if (shift.start > from && shift.start <= to)
            return shift.start;
    return {};
}

void TStopTracker::Begin(const QDateTime &at, const TStopRecord *carried)
{
    const TShiftCalendar::TInterval shift = d_calendar.Interval_At(at);
    if (!shift.start.isValid())
    {
        End_Standstill();
        return;
    }
    // A piece that begins where the last one ended goes on with its standstill.
    if (!d_standstill.isValid() || d_standstill_end != at)
    {
        End_Standstill();
        d_standstill = at;
    }
    d_stopped = true;
    d_stored = false;
    d_current = carried ? *carried : TStopRecord();
    d_current.started = at;
    d_current.ended = at;
    d_current.open = true;
    d_cut = qMin(shift.end, Next_Midnight(at));
    if (!carried)
        Classify(at);
}

void TStopTracker::Classify(const QDateTime &at)
{
    if (d_state == TStationActivity::OFF || d_state == TStationActivity::WAITING)
    {
        d_current.reason =
            d_state == TStationActivity::OFF ? TStopReasons::Monitor_Off() : TStopReasons::Software_Absent();
        d_current.source = TStopRecord::SYSTEM;
        return;
    }
    const QString reason = d_rules.Reason_At(at);
    if (reason.isEmpty())
        return;
    const TStopReasons::TReason *known = d_reasons.Find(reason);
    d_current.reason = reason;
    d_current.source = TStopRecord::RULE;
    d_current.planned = known && known->planned;
}

void TStopTracker::Finish(const QDateTime &at)
{
    if (!d_stopped)
        return;
    d_stopped = false;
    d_current.ended = at;
    d_current.open = false;
    d_standstill_end = at;
    // A piece of no length is none, and would share its start with the next.
    if (d_stored || (d_current.Seconds() > 0 && (d_kept || d_standstill.secsTo(at) >= d_threshold)))
    {
        Keep_Standstill();
        Store(d_current);
    }
    else if (d_current.Seconds() > 0)
        d_held.push_back(d_current);
    Stop_Asking();
}

void TStopTracker::Keep_Standstill()
{
    if (d_kept)
        return;
    d_kept = true;
    for (const TStopRecord &piece : d_held)
        Store(piece);
    d_held.clear();
}

void TStopTracker::End_Standstill()
{
    d_standstill = QDateTime();
    d_standstill_end = QDateTime();
    d_kept = false;
    d_held.clear();
}

void TStopTracker::Check_Threshold(const QDateTime &now)
{
    if (!d_stopped)
        return;
    if (!d_stored && now > d_current.started && (d_kept || d_standstill.secsTo(now) >= d_threshold))
    {
        Keep_Standstill();
        d_current.ended = now;
        d_stored = true;
        d_touched = now;
        Store(d_current);
    }
    else if (d_stored && d_touched.secsTo(now) >= TOUCH_SECONDS)
    {
        // Only a mark: lost, the stop still ends where the last one put it.
        d_current.ended = now;
        d_touched = now;
        TStopStore(d_database).Touch(d_current.started, now);
    }
    // A person is asked about a piece that itself lasted the threshold: not a minute after
    // monitoring came on in a standstill, nor about a few seconds before the machine runs again.
    if (d_stored && !d_asking && !d_current.Classified() && d_current.started.secsTo(now) >= d_threshold)
    {
        d_asking = true;
        emit Ask(d_current);
    }
}

void TStopTracker::Stop_Asking()
{
    if (!d_asking)
        return;
    d_asking = false;
    emit Asked_No_More();
}

bool TStopTracker::Store(const TStopRecord &stop)
{
    const TPendingJournal::TResult result = d_journal->Put_Stop(stop);
    if (result == TPendingJournal::KEPT)
        emit Message(QStringLiteral("WAR:  Stop kept; it is written when the database accepts it."));
    else if (result == TPendingJournal::LOST)
        emit Message(QStringLiteral("ERR:  Stop lost: %1").arg(d_journal->Keep_Error()));
    emit Stops_Changed();
    return result != TPendingJournal::LOST && result != TPendingJournal::REFUSED;
}

bool TStopTracker::Changeable(const TStopRecord &stop) const
{
    return stop.open || stop.ended.secsTo(Now()) <= CHANGEABLE_SECONDS;
}

TStopTracker::TAnswer TStopTracker::Set_Reason(const QDateTime &started, const QString &reason,
                                               const QString &note)
{
    const TStopReasons::TReason *known = d_reasons.Find(reason);
    if (!known)
        return UNKNOWN_REASON;
    const bool current = d_stopped && d_current.started == started;
    TStopRecord stop = d_current;
    if (!current && !TStopStore(d_database).Find(started, &stop))
        return NOT_FOUND;
    if (!Changeable(stop))
        return TOO_OLD;
    stop.reason = known->name;
    stop.source = TStopRecord::OPERATOR;
    stop.planned = known->planned;
    stop.note = known->note ? note.simplified().left(LONGEST_NOTE) : QString();
    if (!current)
        return Store(stop) ? SET : NOT_WRITTEN;
    d_current = stop;
    Stop_Asking();
    if (d_stored && !Store(d_current))
        return NOT_WRITTEN;
    return SET;
}

std::vector<TStopRecord> TStopTracker::Stops_Since(const QDateTime &from) const
{
    std::vector<TStopRecord> stops;
    TStopStore(d_database).Overlapping(from, Now().addDays(1), &stops);
    for (TStopRecord &stop : stops)
        if (d_stopped && stop.started == d_current.started)
            stop = d_current;
    if (d_stopped && d_stored && (stops.empty() || stops.back().started != d_current.started))
        stops.push_back(d_current);
    return stops;
}
