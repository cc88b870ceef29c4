#include "src/database/stoptable.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
const char *const COLUMNS = "started,ended,open,reason,source,planned,note";

// A null text binds as NULL; the columns hold texts, empty ones too.
QString Text(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

const char *const TStopTable::CREATE =
    "CREATE TABLE stops(stop_id INTEGER PRIMARY KEY AUTOINCREMENT,started TEXT NOT NULL UNIQUE,"
    "ended TEXT NOT NULL,open INTEGER NOT NULL,reason TEXT NOT NULL,source TEXT NOT NULL,"
    "planned INTEGER NOT NULL,note TEXT NOT NULL,change INTEGER NOT NULL)";

TStopTable::TStopTable(QSqlDatabase db) : d_db(db) {}

bool TStopTable::Exec(QSqlQuery *query)
{
    if (query->exec())
        return true;
    d_last_error =
        QStringLiteral("Cannot add data to table 'stops'.  Reason: %1").arg(query->lastError().text());
    return false;
}

bool TStopTable::Put(const TStopRecord &stop)
{
    const QString started = TStopRecord::Moment_Text(stop.started);
    QSqlQuery query(d_db);
    query.prepare(QStringLiteral("UPDATE stops SET open=0,change=(SELECT IFNULL(MAX(change),0)+1 FROM stops) "
                                 "WHERE open=1 AND started<?"));
    query.addBindValue(started);
    if (!Exec(&query))
        return false;
    query.prepare(
        QStringLiteral("INSERT INTO stops(%1,change) VALUES(?,?,?,?,?,?,?,"
                       "(SELECT IFNULL(MAX(change),0)+1 FROM stops)) ON CONFLICT(started) DO UPDATE "
                       "SET ended=excluded.ended,open=excluded.open,reason=excluded.reason,"
                       "source=excluded.source,planned=excluded.planned,note=excluded.note,"
                       "change=excluded.change")
            .arg(QLatin1String(COLUMNS)));
    query.addBindValue(started);
    query.addBindValue(TStopRecord::Moment_Text(stop.ended));
    query.addBindValue(stop.open ? 1 : 0);
    query.addBindValue(Text(stop.reason));
    query.addBindValue(TStopRecord::Source_Text(stop.source));
    query.addBindValue(stop.planned ? 1 : 0);
    query.addBindValue(Text(stop.note));
    return Exec(&query);
}

bool TStopTable::Touch(const QDateTime &started, const QDateTime &at)
{
    QSqlQuery query(d_db);
    query.prepare(QStringLiteral("UPDATE stops SET ended=? WHERE started=? AND open=1 AND ended<?"));
    const QString at_text = TStopRecord::Moment_Text(at);
    query.addBindValue(at_text);
    query.addBindValue(TStopRecord::Moment_Text(started));
    query.addBindValue(at_text);
    return Exec(&query);
}

bool TStopTable::Close_Left_Open()
{
    QSqlQuery query(d_db);
    query.prepare(QStringLiteral(
        "UPDATE stops SET open=0,change=(SELECT IFNULL(MAX(change),0)+1 FROM stops) WHERE open=1"));
    return Exec(&query);
}

bool TStopTable::Latest_End(QDateTime *end)
{
    // The texts order as the moments do.
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT MAX(ended) FROM stops"));
    if (!Exec(&query))
        return false;
    *end = query.next() ? TStopRecord::Moment(query.value(0).toString()) : QDateTime();
    return true;
}

TStopRecord TStopTable::Row(const QSqlQuery &query)
{
    TStopRecord stop;
    stop.started = TStopRecord::Moment(query.value(0).toString());
    stop.ended = TStopRecord::Moment(query.value(1).toString());
    stop.open = query.value(2).toInt() != 0;
    stop.reason = query.value(3).toString();
    stop.source = TStopRecord::Source_From_Text(query.value(4).toString());
    stop.planned = query.value(5).toInt() != 0;
    stop.note = query.value(6).toString();
    return stop;
}

bool TStopTable::Overlapping(const QDateTime &from, const QDateTime &to, std::vector<TStopRecord> *stops)
{
    // The texts order as the moments do.
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM stops WHERE started<? AND ended>? ORDER BY started")
                      .arg(QLatin1String(COLUMNS)));
    query.addBindValue(TStopRecord::Moment_Text(to));
    query.addBindValue(TStopRecord::Moment_Text(from));
    if (!Exec(&query))
        return false;
    while (query.next())
    {
        const TStopRecord stop = Row(query);
        if (stop.started.isValid() && stop.ended.isValid())
            stops->push_back(stop);
    }
    return true;
}

bool TStopTable::Find(const QDateTime &started, TStopRecord *stop)
{
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM stops WHERE started=?").arg(QLatin1String(COLUMNS)));
    query.addBindValue(TStopRecord::Moment_Text(started));
    if (!Exec(&query) || !query.next())
        return false;
    *stop = Row(query);
    return stop->started.isValid() && stop->ended.isValid();
}

bool TStopTable::Changed_After(qint64 change, int limit, std::vector<TStoredStop> *rows)
{
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1,change FROM stops WHERE change>? ORDER BY change LIMIT ?")
                      .arg(QLatin1String(COLUMNS)));
    query.addBindValue(change);
    query.addBindValue(limit);
    if (!Exec(&query))
        return false;
    while (query.next())
        rows->push_back({query.value(7).toLongLong(), Row(query)});
    return true;
}
