#include "src/fleet/fleetreader.h"

#include "src/central/connectionsocket.h"
#include "src/central/sqlliteral.h"
#include "src/fleet/fleetsilence.h"
#include "src/fleet/fleetstatistics.h"
#include "src/shifts/shiftcalendar.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <map>

namespace
{
QDateTime From_Epoch(const QVariant &seconds)
{
    return seconds.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(qint64(seconds.toDouble() * 1000));
}

qint64 Scheduled_Until(const TShiftCalendar &calendar, const QDateTime &from, const QDateTime &now)
{
    qint64 seconds = 0;
    for (const TShiftCalendar::TInterval &span : calendar.Intervals(from, now))
        seconds += qMax(span.start, from).secsTo(qMin(span.end, now));
    return seconds;
}

} // namespace

double TFleetSnapshot::TStation::Utilisation() const
{
    return scheduled_seconds_today > 0 ? double(executing_seconds_today) / scheduled_seconds_today : -1;
}

TFleetReader::TFleetReader(const TCentralSettings &settings, const TAlertSettings &alerts)
    : d_settings(settings), d_alerts(alerts),
      d_connection_name(QStringLiteral("fleet-") + QUuid::createUuid().toString()),
      d_socket(std::make_shared<TConnectionSocket>()), d_open(false), d_broken(false)
{
    qRegisterMetaType<std::shared_ptr<const TFleetSnapshot>>();
    qRegisterMetaType<TAlertEvent>();
}

TFleetReader::~TFleetReader() = default;

void TFleetReader::Close()
{
    if (!d_open)
        return;
    d_socket->Forget();
    QSqlDatabase::database(d_connection_name, false).close();
    QSqlDatabase::removeDatabase(d_connection_name);
    d_open = false;
}

void TFleetReader::Stop()
{
    Close();
}

void TFleetReader::Fail(const QString &reason)
{
    // Dropped once the read is over and no query holds it: the next read connects afresh.
    d_broken = true;
    emit Failed(reason);
}

void TFleetReader::Read(const QStringList &chosen, const QDate &first, const QDate &last)
{
    Read_Snapshot(chosen, first, last);
    if (d_broken)
        Close();
    d_broken = false;
}

void TFleetReader::Read_Snapshot(const QStringList &chosen, const QDate &first, const QDate &last)
{
    QString error;
    if (!d_open && !d_settings.Open_Connection(d_connection_name, &error))
    {
        emit Failed(error);
        return;
    }
    if (!d_open)
        d_socket->Note(QSqlDatabase::database(d_connection_name, false));
    d_open = true;
    auto snapshot = std::make_shared<TFleetSnapshot>();
    snapshot->first = first;
    snapshot->last = last;
    {
        QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
        if (!query.exec(QStringLiteral("SELECT extract(epoch from now())")) || !query.next())
        {
            Fail(d_settings.Describe() + QStringLiteral(": ") + query.lastError().text().trimmed());
            return;
        }
        snapshot->read_at = From_Epoch(query.value(0));
    }
    if (!Read_Stations(snapshot.get(), snapshot->read_at.date()))
        return;
    for (auto &station : snapshot->stations)
        station.chosen = chosen.isEmpty() || chosen.contains(station.id);
    QSqlDatabase db = QSqlDatabase::database(d_connection_name, false);
    const TFleetSilence::TSay tell = [this](const TAlertEvent &event, const QString &station)
    { emit Alert(event, station); };
    if (!TFleetSilence::Judge(db, d_alerts.silent_minutes, snapshot.get(), tell, &error) ||
        !TFleetStatistics::Read(db, snapshot.get(), &error))
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + error);
        return;
    }
    emit Ready(snapshot);
}

bool TFleetReader::Read_Stations(TFleetSnapshot *snapshot, const QDate &today)
{
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT station_id,name,state,program,state_since,extract(epoch from heartbeat),"
                           "shift_calendar FROM stations ORDER BY name,station_id")))
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + query.lastError().text().trimmed());
        return false;
    }
    std::map<QString, size_t> index;
    const QDateTime midnight(today, QTime(0, 0));
    while (query.next())
    {
        TFleetSnapshot::TStation station;
        station.id = query.value(0).toString();
        station.name = query.value(1).toString();
        station.state = TStationActivities::From_Text(query.value(2).toString());
        station.program = query.value(3).toString();
        station.since = query.value(4).toDateTime();
        station.heartbeat = From_Epoch(query.value(5));
        station.calendar = TShiftCalendar::From_Line(query.value(6).toString());
        station.scheduled_seconds_today = Scheduled_Until(station.calendar, midnight, snapshot->read_at);
        station.target = station.calendar.Target();
        index[station.id] = snapshot->stations.size();
        snapshot->stations.push_back(station);
    }
    // Literals, not bound values: the driver sends a bound time as UTC, which
    // a column of the stations' local times would misread.
    bool read =
        query.exec(QStringLiteral("SELECT station_id,count(*),coalesce(sum(execution_seconds),0),"
                                  "coalesce(sum(message_count),0) FROM executions WHERE opened>=%1 AND "
                                  "opened<%2 GROUP BY station_id")
                       .arg(TSqlLiteral::Timestamp(midnight), TSqlLiteral::Timestamp(midnight.addDays(1))));
    while (read && query.next())
    {
        const auto found = index.find(query.value(0).toString());
        if (found == index.end())
            continue;
        TFleetSnapshot::TStation &station = snapshot->stations[found->second];
        station.executions_today = query.value(1).toInt();
        station.executing_seconds_today = query.value(2).toLongLong();
        station.messages_today = query.value(3).toInt();
    }
    // A station's latest open stop: one killed mid-stop leaves it open until it starts again.
    read = read &&
           query.exec(QStringLiteral("SELECT DISTINCT ON (station_id) station_id,started,reason FROM stops "
                                     "WHERE open ORDER BY station_id,started DESC"));
    while (read && query.next())
    {
        const auto found = index.find(query.value(0).toString());
        if (found == index.end())
            continue;
        snapshot->stations[found->second].stop_started = query.value(1).toDateTime();
        snapshot->stations[found->second].stop_reason = query.value(2).toString();
    }
    read = read && query.exec(QStringLiteral(
                       "SELECT station_id,detail FROM alerts WHERE ended IS NULL ORDER BY started"));
    while (read && query.next())
    {
        const auto found = index.find(query.value(0).toString());
        if (found != index.end())
            snapshot->stations[found->second].open_alerts << query.value(1).toString();
    }
    if (!read)
        Fail(d_settings.Describe() + QStringLiteral(": ") + query.lastError().text().trimmed());
    return read;
}
