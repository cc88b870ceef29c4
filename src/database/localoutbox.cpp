#include "src/database/localoutbox.h"

#include "src/database/database.h"
#include "src/database/databaseschema.h"
#include "src/database/stoptable.h"
#include "src/database/storedform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace
{
QString Iso(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODateWithMs) : QString();
}
} // namespace

TLocalOutbox::TLocalOutbox(const QString &target)
    : d_target(target), d_connection_name(QStringLiteral("outbox-") + QUuid::createUuid().toString()),
      d_open(false)
{
}

TLocalOutbox::~TLocalOutbox()
{
    Close();
}

bool TLocalOutbox::Open(const QString &file_name)
{
    Close();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d_connection_name);
    db.setDatabaseName(file_name);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(TDatabase::BUSY_TIMEOUT_MSEC));
    d_open = db.open();
    if (!d_open)
    {
        d_last_error = db.lastError().text();
        return false;
    }
    // The window's database makes and upgrades the tables before forwarding starts.
    const int version = TDatabaseSchema::Version(db);
    if (version == TDatabaseSchema::VERSION)
        return true;
    d_last_error = QStringLiteral("The station's database is at version %1, not %2.")
                       .arg(version)
                       .arg(TDatabaseSchema::VERSION);
    return false;
}

void TLocalOutbox::Close()
{
    if (!d_open)
        return;
    QSqlDatabase::database(d_connection_name, false).close();
    d_open = false;
    // The handle is given up before its name is removed, so Qt sees no connection in use.
    QSqlDatabase::removeDatabase(d_connection_name);
}

const char *TLocalOutbox::Kind_Name(TKind kind)
{
    switch (kind)
    {
    case EXECUTIONS:
        return "executions";
    case USAGE:
        return "usage";
    case STOPS:
        return "stops";
    case ALERTS:
        break;
    }
    return "alerts";
}

bool TLocalOutbox::Exec(QSqlQuery *query)
{
    if (query->exec())
        return true;
    d_last_error = query->lastError().text();
    return false;
}

qint64 TLocalOutbox::Progress(TKind kind)
{
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.prepare(QStringLiteral("SELECT last_id FROM central_progress WHERE target=? AND kind=?"));
    query.addBindValue(d_target);
    query.addBindValue(QLatin1String(Kind_Name(kind)));
    if (!Exec(&query))
        return -1;
    return query.next() ? query.value(0).toLongLong() : 0;
}

bool TLocalOutbox::Set_Progress(TKind kind, qint64 local_id)
{
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.prepare(
        QStringLiteral("INSERT OR REPLACE INTO central_progress(target,kind,last_id) VALUES(?,?,?)"));
    query.addBindValue(d_target);
    query.addBindValue(QLatin1String(Kind_Name(kind)));
    query.addBindValue(local_id);
    return Exec(&query);
}

