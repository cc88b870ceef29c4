#include "src/fleet/fleetfigures.h"

#include "src/centraldb/sqlliteral.h"
#include "src/statistics/messagecounts.h"
#include "src/statistics/statistics.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
QString Hours(qint64 seconds)
{
    return QString::number(seconds / 3600.0, 'f', 1);
}

QString Mean(qint64 sum, qint64 count)
{
    return count > 0 ? QString::number(double(sum) / count, 'f', 1) : QStringLiteral("0.0");
}

QString Day(const QDate &day)
{
    return QStringLiteral("'%1'::date").arg(day.toString(Qt::ISODate));
}
} // namespace

TFleetFigures::TFleetFigures(QSqlDatabase db, TFleetSnapshot *snapshot) : d_db(db), d_snapshot(snapshot) {}

qint64 TFleetFigures::Scheduled(const TFleetSnapshot::TStation &station, const QDate &day,
                                const QDateTime &now)
{
    return station.calendar.Scheduled_Seconds(day, station.zone, now);
}

bool TFleetFigures::Query(QSqlQuery *query, const QString &statement)
{
    query->setForwardOnly(true);
    if (query->exec(statement))
        return true;
    d_error = query->lastError().text().trimmed();
    return false;
}

QString TFleetFigures::Ranges(bool chosen_only)
{
    const TSqlLiteral sql(d_db);
    QStringList rows;
    QDate low;
    QDate high;
    for (const TFleetSnapshot::TStation &station : d_snapshot->stations)
    {
        if (chosen_only && !station.chosen)
            continue;
        // The chosen ones' days for the statistics; with every station's today for the table of stations.
        QDate first = d_snapshot->First_Day(station);
        QDate last = d_snapshot->Last_Day(station);
        if (!chosen_only)
        {
            first = station.chosen ? qMin(first, station.today) : station.today;
            last = station.chosen ? qMax(last, station.today) : station.today;
        }
        rows << QStringLiteral("(%1,%2,%3)").arg(sql.Text(station.id), Day(first), Day(last));
        low = low.isValid() ? qMin(low, first) : first;
        high = high.isValid() ? qMax(high, last) : last;
    }
    // All the days at once as well: the planner then reads the kept rows of those days by
    // their index, where 500 stations' ranges alone would have it read every kept row.
    d_days_between =
        rows.isEmpty() ? QString() : QStringLiteral(" BETWEEN %1 AND %2").arg(Day(low), Day(high));
    return rows.isEmpty() ? QString()
                          : QStringLiteral("WITH r(station_id,first,last) AS (VALUES ") +
                                rows.join(QLatin1Char(',')) + QStringLiteral(") ");
}

bool TFleetFigures::Read()
{
    if (!Read_Days())
        return false;
    Station_Table();
    const QString ranges = Ranges(true);
    return Read_Programs(ranges) && Read_Messages(ranges) && Read_Lost_Time(ranges);
}

bool TFleetFigures::Read_Days()
{
    const QString ranges = Ranges(false);
    QSqlQuery query(d_db);
    if (!ranges.isEmpty() &&
        !Query(&query,
               ranges + QStringLiteral(
                            "SELECT d.station_id,d.day,d.executions,d.executing_seconds,"
                            "d.messages,d.scheduled_seconds FROM r JOIN station_days d ON "
                            "d.station_id=r.station_id AND d.day BETWEEN r.first AND r.last AND d.day%1")
                            .arg(d_days_between)))
        return false;
    while (!ranges.isEmpty() && query.next())
    {
        TDay &day = d_days[{query.value(0).toString(), query.value(1).toDate()}];
        day.executions = query.value(2).toLongLong();
        day.executing_seconds = query.value(3).toLongLong();
        day.messages = query.value(4).toLongLong();
        day.scheduled_seconds = query.value(5).isNull() ? -1 : query.value(5).toLongLong();
    }
    for (TFleetSnapshot::TStation &station : d_snapshot->stations)
    {
        const auto today = d_days.find({station.id, station.today});
        if (today != d_days.end())
        {
            station.executions_today = int(today->second.executions);
            station.executing_seconds_today = today->second.executing_seconds;
            station.messages_today = int(today->second.messages);
        }
        station.scheduled_seconds_today = Scheduled(station, station.today, d_snapshot->read_at);
    }
    return Read_Planned_Stops(ranges);
}

