#include "src/fleet/fleetstations.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <map>

namespace
{
QDateTime From_Epoch(const QVariant &seconds)
{
    return seconds.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(qint64(seconds.toDouble() * 1000));
}

// A station's zone by the name it told; where this system does not know the
// name, the offset from UTC it last told (with its heartbeat, or as its last
// state's local time against its instant); UTC when it told neither. Never the
// reader's own zone, which may be a continent away.
void Set_Zone(TFleetSnapshot::TStation *station, const QVariant &offset)
{
    const QString &name = station->zone_name;
    const QTimeZone zone(name.toUtf8());
    if (!name.isEmpty() && zone.isValid())
    {
        station->zone = zone;
        station->zone_text = name;
        return;
    }
    const int seconds = offset.isNull() ? 0 : offset.toInt();
    const QTimeZone fixed = offset.isNull() ? QTimeZone::utc() : QTimeZone(seconds);
    station->zone = fixed.isValid() ? fixed : QTimeZone::utc();
    const QString read_as = QString::fromUtf8(station->zone.id());
    station->zone_text = name.isEmpty() ? QStringLiteral("(zone not told; read as %1)").arg(read_as)
                                        : QStringLiteral("(%1 unknown here; read as %2)").arg(name, read_as);
}

// A wall time of the station's (a row sent without its instant) as the moment it was there.
QDateTime In_Zone(const QVariant &wall_time, const QTimeZone &zone)
{
    if (wall_time.isNull())
        return QDateTime();
    const QDateTime local = wall_time.toDateTime();
    return QDateTime(local.date(), local.time(), zone);
}
} // namespace

QDateTime TFleetStations::Now(QSqlDatabase db, QString *error)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT extract(epoch from now())")) && query.next())
        return From_Epoch(query.value(0));
    *error = query.lastError().text().trimmed();
    return QDateTime();
}

bool TFleetStations::Read(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT station_id,name,state,program,state_since,extract(epoch from heartbeat),shift_calendar,"
            "group_name,time_zone,extract(epoch from state_since_at),"
            "coalesce(utc_offset,extract(epoch from state_since-(state_since_at AT TIME ZONE "
            "'UTC'))::integer) "
            "FROM stations ORDER BY group_name,name,station_id")))
    {
        *error = query.lastError().text().trimmed();
        return false;
    }
    QSet<QString> groups;
    while (query.next())
    {
        TFleetSnapshot::TStation station;
        station.id = query.value(0).toString();
        station.name = query.value(1).toString();
        station.state = TStationActivities::From_Text(query.value(2).toString());
        station.program = query.value(3).toString();
        station.heartbeat = From_Epoch(query.value(5));
        station.calendar = TShiftCalendar::From_Line(query.value(6).toString());
        station.group = query.value(7).toString();
        station.zone_name = query.value(8).toString();
        Set_Zone(&station, query.value(10));
        station.since =
            query.value(9).isNull() ? In_Zone(query.value(4), station.zone) : From_Epoch(query.value(9));
        station.today = station.Local(snapshot->read_at).date();
        station.target = station.calendar.Target();
        station.in_group = snapshot->group.isEmpty() || station.group == snapshot->group;
        if (!station.group.isEmpty())
            groups.insert(station.group);
        snapshot->stations.push_back(station);
    }
    snapshot->groups = groups.values();
    std::sort(snapshot->groups.begin(), snapshot->groups.end());
    return Read_Stops_And_Alerts(db, snapshot, error);
}

bool TFleetStations::Read_Stops_And_Alerts(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error)
{
    std::map<QString, size_t> index;
    for (size_t i = 0; i < snapshot->stations.size(); ++i)
        index[snapshot->stations[i].id] = i;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // A station's latest open stop: one killed mid-stop leaves it open until it starts again.
    bool read = query.exec(QStringLiteral(
        "SELECT DISTINCT ON (station_id) station_id,started,reason,extract(epoch from started_at) "
        "FROM stops WHERE open ORDER BY station_id,started DESC"));
    while (read && query.next())
    {
        const auto found = index.find(query.value(0).toString());
        if (found == index.end())
            continue;
        TFleetSnapshot::TStation &station = snapshot->stations[found->second];
        station.stop_started =
            query.value(3).isNull() ? In_Zone(query.value(1), station.zone) : From_Epoch(query.value(3));
        station.stop_reason = query.value(2).toString();
    }
    read = read &&
           query.exec(QStringLiteral(
               "SELECT station_id,detail,kind='silent' FROM alerts WHERE ended IS NULL ORDER BY started"));
    while (read && query.next())
    {
        const auto found = index.find(query.value(0).toString());
        if (found != index.end())
        {
            snapshot->stations[found->second].open_alerts << query.value(1).toString();
            snapshot->stations[found->second].open_silence |= query.value(2).toBool();
        }
    }
    if (!read)
        *error = query.lastError().text().trimmed();
    return read;
}
