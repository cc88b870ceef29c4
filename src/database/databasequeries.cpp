#include "src/database/database.h"
#include "src/database/storedform.h"

#include "src/database/entryreader.h"
#include "src/database/sqltext.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

// The reads behind the lists, the report and the exports.

namespace
{
const char *const SOURCE = "src/database";
// Above this many dates the names are read in one pass instead of a statement per date.
const int MANY_DATES = 64;

} // namespace

QStringList TDatabase::Dates()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    // Distinct texts in order of first occurrence, as the plain list made distinct would give them.
    QStringList dates =
        First_Column(QStringLiteral("SELECT date FROM program GROUP BY date ORDER BY MIN(program_id)"));
    dates.removeDuplicates();
    return dates;
}

QStringList TDatabase::Program_Names(const QStringList &dates)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QStringList names;
    if (dates.isEmpty())
        names =
            First_Column(QStringLiteral("SELECT name FROM program GROUP BY name ORDER BY MIN(program_id)"));
    else if (dates.size() > MANY_DATES)
        names = Names_On_Many_Dates(dates);
    else
        for (const QString &date : dates)
            names += First_Column(TSqlText::Fill(
                "SELECT name FROM program WHERE date='%1' GROUP BY name ORDER BY MIN(program_id)",
                {TSqlText::Text(date)}));
    names.removeDuplicates();
    return names;
}

// The names of every date in one pass over the file in recording order,
// grouped as the statements per date would give them: for thousands of dates
// one pass is faster than a statement each.
QStringList TDatabase::Names_On_Many_Dates(const QStringList &dates)
{
    QHash<QString, int> positions;
    for (int i = dates.size() - 1; i >= 0; --i)
        positions.insert(dates.at(i), i);
    std::vector<QStringList> names_of_date(size_t(dates.size()));
    std::vector<QSet<QString>> seen(size_t(dates.size()));
    QSqlDatabase db;
    if (!Connection(&db))
        return QStringList();
    QSqlQuery query(db);
    if (Execute(&query, QStringLiteral("SELECT date,name FROM program ORDER BY program_id")))
        while (query.next())
        {
            // A name that is NULL shows as empty, as the statements per date give it.
            const auto position = positions.constFind(query.value(0).toString());
            if (query.isNull(0) || position == positions.constEnd())
                continue;
            const QString name = query.value(1).toString();
            if (!seen[size_t(*position)].contains(name))
            {
                seen[size_t(*position)].insert(name);
                names_of_date[size_t(*position)].append(name);
            }
        }
    QStringList names;
    for (const QStringList &on_date : names_of_date)
        names += on_date;
    return names;
}

QStringList TDatabase::Program_Times(const QString &name, const QString &date_text)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    return First_Column(
        TSqlText::Fill("SELECT time FROM program WHERE name='%1' AND date='%2' ORDER BY program_id",
                       {TSqlText::Text(name), TSqlText::Text(date_text)}));
}

void TDatabase::Read_Data(int program_id, TDatabaseItem *item, bool *found)
{
    *found = false;
    QSqlDatabase db;
    if (!Connection(&db))
        return;
    QSqlQuery query(db);
    if (!Execute(&query, TSqlText::Fill("SELECT execution_time,idle_time,point_count FROM program_data WHERE "
                                        "program_id=%1 ORDER BY rowid "
                                        "LIMIT 1",
                                        {TSqlText::Number(program_id)})) ||
        !query.next())
        return;
    // A file edited by hand may hold negative numbers; a record never does.
    item->Set_Execution_Time(qMax(0, query.value(0).toInt()));
    item->Set_Idle_Time(qMax(0, query.value(1).toInt()));
    item->Set_Point_Count(qMax(0, query.value(2).toInt()));
    *found = true;
}

void TDatabase::Read_Messages(int program_id, TDatabaseItem *item)
{
    for (const QString &message :
         First_Column(TSqlText::Fill("SELECT message FROM program_message WHERE program_id=%1 ORDER BY rowid",
                                     {TSqlText::Number(program_id)})))
        item->Add_Error_Message(message);
}

