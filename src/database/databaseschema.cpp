#include "src/database/databaseschema.h"

#include "src/database/database.h"
#include "src/database/localisedforms.h"
#include "src/database/stoptable.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
struct TTableDefinition
{
    const char *name;
    const char *create;
};

// Indexes for reading years of records quickly. They never decide the order of
// rows: every query that returns several rows orders them explicitly.
const char *const INDEXES[] = {
    "CREATE INDEX IF NOT EXISTS program_date_index ON program(date)",
    "CREATE INDEX IF NOT EXISTS program_entry_index ON program(name,date,time)",
    "CREATE INDEX IF NOT EXISTS program_data_index ON program_data(program_id)",
    "CREATE INDEX IF NOT EXISTS program_message_index ON program_message(program_id)",
    "CREATE INDEX IF NOT EXISTS stops_ended_index ON stops(ended)",
    "CREATE INDEX IF NOT EXISTS stops_change_index ON stops(change)",
    // Storing a stop ends those left open: found without reading the others.
    "CREATE INDEX IF NOT EXISTS stops_open_index ON stops(started) WHERE open=1",
};

// The tables of version 1, as files made before versions were kept may hold
// some of them: each is made where it is missing.
const TTableDefinition TABLES[] = {
    {"program", "CREATE TABLE program(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision TEXT,"
                "date TEXT,time TEXT)"},
    {"program_data",
     "CREATE TABLE program_data(program_id INTEGER,execution_time INTEGER,idle_time INTEGER,point_count "
     "INTEGER)"},
    {"program_message", "CREATE TABLE program_message(program_id INTEGER,message TEXT)"},
    {"usage", "CREATE TABLE usage(software_monitor_time INTEGER,software_run_time INTEGER)"},
    // Each usage period, as forwarding sends it, and the tokens of those counted.
    {"usage_period", "CREATE TABLE usage_period(period_id INTEGER PRIMARY KEY AUTOINCREMENT,total TEXT,"
                     "seconds INTEGER,recorded TEXT)"},
    {"usage_journal", "CREATE TABLE usage_journal(token TEXT PRIMARY KEY)"},
    {"stops", TStopTable::CREATE},
    // The alerts this station judged, kept until forwarded.
    {"alert_event", "CREATE TABLE alert_event(event_id INTEGER PRIMARY KEY AUTOINCREMENT,alert_key TEXT,"
                    "kind TEXT,detail TEXT,started TEXT,ended TEXT)"},
    // How far forwarding to each central database has got, per kind of row.
    {"central_progress", "CREATE TABLE central_progress(target TEXT NOT NULL,kind TEXT NOT NULL,last_id "
                         "INTEGER NOT NULL,PRIMARY KEY(target,kind))"},
};
} // namespace

TDatabaseSchema::TDatabaseSchema(QSqlDatabase db) : d_db(db) {}

int TDatabaseSchema::Version(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (!TDatabase::Execute(&query, QStringLiteral("PRAGMA user_version")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool TDatabaseSchema::Prepare()
{
    const int version = Version(d_db);
    if (version < 0)
    {
        d_last_error = QStringLiteral("Cannot read the database's version: %1").arg(d_db.lastError().text());
        return false;
    }
    if (version > VERSION)
    {
        d_last_error = QStringLiteral("The database was written by a newer Quorvex (its version %1, this "
                                      "program's %2); it is left as it is.")
                           .arg(version)
                           .arg(VERSION);
        return false;
    }
    // A table of this version gone from the file (removed by hand) is made again.
    if ((version < VERSION || Tables_Missing()) && !Upgrade(version))
        return false;
    // Also on files made before them. Without them (a read-only file, tables of
    // another shape) everything still works, only slower.
    QSqlQuery query(d_db);
    for (const char *index : INDEXES)
        TDatabase::Execute(&query, QLatin1String(index));
    TLocalisedForms forms(d_db);
    forms.Rewrite();
    d_notices << forms.Notices();
    return true;
}

// All steps from FROM to VERSION or none: a file is never left half upgraded.
bool TDatabaseSchema::Upgrade(int /*from*/)
{
    QSqlQuery query(d_db);
    if (!TDatabase::Execute(&query, QStringLiteral("BEGIN IMMEDIATE")))
    {
        d_last_error = QStringLiteral("Cannot upgrade the database: %1").arg(query.lastError().text());
        return false;
    }
    // The tables of version 1 where missing; each later version's step
    // changes the file from there (if (from < 2) ...).
    bool done = Make_Tables();
    // PRAGMA takes no bound value; the number is ours.
    if (done && !TDatabase::Execute(&query, QStringLiteral("PRAGMA user_version=%1").arg(VERSION)))
    {
        d_last_error = QStringLiteral("Cannot upgrade the database: %1").arg(query.lastError().text());
        done = false;
    }
    if (done && TDatabase::Execute(&query, QStringLiteral("COMMIT")))
        return true;
    if (done)
        d_last_error = QStringLiteral("Cannot upgrade the database: %1").arg(query.lastError().text());
    TDatabase::Execute(&query, QStringLiteral("ROLLBACK"));
    return false;
}

bool TDatabaseSchema::Tables_Missing() const
{
    const QStringList present = d_db.tables(QSql::Tables);
    for (const TTableDefinition &table : TABLES)
        if (!present.contains(QLatin1String(table.name), Qt::CaseInsensitive))
            return true;
    return false;
}

bool TDatabaseSchema::Make_Tables()
{
    const QStringList present = d_db.tables(QSql::Tables);
    QSqlQuery query(d_db);
    for (const TTableDefinition &table : TABLES)
    {
        if (present.contains(QLatin1String(table.name), Qt::CaseInsensitive))
            continue;
        if (!TDatabase::Execute(&query, QLatin1String(table.create)))
        {
            d_last_error = QStringLiteral("Cannot create table '%1(...)'").arg(QLatin1String(table.name));
            return false;
        }
        if (qstrcmp(table.name, "usage") == 0 &&
            !TDatabase::Execute(
                &query,
                QStringLiteral("INSERT INTO usage(software_monitor_time,software_run_time) VALUES(0,0)")))
        {
            d_last_error = QStringLiteral("Cannot initialize table 'usage(...)'");
            return false;
        }
    }
    return true;
}
