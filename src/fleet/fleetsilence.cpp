#include "src/fleet/fleetsilence.h"

#include "src/central/sqlliteral.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

bool TFleetSilence::Judge(QSqlDatabase db, int silent_minutes, TFleetSnapshot *snapshot, const TSay &tell,
                          QString *error)
{
    const TSqlLiteral sql(db);
    const QString detail = QStringLiteral("no word from the station for more than %1 minutes during a shift")
                               .arg(silent_minutes);
    QSqlQuery query(db);
    bool done = true;
    for (TFleetSnapshot::TStation &station : snapshot->stations)
    {
        const QString id = sql.Text(station.id);
        const auto say = [&](const TAlertEvent &event)
        {
            snapshot->alert_lines << station.name + QStringLiteral(": ") + event.Panel_Line();
            tell(event, station.name);
        };
        const TShiftCalendar::TInterval silence =
            TAlertJudge::Silence(station.calendar, silent_minutes, station.heartbeat, snapshot->read_at);
        if (silence.start.isValid())
        {
            TAlertEvent event{TAlertJudge::SILENT, detail, silence.start, QDateTime()};
            const QString key = sql.Text(event.Key());
            done = done &&
                   query.exec(QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started) "
                                             "VALUES(%1,%2,%3,%4,%5) ON CONFLICT DO NOTHING")
                                  .arg(id, key, sql.Text(event.kind), sql.Text(detail),
                                       TSqlLiteral::Timestamp(event.started)));
            if (done && query.numRowsAffected() == 1)
            {
                say(event);
                if (!silence.end.isValid())
                    station.open_alerts << detail;
            }
            if (silence.end.isValid())
            {
                done = done && query.exec(QStringLiteral("UPDATE alerts SET ended=%1 WHERE station_id=%2 AND "
                                                         "alert_key=%3 AND ended IS NULL")
                                              .arg(TSqlLiteral::Timestamp(silence.end), id, key));
                event.ended = silence.end;
                if (done && query.numRowsAffected() == 1)
                {
                    say(event);
                    station.open_alerts.removeAll(detail);
                }
            }
            else
                station.state = TStationActivity::SILENT;
        }
        // Heard again: a silence still open ends with the heartbeat that ended it.
        done = done &&
               query.exec(QStringLiteral("UPDATE alerts SET ended=%1 WHERE station_id=%2 AND kind='silent' "
                                         "AND ended IS NULL AND started<%1 RETURNING detail,started")
                              .arg(TSqlLiteral::Timestamp(station.heartbeat), id));
        while (done && query.next())
        {
            say({TAlertJudge::SILENT, query.value(0).toString(), query.value(1).toDateTime(),
                 station.heartbeat});
            station.open_alerts.removeAll(query.value(0).toString());
        }
        if (!done)
            break;
    }
    if (!done)
        *error = query.lastError().text().trimmed();
    return done;
}
