#include "src/centraldb/centralschema.h"

#include "centralschemasql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
// Any number every station uses for the lock of schema creation.
const char *const LOCK = "SELECT pg_advisory_xact_lock(7251003)";

bool Run(QSqlQuery *query, const QString &statement, QString *error)
{
    if (query->exec(statement))
        return true;
    *error = query->lastError().text().trimmed();
    return false;
}

// The tables' version, 0 when there are none.
bool Read_Version(QSqlQuery *query, int *version, QString *error)
{
    *version = 0;
    if (!Run(query, QStringLiteral("SELECT to_regclass('quorvex_schema') IS NOT NULL"), error) ||
        !query->next())
        return false;
    if (!query->value(0).toBool())
        return true;
    if (!Run(query, QStringLiteral("SELECT max(version) FROM quorvex_schema"), error) || !query->next())
        return false;
    *version = query->value(0).isNull() ? 0 : query->value(0).toInt();
    return true;
}
} // namespace

TCentralSchema::TResult TCentralSchema::Prepare(QSqlDatabase db, int *found_version, QString *error)
{
    {
        // Tables of this version are used as they are, without a lock and
        // without a statement that changes them: a station's own login has no
        // right to any, and a station cut while holding a lock stalls no one.
        QSqlQuery query(db);
        if (!Read_Version(&query, found_version, error))
            return FAILED;
        if (*found_version > VERSION)
        {
            *error = Newer_Message(*found_version);
            return NEWER;
        }
        if (*found_version == VERSION)
            return READY;
    }
    const TResult result = Create(db, found_version, error);
    if (result == FAILED)
        *error = Missing_Message(*found_version, *error);
    return result;
}

// Missing or older tables are made in one transaction, under a lock every
// station takes, so that two stations connecting at once do not both make them.
TCentralSchema::TResult TCentralSchema::Create(QSqlDatabase db, int *found_version, QString *error)
{
    if (!db.transaction())
    {
        *error = db.lastError().text().trimmed();
        return FAILED;
    }
    QSqlQuery query(db);
    TResult result = FAILED;
    if (Run(&query, QLatin1String(LOCK), error) && Read_Version(&query, found_version, error))
    {
        if (*found_version > VERSION)
        {
            *error = Newer_Message(*found_version);
            result = NEWER;
        }
        else if (Run(&query, QString::fromUtf8(CENTRAL_SCHEMA_SQL), error))
            result = READY;
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

QString TCentralSchema::Missing_Message(int found_version, const QString &reason)
{
    const QString what =
        found_version == 0
            ? QStringLiteral("the central database has no Quorvex tables")
            : QStringLiteral("the central database's tables are of version %1, older than this "
                             "Quorvex (%2)")
                  .arg(found_version)
                  .arg(VERSION);
    return what + QStringLiteral(", and this login cannot make them (%1); the database's administrator runs "
                                 "scripts/central-setup to make or upgrade them")
                      .arg(reason);
}

QString TCentralSchema::Newer_Message(int found_version)
{
    return QStringLiteral(
               "The central database's tables are of version %1, newer than this Quorvex knows (%2); "
               "nothing is written to it until Quorvex is updated.")
        .arg(found_version)
        .arg(VERSION);
}
