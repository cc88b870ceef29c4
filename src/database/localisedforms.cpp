#include "src/database/localisedforms.h"

#include "src/database/storedform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
const QString DATE = QStringLiteral("date");
const QString TIME = QStringLiteral("time");
const QString MAP_TABLE = QStringLiteral("temp.quorvex_form_map");
// How many of the texts left as they were the panel names.
const int MAXIMUM_NAMED = 5;

QString Not_Stored(const QString &column)
{
    return column == DATE ? TStoredForm::Date_Not_Stored(column) : TStoredForm::Time_Not_Stored(column);
}
} // namespace

TLocalisedForms::TLocalisedForms(QSqlDatabase db) : d_db(db), d_rewritten_rows(0), d_unreadable_rows(0) {}

bool TLocalisedForms::Rewrite()
{
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    // One pass that finds nothing in a file written in the stored form. A file
    // whose table has another shape is not this one's to mend.
    if (!query.exec(QStringLiteral("SELECT 1 FROM program WHERE %1 OR %2 LIMIT 1")
                        .arg(Not_Stored(DATE), Not_Stored(TIME))) ||
        !query.next())
        return true;
    query.finish();
    TMapping dates;
    TMapping times;
    if (!Map(DATE, &dates) || !Map(TIME, &times))
        return false;
    if (dates.isEmpty() && times.isEmpty())
        return true;
    if (!d_db.transaction())
        return Fail(QStringLiteral("begin"), d_db.lastError());
    const bool done = Apply(DATE, dates) && Apply(TIME, times);
    if (done && d_db.commit())
        return true;
    if (done)
        Fail(QStringLiteral("commit"), d_db.lastError());
    d_db.rollback();
    d_rewritten_rows = 0;
    return false;
}

// The texts of a column not in the stored form, each with what it becomes;
// those no language reads are counted as unreadable.
bool TLocalisedForms::Map(const QString &column, TMapping *mapping)
{
    QSqlQuery query(d_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1,count(*) FROM program WHERE %2 GROUP BY %1")
                        .arg(column, Not_Stored(column))))
        return Fail(QStringLiteral("read"), query.lastError());
    while (query.next())
    {
        const QString text = query.value(0).toString();
        QString stored;
        if (column == DATE)
        {
            const QDate date = TStoredForm::Localised_Date(text);
            stored = date.isValid() ? TStoredForm::Date_Text(date) : QString();
        }
        else
        {
            const QTime time = TStoredForm::Localised_Time(text);
            stored = time.isValid() ? TStoredForm::Time_Text(time) : QString();
        }
        if (stored.isEmpty())
        {
            d_unreadable << text;
            d_unreadable_rows += query.value(1).toInt();
        }
        else
            mapping->append({text, stored});
    }
    return true;
}

// One statement rewrites every row of a column through a table of the texts.
bool TLocalisedForms::Apply(const QString &column, const TMapping &mapping)
{
    if (mapping.isEmpty())
        return true;
    QSqlQuery query(d_db);
    if (!query.exec(QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS quorvex_form_map(old TEXT PRIMARY KEY,new TEXT)")) ||
        !query.exec(QStringLiteral("DELETE FROM %1").arg(MAP_TABLE)) ||
        !query.prepare(QStringLiteral("INSERT INTO %1(old,new) VALUES(?,?)").arg(MAP_TABLE)))
        return Fail(QStringLiteral("prepare"), query.lastError());
    for (const auto &pair : mapping)
    {
        query.addBindValue(pair.first);
        query.addBindValue(pair.second);
        if (!query.exec())
            return Fail(QStringLiteral("map"), query.lastError());
    }
    if (!query.exec(QStringLiteral("UPDATE program SET %1=(SELECT new FROM %2 WHERE old=program.%1) "
                                   "WHERE %1 IN (SELECT old FROM %2)")
                        .arg(column, MAP_TABLE)))
        return Fail(QStringLiteral("update"), query.lastError());
    d_rewritten_rows += query.numRowsAffected();
    return query.exec(QStringLiteral("DROP TABLE %1").arg(MAP_TABLE)) ||
           Fail(QStringLiteral("drop"), query.lastError());
}

bool TLocalisedForms::Fail(const QString &what, const QSqlError &error)
{
    d_error = QStringLiteral("%1: %2").arg(what, error.text());
    return false;
}

QStringList TLocalisedForms::Notices() const
{
    QStringList notices;
    if (d_rewritten_rows > 0)
        notices << QStringLiteral(
                       "INF:  %1 dates and times stored in a language's own names were rewritten in "
                       "the stored form.")
                       .arg(d_rewritten_rows);
    if (!d_error.isEmpty())
        notices << QStringLiteral("ERR:  Dates and times in a language's own names not rewritten: %1")
                       .arg(d_error);
    if (d_unreadable_rows > 0)
        notices << QStringLiteral(
                       "WAR:  %1 entries have a date or time that cannot be read; they are left as "
                       "they are (%2).")
                       .arg(d_unreadable_rows)
                       .arg(QStringList(d_unreadable.mid(0, MAXIMUM_NAMED)).join(QStringLiteral(", ")) +
                            (d_unreadable.size() > MAXIMUM_NAMED ? QStringLiteral(", ...") : QString()));
    return notices;
}
