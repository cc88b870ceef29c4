#include "src/statistics/statistics.h"

#include "src/database/database.h"
#include "src/database/storedform.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace
{
// The median of the sorted values [begin, end); 0 for none.
double Median(const int *begin, const int *end)
{
    const std::ptrdiff_t count = end - begin;
    if (count <= 0)
        return 0;
    if (count % 2 == 1)
        return begin[count / 2];
    return (double(begin[count / 2 - 1]) + double(begin[count / 2])) / 2;
}

QString Number(double value)
{
    return QString::number(value, 'f', 1);
}

// The first day of the period holding date.
QDate Period_Start(const QDate &date, TStatistics::TPeriodKind kind)
{
    switch (kind)
    {
    case TStatistics::WEEK:
        return date.addDays(1 - date.dayOfWeek());
    case TStatistics::MONTH:
        return QDate(date.year(), date.month(), 1);
    case TStatistics::DAY:
        break;
    }
    return date;
}

QString Period_Label(const QDate &start, TStatistics::TPeriodKind kind)
{
    switch (kind)
    {
    case TStatistics::WEEK:
    {
        // The ISO week: the one of 31 December may belong to the next year, that of 1 January to the last.
        int year = 0;
        const int week = start.weekNumber(&year);
        return QStringLiteral("%1-W%2").arg(year).arg(week, 2, 10, QLatin1Char('0'));
    }
    case TStatistics::MONTH:
        return start.toString(QStringLiteral("yyyy-MM"));
    case TStatistics::DAY:
        break;
    }
    return start.toString(QStringLiteral("yyyy-MM-dd"));
}

struct TDay
{
    int executions = 0;
    qint64 executing = 0;
    qint64 idle = 0;
};
} // namespace

TStatistics::TStatistics(const std::vector<TExecution> &items, const QStringList &selected_dates,
                         const QStringList &record_dates, const TShiftCalendar &calendar,
                         const std::vector<TStopRecord> &stops, const TBaselines &baselines,
                         const QDateTime &until)
    : d_baselines(baselines), d_target(calendar.Target())
{
    for (const TExecution &item : items)
    {
        ++d_executions;
        d_executing += item.Execution_Time();
        d_idle += item.Idle_Time();
        d_points += item.Point_Count();
        d_message_count += item.Error_Message_Count();
    }
    Count_Programs(items);
    Count_Messages(items);
    Count_Stops(stops, Count_Periods(items, selected_dates, record_dates, calendar, until));
}

void TStatistics::Count_Stops(const std::vector<TStopRecord> &stops, const QSet<QDate> &days)
{
    d_lost = TLostTime(stops, days);
    qint64 executing = 0;
    qint64 scheduled = 0;
    qint64 planned = 0;
    for (const TPeriodKind kind : {DAY, WEEK, MONTH})
        for (TPeriod &period : d_periods[kind])
        {
            const TLostTime::TDay sums = d_lost.Between(period.first, period.last);
            period.planned_stop_seconds = sums.planned;
            period.unplanned_stop_seconds = sums.unplanned;
            period.unclassified_stop_seconds = sums.unclassified;
            period.availability =
                Availability(period.executing_seconds, period.scheduled_seconds, sums.planned);
            if (kind == DAY)
            {
                executing += period.executing_seconds;
                scheduled += period.scheduled_seconds;
                planned += sums.planned;
            }
        }
    d_availability = Availability(executing, scheduled, planned);
}

double TStatistics::Availability(qint64 executing_seconds, qint64 scheduled_seconds,
                                 qint64 planned_stop_seconds)
{
    const qint64 available = scheduled_seconds - planned_stop_seconds;
    return available > 0 ? double(executing_seconds) / available : -1;
}

double TStatistics::Effectiveness() const
{
    const double performance = d_baselines.Performance();
    return d_availability < 0 || performance < 0 ? -1 : d_availability * performance;
}

void TStatistics::Count_Programs(const std::vector<TExecution> &items)
{
    QHash<QString, int> index;
    std::vector<std::vector<int>> seconds;
    for (const TExecution &item : items)
    {
        auto known = index.constFind(item.Name());
        if (known == index.constEnd())
        {
            known = index.insert(item.Name(), int(d_programs.size()));
            d_programs.emplace_back();
            d_programs.back().name = item.Name();
            seconds.emplace_back();
        }
        TProgram &program = d_programs[size_t(*known)];
        ++program.executions;
        program.total_seconds += item.Execution_Time();
        program.mean_idle_seconds += item.Idle_Time();
        program.mean_points += item.Point_Count();
        program.with_messages += item.Error_Message_Count() > 0 ? 1 : 0;
        seconds[size_t(*known)].push_back(item.Execution_Time());
    }
    for (size_t i = 0; i < d_programs.size(); ++i)
    {
        TProgram &program = d_programs[i];
        std::vector<int> &values = seconds[i];
        std::sort(values.begin(), values.end());
        const int *const begin = values.data();
        const int *const end = begin + values.size();
        const size_t half = values.size() / 2;
        program.median_seconds = Median(begin, end);
        program.lower_quartile = values.size() == 1 ? values.front() : Median(begin, begin + half);
        program.upper_quartile = values.size() == 1 ? values.front() : Median(end - half, end);
        program.minimum_seconds = values.front();
        program.maximum_seconds = values.back();
        program.mean_seconds = double(program.total_seconds) / program.executions;
        program.mean_idle_seconds /= program.executions;
        program.mean_points /= program.executions;
    }
    std::sort(d_programs.begin(), d_programs.end(),
              [](const TProgram &a, const TProgram &b) {
                  return a.total_seconds != b.total_seconds ? a.total_seconds > b.total_seconds
                                                            : a.name < b.name;
              });
}