int TLocalOutbox::Count_After(qint64 local_id)
{
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.prepare(QStringLiteral("SELECT count(*) FROM program WHERE program_id>?"));
    query.addBindValue(local_id);
    if (!Exec(&query) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool TLocalOutbox::Executions_After(qint64 local_id, int limit, std::vector<TStoredExecution> *rows)
{
    rows->clear();
    QSqlDatabase db = QSqlDatabase::database(d_connection_name, false);
    // One read transaction, so the messages belong to the rows read.
    if (!db.transaction())
    {
        d_last_error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT p.program_id,p.name,p.revision,p.date,p.time,d.execution_time,d.idle_time,"
                       "d.point_count FROM program p LEFT JOIN program_data d ON d.program_id=p.program_id "
                       "WHERE p.program_id>? ORDER BY p.program_id LIMIT ?"));
    query.addBindValue(local_id);
    query.addBindValue(limit);
    bool read = Exec(&query);
    while (read && query.next())
    {
        const qint64 id = query.value(0).toLongLong();
        // A program with two data rows (never written so, but possible in an old file) is sent once.
        if (!rows->empty() && rows->back().local_id == id)
            continue;
        TStoredExecution row;
        row.local_id = id;
        row.execution.Set_Name(query.value(1).toString());
        row.execution.Set_Revision(query.value(2).toString());
        row.date_text = query.value(3).toString();
        row.time_text = query.value(4).toString();
        row.execution.Set_Date_Time(TStoredForm::Date_Time(row.date_text, row.time_text));
        row.execution.Set_Stored_Figures(query.value(5).toInt(), query.value(6).toInt(),
                                         query.value(7).toInt());
        rows->push_back(row);
    }
    if (read && !rows->empty())
        read = Read_Messages(db, local_id, rows);
    query.finish();
    db.commit();
    if (!read)
        rows->clear();
    return read;
}

bool TLocalOutbox::Read_Messages(QSqlDatabase db, qint64 after, std::vector<TStoredExecution> *rows)
{
    QSqlQuery messages(db);
    messages.setForwardOnly(true);
    messages.prepare(QStringLiteral("SELECT program_id,message FROM program_message WHERE program_id>? AND "
                                    "program_id<=? ORDER BY program_id,rowid"));
    messages.addBindValue(after);
    messages.addBindValue(rows->back().local_id);
    if (!Exec(&messages))
        return false;
    size_t at = 0;
    while (messages.next())
    {
        const qint64 id = messages.value(0).toLongLong();
        while (at < rows->size() && (*rows)[at].local_id < id)
            ++at;
        if (at < rows->size() && (*rows)[at].local_id == id)
            (*rows)[at].execution.Add_Error_Message(messages.value(1).toString());
    }
    return true;
}

bool TLocalOutbox::Usage_After(qint64 local_id, int limit, std::vector<TStoredUsage> *rows)
{
    rows->clear();
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT period_id,total,seconds,recorded FROM usage_period WHERE "
                                 "period_id>? ORDER BY period_id LIMIT ?"));
    query.addBindValue(local_id);
    query.addBindValue(limit);
    if (!Exec(&query))
        return false;
    while (query.next())
    {
        TStoredUsage row;
        row.local_id = query.value(0).toLongLong();
        row.total = query.value(1).toString();
        row.seconds = query.value(2).toInt();
        row.recorded = QDateTime::fromString(query.value(3).toString(), Qt::ISODate);
        rows->push_back(row);
    }
    return true;
}

bool TLocalOutbox::Alerts_After(qint64 local_id, int limit, std::vector<TStoredAlert> *rows)
{
    rows->clear();
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT event_id,alert_key,kind,detail,started,ended FROM alert_event "
                                 "WHERE event_id>? ORDER BY event_id LIMIT ?"));
    query.addBindValue(local_id);
    query.addBindValue(limit);
    if (!Exec(&query))
        return false;
    while (query.next())
    {
        TStoredAlert row;
        row.local_id = query.value(0).toLongLong();
        row.key = query.value(1).toString();
        row.kind = query.value(2).toString();
        row.detail = query.value(3).toString();
        row.started = QDateTime::fromString(query.value(4).toString(), Qt::ISODateWithMs);
        row.ended = QDateTime::fromString(query.value(5).toString(), Qt::ISODateWithMs);
        rows->push_back(row);
    }
    return true;
}

bool TLocalOutbox::Stops_After(qint64 change, int limit, std::vector<TStoredStop> *rows)
{
    rows->clear();
    TStopTable table(QSqlDatabase::database(d_connection_name, false));
    if (table.Changed_After(change, limit, rows))
        return true;
    d_last_error = table.Last_Error();
    return false;
}

bool TLocalOutbox::Record_Alert(const TStoredAlert &alert)
{
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.prepare(
        QStringLiteral("INSERT INTO alert_event(alert_key,kind,detail,started,ended) VALUES(?,?,?,?,?)"));
    query.addBindValue(alert.key);
    query.addBindValue(alert.kind);
    query.addBindValue(alert.detail);
    query.addBindValue(Iso(alert.started));
    query.addBindValue(alert.ended.isValid() ? QVariant(Iso(alert.ended)) : QVariant(QVariant::String));
    return Exec(&query);
}
