#include "src/fleet/fleetstatistics.h"

#include "src/central/sqlliteral.h"
#include "src/database/storedform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace
{
QString Hours(qint64 seconds)
{
    return QString::number(seconds / 3600.0, 'f', 1);
}
} // namespace

bool TFleetStatistics::Read_Items(QSqlDatabase db, const QStringList &quoted_ids, const QDate &first,
                                  const QDate &last, std::map<QString, std::vector<TDatabaseItem>> *items,
                                  QString *error)
{
    QString where = QStringLiteral(" WHERE e.opened>=%1 AND e.opened<%2")
                        .arg(TSqlLiteral::Timestamp(QDateTime(first, QTime(0, 0))),
                             TSqlLiteral::Timestamp(QDateTime(last.addDays(1), QTime(0, 0))));
    if (!quoted_ids.isEmpty())
        where +=
            QStringLiteral(" AND e.station_id IN (") + quoted_ids.join(QLatin1Char(',')) + QLatin1Char(')');
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool read =
        query.exec(QStringLiteral("SELECT e.station_id,e.local_id,e.name,e.revision,e.opened,"
                                  "e.execution_seconds,e.idle_seconds,e.point_count FROM executions e") +
                   where + QStringLiteral(" ORDER BY e.station_id,e.local_id"));
    std::map<std::pair<QString, qint64>, size_t> index;
    while (read && query.next())
    {
        TDatabaseItem item;
        item.Set_Name(query.value(2).toString());
        item.Set_Revision(query.value(3).toString());
        item.Set_Date_Time(query.value(4).toDateTime());
        item.Set_Execution_Time(query.value(5).toInt());
        item.Set_Idle_Time(query.value(6).toInt());
        item.Set_Point_Count(query.value(7).toInt());
        std::vector<TDatabaseItem> &list = (*items)[query.value(0).toString()];
        index[{query.value(0).toString(), query.value(1).toLongLong()}] = list.size();
        list.push_back(item);
    }
    read = read &&
           query.exec(QStringLiteral("SELECT m.station_id,m.local_id,m.message FROM execution_messages m "
                                     "JOIN executions e USING(station_id,local_id)") +
                      where + QStringLiteral(" ORDER BY m.station_id,m.local_id,m.position"));
    while (read && query.next())
    {
        const auto found = index.find({query.value(0).toString(), query.value(1).toLongLong()});
        if (found != index.end())
            (*items)[found->first.first][found->second].Add_Error_Message(query.value(2).toString());
    }
    if (!read)
        *error = query.lastError().text().trimmed();
    return read;
}

bool TFleetStatistics::Read(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error)
{
    const TSqlLiteral sql(db);
    QStringList ids;
    for (const TFleetSnapshot::TStation &station : snapshot->stations)
        if (station.chosen)
            ids << sql.Text(station.id);
    snapshot->station_table = TStatisticsTable(QStringLiteral("Stations"),
                                               {QStringLiteral("Station"), QStringLiteral("Executions"),
                                                QStringLiteral("Executing h"), QStringLiteral("Scheduled h"),
                                                QStringLiteral("Utilisation"), QStringLiteral("Target"),
                                                QStringLiteral("Messages")});
    const QStringList days = TStoredForm::Date_Texts(snapshot->first, snapshot->last);
    std::map<QString, std::vector<TDatabaseItem>> items;
    std::vector<TDatabaseItem> all;
    if (!ids.isEmpty() && !Read_Items(db, ids, snapshot->first, snapshot->last, &items, error))
        return false;

    QStringList program_headers{QStringLiteral("Station")};
    bool headed = false;
    for (const TFleetSnapshot::TStation &station : snapshot->stations)
    {
        if (!station.chosen)
            continue;
        const std::vector<TDatabaseItem> &mine = items[station.id];
        all.insert(all.end(), mine.begin(), mine.end());
        const TStatistics statistics(mine, days, days, station.calendar);
        qint64 scheduled = 0;
        for (const TStatistics::TPeriod &period : statistics.Periods(TStatistics::MONTH))
            scheduled += period.scheduled_seconds;
        const double utilisation = scheduled > 0 ? double(statistics.Executing_Seconds()) / scheduled : -1;
        snapshot->station_table.Add_Row(
            {station.name, QString::number(statistics.Executions()), Hours(statistics.Executing_Seconds()),
             Hours(scheduled), TStatistics::Percent(utilisation), TStatistics::Percent(station.target),
             QString::number(statistics.Message_Count())});
        snapshot->utilisation.emplace_back(station.name, utilisation);
        snapshot->target = qMax(snapshot->target, station.target);
        const TStatisticsTable programs = statistics.Program_Table();
        if (!headed)
        {
            snapshot->program_table = TStatisticsTable(QStringLiteral("Programs per station"),
                                                       program_headers + programs.Headers());
            snapshot->program_table.Set_Text_Column(1);
            headed = true;
        }
        for (int row = 0; row < programs.Row_Count(); ++row)
            snapshot->program_table.Add_Row(QStringList{station.name} + programs.Row(row));
    }
    if (!headed)
        snapshot->program_table = TStatisticsTable(QStringLiteral("Programs per station"),
                                                   program_headers + TStatistics().Program_Table().Headers());
    snapshot->message_table = TStatistics(all, days, days, TShiftCalendar()).Message_Table();
    return Read_Lost_Time(db, ids, snapshot, error);
}

bool TFleetStatistics::Read_Lost_Time(QSqlDatabase db, const QStringList &quoted_ids,
                                      TFleetSnapshot *snapshot, QString *error)
{
    std::vector<TStopRecord> stops;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool read =
        quoted_ids.isEmpty() ||
        query.exec(
            QStringLiteral("SELECT started,ended,reason,planned FROM stops WHERE started>=%1 AND started<%2 "
                           "AND station_id IN (%3)")
                .arg(TSqlLiteral::Timestamp(QDateTime(snapshot->first, QTime(0, 0))),
                     TSqlLiteral::Timestamp(QDateTime(snapshot->last.addDays(1), QTime(0, 0))),
                     quoted_ids.join(QLatin1Char(','))));
    while (read && !quoted_ids.isEmpty() && query.next())
    {
        TStopRecord stop;
        stop.started = query.value(0).toDateTime();
        stop.ended = query.value(1).toDateTime();
        stop.reason = query.value(2).toString();
        stop.planned = query.value(3).toBool();
        stops.push_back(stop);
    }
    if (!read)
    {
        *error = query.lastError().text().trimmed();
        return false;
    }
    QSet<QDate> days;
    for (QDate day = snapshot->first; day.isValid() && day <= snapshot->last; day = day.addDays(1))
        days.insert(day);
    snapshot->lost_table = TLostTime(stops, days).Table();
    return true;
}