// Planned stops are not lost: availability leaves them out of the scheduled time.
bool TFleetFigures::Read_Planned_Stops(const QString &ranges)
{
    QSqlQuery query(d_db);
    if (!ranges.isEmpty() &&
        !Query(&query,
               ranges + QStringLiteral("SELECT s.station_id,s.day,sum(s.seconds) FROM r JOIN "
                                       "station_day_stops s ON s.station_id=r.station_id AND s.day "
                                       "BETWEEN r.first AND r.last AND s.day%1 AND s.planned GROUP BY 1,2")
                            .arg(d_days_between)))
        return false;
    while (!ranges.isEmpty() && query.next())
        d_days[{query.value(0).toString(), query.value(1).toDate()}].planned_stop_seconds =
            query.value(2).toLongLong();
    return true;
}

qint64 TFleetFigures::Scheduled_Past_Day(const TFleetSnapshot::TStation &station, const QString &calendar,
                                         const QDate &day)
{
    const auto found = d_scheduled.find({calendar, day});
    if (found != d_scheduled.end())
        return found->second;
    const qint64 seconds = Scheduled(station, day, d_snapshot->read_at);
    d_scheduled[{calendar, day}] = seconds;
    return seconds;
}

// Past days count what the station scheduled that day (its calendar then),
// else what its calendar schedules now; today counts up to the read.
void TFleetFigures::Station_Table()
{
    TFleetSnapshot &snapshot = *d_snapshot;
    snapshot.station_table =
        TStatisticsTable(QStringLiteral("Stations"),
                         {QStringLiteral("Station"), QStringLiteral("Group"), QStringLiteral("Executions"),
                          QStringLiteral("Executing h"), QStringLiteral("Scheduled h"),
                          QStringLiteral("Utilisation"), QStringLiteral("Target"), QStringLiteral("Messages"),
                          QStringLiteral("Planned stops h"), QStringLiteral("Availability")});
    snapshot.station_table.Set_Text_Column(1);
    for (const TFleetSnapshot::TStation &station : snapshot.stations)
    {
        if (!station.chosen)
            continue;
        TDay sum;
        qint64 scheduled = 0;
        const QString calendar =
            station.calendar.Line() + QLatin1Char('\n') + QString::fromUtf8(station.zone.id());
        for (QDate day = snapshot.First_Day(station); day <= snapshot.Last_Day(station); day = day.addDays(1))
        {
            const auto kept = d_days.find({station.id, day});
            if (kept != d_days.end())
            {
                sum.executions += kept->second.executions;
                sum.executing_seconds += kept->second.executing_seconds;
                sum.messages += kept->second.messages;
                sum.planned_stop_seconds += kept->second.planned_stop_seconds;
            }
            if (day >= station.today)
                scheduled += Scheduled(station, day, snapshot.read_at);
            else if (kept != d_days.end() && kept->second.scheduled_seconds >= 0)
                scheduled += kept->second.scheduled_seconds;
            else
                scheduled += Scheduled_Past_Day(station, calendar, day);
        }
        const double utilisation = scheduled > 0 ? double(sum.executing_seconds) / scheduled : -1;
        const double availability =
            TStatistics::Availability(sum.executing_seconds, scheduled, sum.planned_stop_seconds);
        snapshot.station_table.Add_Row({station.name, station.group, QString::number(sum.executions),
                                        Hours(sum.executing_seconds), Hours(scheduled),
                                        TStatistics::Percent(utilisation),
                                        TStatistics::Percent(station.target), QString::number(sum.messages),
                                        Hours(sum.planned_stop_seconds), TStatistics::Percent(availability)});
        snapshot.utilisation.emplace_back(station.name, utilisation);
        snapshot.executions += sum.executions;
        snapshot.executing_seconds += sum.executing_seconds;
        snapshot.scheduled_seconds += scheduled;
        snapshot.planned_stop_seconds += sum.planned_stop_seconds;
        snapshot.messages += sum.messages;
        snapshot.target = qMax(snapshot.target, station.target);
    }
}

