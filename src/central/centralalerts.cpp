#include "src/central/centralalerts.h"

#include "src/central/sqlliteral.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

bool TCentralAlerts::Fail(const QString &error)
{
    d_last_error = error.trimmed();
    return false;
}

bool TCentralAlerts::Start(const QString &station_id, const TAlertEvent &event, bool *first)
{
    const TSqlLiteral sql(d_db);
    QSqlQuery query(d_db);
    if (!query.exec(QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started) "
                                   "VALUES(%1,%2,%3,%4,%5) ON CONFLICT DO NOTHING")
                        .arg(sql.Text(station_id), sql.Text(event.Key()), sql.Text(event.kind),
                             sql.Text(event.detail), TSqlLiteral::Timestamp(event.started))))
        return Fail(query.lastError().text());
    *first = query.numRowsAffected() == 1;
    return true;
}

bool TCentralAlerts::End(const QString &station_id, const TAlertEvent &event, bool *first)
{
    const TSqlLiteral sql(d_db);
    QSqlQuery query(d_db);
    if (!query.exec(
            QStringLiteral(
                "UPDATE alerts SET ended=%1 WHERE station_id=%2 AND alert_key=%3 AND ended IS NULL")
                .arg(TSqlLiteral::Timestamp(event.ended), sql.Text(station_id), sql.Text(event.Key()))))
        return Fail(query.lastError().text());
    *first = query.numRowsAffected() == 1;
    return true;
}

bool TCentralAlerts::End_Open(const QString &station_id, const QString &kind, const QDateTime &at,
                              QVector<TAlertEvent> *ended)
{
    const TSqlLiteral sql(d_db);
    QSqlQuery query(d_db);
    if (!query.exec(
            QStringLiteral("UPDATE alerts SET ended=%1 WHERE station_id=%2 AND kind=%3 AND ended IS NULL "
                           "AND started<%1 RETURNING detail,started")
                .arg(TSqlLiteral::Timestamp(at), sql.Text(station_id), sql.Text(kind))))
        return Fail(query.lastError().text());
    while (query.next())
        ended->append({kind, query.value(0).toString(), query.value(1).toDateTime(), at});
    return true;
}
