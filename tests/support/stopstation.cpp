#include "tests/support/stopstation.h"

#include "src/database/stopstore.h"

TStopStation::TStopStation(const QString &folder, const TShiftCalendar &shifts, const QDateTime &start)
    : database(QStringLiteral("stops_%1").arg(quintptr(this))), journal(&database), calendar(shifts)
{
    database.Open(folder + QStringLiteral("/database.db"));
    database.Create_Tables();
    journal.Open(folder + QStringLiteral("/pending"));
    clock.Set_Now(start);
    Restart();
}

QDateTime TStopStation::At(int day, int hour, int minute, int second)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
}

TShiftCalendar TStopStation::Calendar(int day_of_week, const QString &shifts)
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {});
    QVector<TShiftCalendar::TShift> parsed;
    TShiftCalendar::Parse(shifts, &parsed);
    calendar.Set_Shifts(day_of_week, parsed);
    return calendar;
}

QString TStopStation::Span(const TStopRecord &stop)
{
    return stop.started.toLocalTime().toString(QStringLiteral("d HH:mm")) + QLatin1Char('-') +
           stop.ended.toLocalTime().toString(QStringLiteral("d HH:mm")) + QLatin1Char(' ') + stop.reason +
           QLatin1Char('/') + TStopRecord::Source_Text(stop.source);
}

void TStopStation::Restart()
{
    tracker = std::make_unique<TStopTracker>(&journal, &database, &clock);
    tracker->Set_Calendar(calendar);
    tracker->Set_Reasons(reasons);
    tracker->Set_Rules(rules);
    tracker->Start();
}

void TStopStation::Run_To(const QDateTime &at, int tick)
{
    while (clock.Now() < at)
    {
        clock.Set_Now(qMin(at, clock.Now().addSecs(tick)));
        tracker->Tick();
    }
}

void TStopStation::Set(const QDateTime &at, TStationActivity state)
{
    Run_To(at);
    tracker->Set_State(state);
}

QStringList TStopStation::Spans()
{
    QStringList spans;
    std::vector<TStopRecord> stops;
    TStopStore(&database).Overlapping(At(1, 0), At(31, 0), &stops);
    for (const TStopRecord &stop : stops)
        spans << Span(stop);
    return spans;
}