bool TFleetFigures::Read_Programs(const QString &ranges)
{
    TStatisticsTable &table = d_snapshot->program_table;
    table = TStatisticsTable(
        QStringLiteral("Programs per station"),
        {QStringLiteral("Station"), QStringLiteral("Program"), QStringLiteral("Executions"),
         QStringLiteral("Total s"), QStringLiteral("Mean s"), QStringLiteral("Minimum s"),
         QStringLiteral("Maximum s"), QStringLiteral("Mean Idle s"), QStringLiteral("Mean Points"),
         QStringLiteral("With Messages"), QStringLiteral("Share")});
    table.Set_Text_Column(1);
    if (ranges.isEmpty())
        return true;
    QSqlQuery query(d_db);
    if (!Query(&query,
               ranges + QStringLiteral(
                            "SELECT p.station_id,p.name,sum(p.executions),sum(p.executing_seconds),"
                            "min(p.shortest),max(p.longest),sum(p.idle_seconds),sum(p.points),"
                            "sum(p.with_messages) FROM r JOIN station_day_programs p ON "
                            "p.station_id=r.station_id AND p.day BETWEEN r.first AND r.last AND p.day%1 "
                            "GROUP BY 1,2")
                            .arg(d_days_between)))
        return false;
    std::map<QString, QString> names;
    for (const TFleetSnapshot::TStation &station : d_snapshot->stations)
        names[station.id] = station.name;
    struct TRow
    {
        QString station;
        qint64 executions;
        QStringList cells;
    };
    std::vector<TRow> rows;
    while (query.next())
    {
        const qint64 executions = query.value(2).toLongLong();
        const QString station = names[query.value(0).toString()];
        rows.push_back(
            {station,
             executions,
             {station, query.value(1).toString(), QString::number(executions), query.value(3).toString(),
              Mean(query.value(3).toLongLong(), executions), query.value(4).toString(),
              query.value(5).toString(), Mean(query.value(6).toLongLong(), executions),
              Mean(query.value(7).toLongLong(), executions), query.value(8).toString(),
              TStatistics::Percent(executions > 0 ? query.value(8).toDouble() / executions : 0)}});
    }
    // By station, then most executed first, then by name: the same order at every read.
    std::sort(rows.begin(), rows.end(),
              [](const TRow &a, const TRow &b)
              {
                  if (a.station != b.station)
                      return a.station < b.station;
                  if (a.executions != b.executions)
                      return a.executions > b.executions;
                  return a.cells.at(1) < b.cells.at(1);
              });
    for (const TRow &row : rows)
        table.Add_Row(row.cells);
    return true;
}

bool TFleetFigures::Read_Messages(const QString &ranges)
{
    TMessageCounts counts;
    QSqlQuery query(d_db);
    if (!ranges.isEmpty() &&
        !Query(&query,
               ranges + QStringLiteral(
                            "SELECT m.message,m.name,sum(m.count) FROM r JOIN station_day_messages m "
                            "ON m.station_id=r.station_id AND m.day BETWEEN r.first AND r.last AND m.day%1 "
                            "GROUP BY 1,2 ORDER BY 3 DESC,1,2")
                            .arg(d_days_between)))
        return false;
    while (!ranges.isEmpty() && query.next())
        counts.Add(query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong());
    d_snapshot->message_table = TMessageCounts::Table(counts.Ranked());
    return true;
}

bool TFleetFigures::Read_Lost_Time(const QString &ranges)
{
    std::vector<TLostTime::TReason> sums;
    QSqlQuery query(d_db);
    if (!ranges.isEmpty() &&
        !Query(&query,
               ranges + QStringLiteral(
                            "SELECT s.reason,s.planned,sum(s.seconds) FROM r JOIN station_day_stops s "
                            "ON s.station_id=r.station_id AND s.day BETWEEN r.first AND r.last AND s.day%1 "
                            "GROUP BY 1,2")
                            .arg(d_days_between)))
        return false;
    while (!ranges.isEmpty() && query.next())
    {
        TLostTime::TReason reason;
        reason.reason = query.value(0).toString();
        reason.planned = query.value(1).toBool();
        reason.seconds = query.value(2).toLongLong();
        if (reason.seconds > 0)
            sums.push_back(reason);
    }
    d_snapshot->lost_table = TLostTime(sums).Table();
    return true;
}