void TStatistics::Count_Messages(const std::vector<TExecution> &items)
{
    TMessageCounts counts;
    for (const TExecution &item : items)
        for (int m = 0; m < item.Error_Message_Count(); ++m)
            counts.Add(item.Error_Message(m), item.Name());
    d_messages = counts.Ranked();
}

QSet<QDate> TStatistics::Count_Periods(const std::vector<TExecution> &items,
                                       const QStringList &selected_dates, const QStringList &record_dates,
                                       const TShiftCalendar &calendar, const QDateTime &until)
{
    QSet<QDate> counted;
    QSet<QDate> selected;
    for (const QString &text : selected_dates)
    {
        const QDate date = TStoredForm::Date(text);
        if (!date.isValid())
            continue;
        selected.insert(date);
        d_first = d_first.isValid() ? std::min(d_first, date) : date;
        d_last = d_last.isValid() ? std::max(d_last, date) : date;
    }
    if (!d_first.isValid())
        return counted;
    QSet<QDate> left_out;
    for (const QString &text : record_dates)
    {
        const QDate date = TStoredForm::Date(text);
        if (!selected.contains(date))
            left_out.insert(date);
    }
    // Each execution counts on the day it was opened.
    std::map<QDate, TDay> days;
    for (const TExecution &item : items)
    {
        TDay &day = days[item.Date_Time().date()];
        ++day.executions;
        day.executing += item.Execution_Time();
        day.idle += item.Idle_Time();
    }
    std::map<QDate, qint64> scheduled;
    for (QDate date = d_first; date <= d_last; date = date.addDays(1))
        if (!left_out.contains(date))
            scheduled[date] = calendar.Scheduled_Seconds(date, QTimeZone(), until);
    for (const TPeriodKind kind : {DAY, WEEK, MONTH})
    {
        std::vector<TPeriod> &periods = d_periods[kind];
        auto next_execution_day = days.cbegin();
        for (QDate date = d_first; date <= d_last; date = date.addDays(1))
        {
            if (left_out.contains(date))
                continue;
            counted.insert(date);
            const QDate start = Period_Start(date, kind);
            if (periods.empty() || Period_Start(periods.back().first, kind) != start)
            {
                periods.emplace_back();
                periods.back().label = Period_Label(start, kind);
                periods.back().first = date;
            }
            TPeriod &period = periods.back();
            period.last = date;
            period.scheduled_seconds += scheduled[date];
            while (next_execution_day != days.cend() && next_execution_day->first < date)
                ++next_execution_day;
            if (next_execution_day != days.cend() && next_execution_day->first == date)
            {
                period.executions += next_execution_day->second.executions;
                period.executing_seconds += next_execution_day->second.executing;
                period.idle_seconds += next_execution_day->second.idle;
            }
        }
        for (TPeriod &period : periods)
            period.utilisation = period.scheduled_seconds > 0
                                     ? double(period.executing_seconds) / period.scheduled_seconds
                                     : -1;
    }
    return counted;
}

TStatisticsTable TStatistics::Program_Table() const
{
    TStatisticsTable table(QStringLiteral("Programs"),
                           {QStringLiteral("Program"), QStringLiteral("Executions"),
                            QStringLiteral("Total s"), QStringLiteral("Mean s"), QStringLiteral("Median s"),
                            QStringLiteral("Minimum s"), QStringLiteral("Maximum s"),
                            QStringLiteral("Mean Idle s"), QStringLiteral("Mean Points"),
                            QStringLiteral("With Messages"), QStringLiteral("Share")});
    for (const TProgram &program : d_programs)
        table.Add_Row({program.name, QString::number(program.executions),
                       QString::number(program.total_seconds), Number(program.mean_seconds),
                       Number(program.median_seconds), QString::number(program.minimum_seconds),
                       QString::number(program.maximum_seconds), Number(program.mean_idle_seconds),
                       Number(program.mean_points), QString::number(program.with_messages),
                       Percent(double(program.with_messages) / program.executions)});
    return table;
}

