#ifndef QUORVEX_STOPSTATION_H
#define QUORVEX_STOPSTATION_H

#include "src/database/database.h"
#include "src/pending/pendingjournal.h"
#include "src/stops/stoptracker.h"
#include "tests/support/fakeclock.h"

#include <QStringList>

#include <memory>

// A station's file, journal and stop tracker on a clock the test moves, and
// the hand-worked moments and calendars of December 2026 (the 7th is a Monday).
class TStopStation
{
public:
    // Stops are kept in FOLDER, and followed from START.
    TStopStation(const QString &folder, const TShiftCalendar &calendar, const QDateTime &start);

    static QDateTime At(int day, int hour, int minute = 0, int second = 0);
    // Only DAY_OF_WEEK has shifts.
    static TShiftCalendar Calendar(int day_of_week, const QString &shifts);
    // "7 06:30-7 06:40 Break/operator", in local time.
    static QString Span(const TStopRecord &stop);

    // The tracker of a new run, the last one gone without a word.
    void Restart();
    // The clock goes to AT, ticking every TICK seconds on the way.
    void Run_To(const QDateTime &at, int tick = 60);
    void Set(const QDateTime &at, TStationActivity state);
    QStringList Spans();

    TFakeClock clock;
    TDatabase database;
    TPendingJournal journal;
    TShiftCalendar calendar;
    TStopReasons reasons;
    TStopRules rules;
    std::unique_ptr<TStopTracker> tracker;
};

#endif
