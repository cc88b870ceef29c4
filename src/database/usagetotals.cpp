#include "src/database/usagetotals.h"

#include "src/database/database.h"
#include "src/database/sqltext.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

TUsageTotals::TUsageTotals(QSqlDatabase db) : d_db(db) {}

const char *TUsageTotals::Column(TTotal total)
{
    return total == MONITOR_TIME ? "software_monitor_time" : "software_run_time";
}

int TUsageTotals::Total(TTotal total, bool *valid)
{
    *valid = false;
    QSqlQuery query(d_db);
    if (!TDatabase::Execute(&query,
                            QStringLiteral("SELECT %1 FROM usage").arg(QLatin1String(Column(total)))) ||
        !query.next())
        return 0;
    *valid = true;
    return query.value(0).toInt();
}

bool TUsageTotals::Add_Period(TTotal total, int seconds)
{
    if (!Add_To_Total(total, seconds))
        return false;
    QSqlQuery query(d_db);
    if (TDatabase::Execute(
            &query, TSqlText::Fill("INSERT INTO usage_period(total,seconds,recorded) VALUES('%1',%2,'%3')",
                                   {QLatin1String(total == MONITOR_TIME ? "monitor" : "run"),
                                    TSqlText::Number(seconds),
                                    QDateTime::currentDateTimeUtc().toString(Qt::ISODate)})))
        return true;
    d_last_error = TDatabase::Write_Failure(QStringLiteral("usage_period"), query.lastError());
    return false;
}

bool TUsageTotals::Add_To_Total(TTotal total, int seconds)
{
    bool valid;
    const int stored = Total(total, &valid);
    // Signed 32-bit arithmetic as stored, without the undefined overflow of int.
    const qint32 sum = qint32(quint32(stored) + quint32(seconds));

    QSqlQuery query(d_db);
    if (!TDatabase::Execute(&query, QStringLiteral("UPDATE usage SET %1 = %2")
                                        .arg(QLatin1String(Column(total)), TSqlText::Number(sum))))
    {
        d_last_error = TDatabase::Write_Failure(QStringLiteral("usage"), query.lastError());
        return false;
    }
    if (query.numRowsAffected() > 0)
        return true;
    // The row is gone (the file was changed outside the program): updating
    // nothing would lose the period, and keeping it pending would hold up every
    // later execution. The totals start again from this period.
    const bool monitor = total == MONITOR_TIME;
    if (!TDatabase::Execute(
            &query, QStringLiteral("INSERT INTO usage(software_monitor_time,software_run_time) VALUES(%1,%2)")
                        .arg(TSqlText::Number(monitor ? sum : 0), TSqlText::Number(monitor ? 0 : sum))))
    {
        d_last_error = TDatabase::Write_Failure(QStringLiteral("usage"), query.lastError());
        return false;
    }
    d_notices << QStringLiteral(
        "WAR:  The usage totals were missing from the database; they start again from "
        "this period.");
    return true;
}

bool TUsageTotals::Add_Once(TTotal total, int seconds, const QString &token)
{
    QSqlQuery query(d_db);
    if (!TDatabase::Execute(
            &query, TSqlText::Fill("SELECT 1 FROM usage_journal WHERE token='%1'", {TSqlText::Text(token)})))
    {
        d_last_error = TDatabase::Write_Failure(QStringLiteral("usage"), query.lastError());
        return false;
    }
    if (query.next())
        return true;
    if (!Add_Period(total, seconds))
        return false;
    if (TDatabase::Execute(
            &query, TSqlText::Fill("INSERT INTO usage_journal(token) VALUES('%1')", {TSqlText::Text(token)})))
        return true;
    d_last_error = TDatabase::Write_Failure(QStringLiteral("usage"), query.lastError());
    return false;
}

void TUsageTotals::Forget(const QString &token)
{
    QSqlQuery query(d_db);
    TDatabase::Execute(&query,
                       TSqlText::Fill("DELETE FROM usage_journal WHERE token='%1'", {TSqlText::Text(token)}));
}
