#include "src/fleet/centralalerts.h"

#include "src/centraldb/sqlliteral.h"

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
    if (!query.exec(QStringLiteral("SELECT quorvex_silence_start(%1,%2,%3,%4)")
                        .arg(sql.Text(station_id), sql.Text(event.Key()), sql.Text(event.detail),
                             TSqlLiteral::Timestamp(event.started))) ||
        !query.next())
        return Fail(query.lastError().text());
    *first = query.value(0).toBool();
    return true;
}

bool TCentralAlerts::End(const QString &station_id, const TAlertEvent &event, bool *first)
{
    const TSqlLiteral sql(d_db);
    QSqlQuery query(d_db);
    if (!query.exec(
            QStringLiteral("SELECT quorvex_silence_end(%1,%2,%3)")
                .arg(sql.Text(station_id), sql.Text(event.Key()), TSqlLiteral::Timestamp(event.ended))) ||
        !query.next())
        return Fail(query.lastError().text());
    *first = query.value(0).toBool();
    return true;
}

bool TCentralAlerts::End_Open(const QString &station_id, const QDateTime &at, QVector<TAlertEvent> *ended)
{
    const TSqlLiteral sql(d_db);
    QSqlQuery query(d_db);
    if (!query.exec(QStringLiteral("SELECT detail,started FROM quorvex_silence_end_open(%1,%2)")
                        .arg(sql.Text(station_id), TSqlLiteral::Timestamp(at))))
        return Fail(query.lastError().text());
    while (query.next())
        ended->append({TAlertJudge::SILENT, query.value(0).toString(), query.value(1).toDateTime(), at});
    return true;
}