TDatabaseItem TDatabase::Program_Entry(const QString &name, const QString &date_text,
                                       const QString &time_text, bool *valid)
{
    Q_ASSERT_X(valid, SOURCE, "valid");
    bool ignored;
    if (!valid)
        valid = &ignored;
    *valid = false;

    TDatabaseItem item;
    item.Set_Name(name);
    item.Set_Date_Time(TStoredForm::Date_Time(date_text, time_text));

    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
        return item;
    int program_id = -1;
    {
        QSqlQuery query(db);
        if (!Execute(&query,
                     TSqlText::Fill(
                         "SELECT program_id,revision FROM program WHERE name='%1' AND date='%2' AND "
                         "time='%3' ORDER BY program_id LIMIT 1",
                         {TSqlText::Text(name), TSqlText::Text(date_text), TSqlText::Text(time_text)})) ||
            !query.next())
            return item;
        program_id = query.value(0).toInt();
        item.Set_Revision(query.value(1).toString());
    }
    if (program_id < 0)
        return item;
    Read_Data(program_id, &item, valid);
    if (*valid)
        Read_Messages(program_id, &item);
    return item;
}

std::vector<TDatabaseItem> TDatabase::Program_Entries(const QString &name, const QString &date_text)
{
    std::vector<TDatabaseItem> items;
    std::vector<int> program_ids;
    TDatabaseItem item;
    item.Set_Name(name);

    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
        return items;
    {
        QSqlQuery query(db);
        if (!Execute(
                &query,
                TSqlText::Fill(
                    "SELECT program_id,time,revision FROM program WHERE name='%1' AND date='%2' ORDER BY "
                    "program_id",
                    {TSqlText::Text(name), TSqlText::Text(date_text)})))
            return items;
        while (query.next())
        {
            program_ids.push_back(query.value(0).toInt());
            item.Set_Revision(query.value(2).toString());
            item.Set_Date_Time(TStoredForm::Date_Time(date_text, query.value(1).toString()));
            items.push_back(item);
        }
    }
    Q_ASSERT_X(program_ids.size() == items.size(), SOURCE, "program_ids.size() == items.size()");

    bool found;
    for (size_t i = 0; i < items.size(); ++i)
        Read_Data(program_ids[i], &items[i], &found);
    for (size_t i = 0; i < items.size(); ++i)
        Read_Messages(program_ids[i], &items[i]);
    return items;
}

std::vector<TDatabaseItem> TDatabase::Program_Entries(const QStringList &names, const QStringList &dates,
                                                      TEntryOrder order)
{
    std::vector<TDatabaseItem> items;
    QSqlDatabase db;
    {
        std::lock_guard<std::recursive_mutex> lock(d_mutex);
        if (!Connection(&db))
            return items;
    }
    // Lists that name something twice would repeat entries in the nested loops:
    // only those loops themselves give exactly that.
    if (QSet<QString>(names.begin(), names.end()).size() != names.size() ||
        QSet<QString>(dates.begin(), dates.end()).size() != dates.size())
    {
        const QStringList &outer = order == DATE_THEN_NAME ? dates : names;
        const QStringList &inner = order == DATE_THEN_NAME ? names : dates;
        for (const QString &first : outer)
            for (const QString &second : inner)
            {
                const std::vector<TDatabaseItem> entries =
                    order == DATE_THEN_NAME ? Program_Entries(second, first) : Program_Entries(first, second);
                items.insert(items.end(), entries.begin(), entries.end());
            }
        return items;
    }
    // A report over years of records reads for a while: it does so on this
    // thread's own connection without holding the object's lock, so that a
    // store on the GUI thread waits at most for one statement (SQLite orders
    // the two connections' reads and writes).
    return TEntryReader(db).Read(names, dates, order == DATE_THEN_NAME);
}
