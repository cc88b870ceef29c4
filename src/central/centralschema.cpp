#include "src/central/centralschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
// Any number every station uses for the lock of schema creation.
const char *const LOCK = "SELECT pg_advisory_xact_lock(7251003)";

const char *const TABLES[] = {
    "CREATE TABLE IF NOT EXISTS stations(station_id text PRIMARY KEY, name text NOT NULL, "
    "state text NOT NULL DEFAULT 'off', program text NOT NULL DEFAULT '', state_since timestamp, "
    "heartbeat timestamptz NOT NULL DEFAULT now(), shift_calendar text NOT NULL DEFAULT '')",
    "CREATE TABLE IF NOT EXISTS executions(station_id text NOT NULL, local_id bigint NOT NULL, "
    "arrival bigserial, name text NOT NULL, revision text NOT NULL, date_text text NOT NULL, "
    "time_text text NOT NULL, opened timestamp, execution_seconds integer NOT NULL, "
    "idle_seconds integer NOT NULL, point_count integer NOT NULL, message_count integer NOT NULL, "
    "received timestamptz NOT NULL DEFAULT now(), PRIMARY KEY(station_id, local_id))",
    "CREATE INDEX IF NOT EXISTS executions_opened ON executions(opened)",
    "CREATE TABLE IF NOT EXISTS execution_messages(station_id text NOT NULL, local_id bigint NOT NULL, "
    "position integer NOT NULL, message text NOT NULL, PRIMARY KEY(station_id, local_id, position))",
    "CREATE TABLE IF NOT EXISTS usage_periods(station_id text NOT NULL, local_id bigint NOT NULL, "
    "total text NOT NULL, seconds integer NOT NULL, recorded timestamptz, PRIMARY KEY(station_id, local_id))",
    "CREATE TABLE IF NOT EXISTS alerts(station_id text NOT NULL, alert_key text NOT NULL, kind text NOT "
    "NULL, "
    "detail text NOT NULL, started timestamp NOT NULL, ended timestamp, PRIMARY KEY(station_id, alert_key))",
    "CREATE INDEX IF NOT EXISTS alerts_started ON alerts(started)",
};

bool Run(QSqlQuery *query, const QString &statement, QString *error)
{
    if (query->exec(statement))
        return true;
    *error = query->lastError().text().trimmed();
    return false;
}
} // namespace

TCentralSchema::TResult TCentralSchema::Prepare(QSqlDatabase db, int *found_version, QString *error)
{
    *found_version = 0;
    if (!db.transaction())
    {
        *error = db.lastError().text().trimmed();
        return FAILED;
    }
    QSqlQuery query(db);
    TResult result = FAILED;
    if (Run(&query, QLatin1String(LOCK), error) &&
        Run(&query, QStringLiteral("CREATE TABLE IF NOT EXISTS quorvex_schema(version integer NOT NULL)"),
            error) &&
        Run(&query, QStringLiteral("SELECT max(version) FROM quorvex_schema"), error) && query.next())
    {
        *found_version = query.value(0).isNull() ? 0 : query.value(0).toInt();
        if (*found_version > VERSION)
        {
            *error = Newer_Message(*found_version);
            result = NEWER;
        }
        else
        {
            bool made = true;
            for (const char *statement : TABLES)
                made = made && Run(&query, QLatin1String(statement), error);
            if (made && *found_version < VERSION)
                made =
                    Run(&query, QStringLiteral("DELETE FROM quorvex_schema"), error) &&
                    Run(&query, QStringLiteral("INSERT INTO quorvex_schema(version) VALUES(%1)").arg(VERSION),
                        error);
            if (made)
                result = READY;
        }
    }
    query.finish();
    if (result == READY && !db.commit())
    {
        *error = db.lastError().text().trimmed();
        result = FAILED;
    }
    if (result != READY)
        db.rollback();
    return result;
}

QString TCentralSchema::Newer_Message(int found_version)
{
    return QStringLiteral(
               "The central database's tables are of version %1, newer than this Quorvex knows (%2); "
               "nothing is written to it until Quorvex is updated.")
        .arg(found_version)
        .arg(VERSION);
}
