#include "src/database/databaseschema.h"

#include "src/database/database.h"
#include "src/database/localisedforms.h"
#include "src/database/stoptable.h"

#include <QSqlQuery>

namespace
{
struct TTableDefinition
{
    const char *name;
    const char *create;
    const char *failure;
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

const TTableDefinition TABLES[] = {
    {"program",
     "CREATE TABLE program(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision TEXT,date "
     "TEXT,time "
     "TEXT)",
     "Cannot create table 'program(...)'"},
    {"program_data",
     "CREATE TABLE program_data(program_id INTEGER,execution_time INTEGER,idle_time INTEGER,point_count "
     "INTEGER)",
     "Cannot create table 'program_data(...)'"},
    {"program_message", "CREATE TABLE program_message(program_id INTEGER,message TEXT)",
     "Cannot create table 'program_message(...)'"},
    {"usage", "CREATE TABLE usage(software_monitor_time INTEGER,software_run_time INTEGER)",
     "Cannot create table 'usage(...)'"},
    {"stops", TStopTable::CREATE, "Cannot create table 'stops(...)'"},
};
} // namespace

TDatabaseSchema::TDatabaseSchema(QSqlDatabase db) : d_db(db) {}

bool TDatabaseSchema::Prepare()
{
    const QStringList present = d_db.tables(QSql::Tables);
    for (const TTableDefinition &table : TABLES)
    {
        if (present.contains(QLatin1String(table.name), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(d_db);
        if (!TDatabase::Execute(&query, QLatin1String(table.create)))
        {
            d_last_error = QLatin1String(table.failure);
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
