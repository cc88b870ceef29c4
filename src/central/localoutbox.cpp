#include "src/central/localoutbox.h"

#include "src/database/database.h"
#include "src/database/stoprecord.h"
#include "src/database/storedform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace
{
const char *const PROGRESS_TABLE =
    "CREATE TABLE IF NOT EXISTS central_progress(target TEXT NOT NULL,kind TEXT NOT "
    "NULL,last_id INTEGER NOT NULL,PRIMARY KEY(target,kind))";
const char *const ALERT_TABLE = "CREATE TABLE IF NOT EXISTS alert_event(event_id INTEGER PRIMARY KEY "
                                "AUTOINCREMENT,alert_key TEXT,kind TEXT,detail TEXT,started TEXT,ended TEXT)";
// Made here too: a file from before usage periods were kept has no such table until its first period.
const char *const USAGE_TABLE = "CREATE TABLE IF NOT EXISTS usage_period(period_id INTEGER PRIMARY KEY "
                                "AUTOINCREMENT,total TEXT,seconds INTEGER,recorded TEXT)";

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
    QSqlQuery query(db);
    for (const char *statement : {PROGRESS_TABLE, ALERT_TABLE, USAGE_TABLE})
        if (!query.exec(QLatin1String(statement)))
        {
            d_last_error = query.lastError().text();
            return false;
        }
    return true;
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

bool TLocalOutbox::Executions_After(qint64 local_id, int limit, std::vector<TOutgoingExecution> *rows)
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
        TOutgoingExecution row;
        row.local_id = id;
        row.name = query.value(1).toString();
        row.revision = query.value(2).toString();
        row.date_text = query.value(3).toString();
        row.time_text = query.value(4).toString();
        row.opened = TStoredForm::Date_Time(row.date_text, row.time_text);
        row.execution_seconds = query.value(5).toInt();
        row.idle_seconds = query.value(6).toInt();
        row.point_count = query.value(7).toInt();
        rows->push_back(row);
    }
    if (read && !rows->empty())
    {
        QSqlQuery messages(db);
        messages.setForwardOnly(true);
        messages.prepare(
            QStringLiteral("SELECT program_id,message FROM program_message WHERE program_id>? AND "
                           "program_id<=? ORDER BY program_id,rowid"));
        messages.addBindValue(local_id);
        messages.addBindValue(rows->back().local_id);
        read = Exec(&messages);
        size_t at = 0;
        while (read && messages.next())
        {
            const qint64 id = messages.value(0).toLongLong();
            while (at < rows->size() && (*rows)[at].local_id < id)
                ++at;
            if (at < rows->size() && (*rows)[at].local_id == id)
                (*rows)[at].messages << messages.value(1).toString();
        }
    }
    query.finish();
    db.commit();
    if (!read)
        rows->clear();
    return read;
}

bool TLocalOutbox::Usage_After(qint64 local_id, int limit, std::vector<TOutgoingUsage> *rows)
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
        TOutgoingUsage row;
        row.local_id = query.value(0).toLongLong();
        row.total = query.value(1).toString();
        row.seconds = query.value(2).toInt();
        row.recorded = QDateTime::fromString(query.value(3).toString(), Qt::ISODate);
        rows->push_back(row);
    }
    return true;
}

bool TLocalOutbox::Alerts_After(qint64 local_id, int limit, std::vector<TOutgoingAlert> *rows)
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
        TOutgoingAlert row;
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

bool TLocalOutbox::Stops_After(qint64 change, int limit, std::vector<TOutgoingStop> *rows)
{
    rows->clear();
    QSqlQuery query(QSqlDatabase::database(d_connection_name, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT change,started,ended,open,reason,source,planned,note FROM stops "
                                 "WHERE change>? ORDER BY change LIMIT ?"));
    query.addBindValue(change);
    query.addBindValue(limit);
    if (!Exec(&query))
        return false;
    while (query.next())
    {
        TOutgoingStop row;
        row.local_id = query.value(0).toLongLong();
        row.started = TStopRecord::Moment(query.value(1).toString());
        row.ended = TStopRecord::Moment(query.value(2).toString());
        row.open = query.value(3).toInt() != 0;
        row.reason = query.value(4).toString();
        row.source = query.value(5).toString();
        row.planned = query.value(6).toInt() != 0;
        row.note = query.value(7).toString();
        // A row another program wrote out of form is passed on with invalid moments: the writer skips it.
        rows->push_back(row);
    }
    return true;
}

bool TLocalOutbox::Record_Alert(const TOutgoingAlert &alert)
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