TStatisticsTable TStatistics::Period_Table(TPeriodKind kind) const
{
    TStatisticsTable table(QStringLiteral("Utilisation per %1").arg(Period_Name(kind).toLower()),
                           {Period_Name(kind), QStringLiteral("Executions"), QStringLiteral("Executing s"),
                            QStringLiteral("Idle s"), QStringLiteral("Scheduled s"),
                            QStringLiteral("Utilisation"), QStringLiteral("Planned stops s"),
                            QStringLiteral("Lost s"), QStringLiteral("Not classified s"),
                            QStringLiteral("Availability")});
    for (const TPeriod &period : d_periods[kind])
        table.Add_Row({period.label, QString::number(period.executions),
                       QString::number(period.executing_seconds), QString::number(period.idle_seconds),
                       QString::number(period.scheduled_seconds), Percent(period.utilisation),
                       QString::number(period.planned_stop_seconds),
                       QString::number(period.unplanned_stop_seconds),
                       QString::number(period.unclassified_stop_seconds), Percent(period.availability)});
    return table;
}

TStatisticsTable TStatistics::Message_Table() const
{
    return TMessageCounts::Table(d_messages);
}

TStatisticsTable TStatistics::Pace_Table() const
{
    TStatisticsTable table(QStringLiteral("Pace against each program's baseline"),
                           {QStringLiteral("Program"), QStringLiteral("Revision"),
                            QStringLiteral("Executions"), QStringLiteral("With baseline"),
                            QStringLiteral("Baseline s"), QStringLiteral("Baseline points"),
                            QStringLiteral("Performance"), QStringLiteral("Slow"), QStringLiteral("Short"),
                            QStringLiteral("Short s")});
    table.Set_Text_Column(1);
    for (const TBaselines::TProgram &program : d_baselines.Programs())
        table.Add_Row({program.name, program.revision, QString::number(program.executions),
                       QString::number(program.with_baseline),
                       program.baseline_seconds < 0 ? QString() : Number(program.baseline_seconds),
                       program.baseline_points < 0 ? QString() : Number(program.baseline_points),
                       program.performance < 0 ? QStringLiteral("no baseline") : Percent(program.performance),
                       QString::number(program.slow), QString::number(program.short_points),
                       QString::number(program.short_seconds)});
    return table;
}

QStringList TStatistics::Summary_Lines() const
{
    const QString range =
        d_first.isValid()
            ? QStringLiteral("%1 to %2").arg(d_first.toString(Qt::ISODate), d_last.toString(Qt::ISODate))
            : QStringLiteral("no dates");
    return {QStringLiteral("Dates: %1").arg(range),
            QStringLiteral("Executions: %1").arg(d_executions),
            QStringLiteral("Programs: %1").arg(d_programs.size()),
            QStringLiteral("Execution time: %1 s").arg(d_executing),
            QStringLiteral("Idle time: %1 s").arg(d_idle),
            QStringLiteral("Points: %1").arg(d_points),
            QStringLiteral("Controller messages: %1").arg(d_message_count),
            QStringLiteral("Lost time: %1 min, not classified: %2 min, planned stops: %3 min")
                .arg(Number(d_lost.Total().unplanned / 60.0), Number(d_lost.Total().unclassified / 60.0),
                     Number(d_lost.Total().planned / 60.0)),
            QStringLiteral("Availability: %1").arg(Percent(d_availability)),
            QStringLiteral("Performance (short executions left out): %1; slow executions: %2")
                .arg(d_baselines.Performance() < 0 ? QStringLiteral("no baseline")
                                                   : Percent(d_baselines.Performance()))
                .arg(d_baselines.Slow()),
            QStringLiteral("Short executions (likely aborted, a loss of their own): %1, %2 s")
                .arg(d_baselines.Short())
                .arg(d_baselines.Short_Seconds()),
            QStringLiteral("Effectiveness (availability x performance; quality not counted): %1")
                .arg(Effectiveness() < 0 ? QStringLiteral("unknown") : Percent(Effectiveness()))};
}

QString TStatistics::Percent(double fraction)
{
    return fraction < 0 ? QStringLiteral("no shift")
                        : QString::number(fraction * 100, 'f', 1) + QLatin1Char('%');
}

QString TStatistics::Period_Name(TPeriodKind kind)
{
    switch (kind)
    {
    case WEEK:
        return QStringLiteral("Week");
    case MONTH:
        return QStringLiteral("Month");
    case DAY:
        break;
    }
    return QStringLiteral("Day");
}

QString TStatistics::Utilisation_Rule()
{
    return QStringLiteral(
        "Utilisation = executing seconds / scheduled seconds. An execution counts on the day its program was "
        "opened. A day's scheduled seconds are the part of every shift that falls within it, from midnight "
        "to midnight (a night shift gives its hours before midnight to the day it starts and the rest to the "
        "next; a day of a change of summer time holds an hour less or more), and today only up to now. They "
        "count for every day from the first to the last selected date, leaving out days that hold records "
        "but are not selected; a day without a shift adds its executing time but no scheduled time. Periods "
        "at the ends of the range count only their days inside it; weeks are ISO weeks (Monday to Sunday). "
        "Availability = executing seconds / (scheduled seconds - planned stop seconds). Performance = "
        "baseline seconds / actual seconds of the executions with a baseline that are not short (short ones "
        "are likely aborted: counted apart as a loss, never as pace); the baseline is the median "
        "of the same program and revision's last 20 executions.");
}
