#include "src/database/database.h"

#include "src/common/localzone.h"

#include "src/database/databaseschema.h"
#include "src/database/executionreader.h"
#include "src/database/executionwriter.h"
#include "src/database/sqltext.h"
#include "src/database/storedform.h"
#include "src/database/usagetotals.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace
{
const char *const SOURCE = "src/database";
const QString DRIVER = QStringLiteral("QSQLITE");

// Above this many dates the names are read in one pass instead of a statement per date.
const int MANY_DATES = 64;
} // namespace

TDatabase::TDatabase(const QString &connection_name)
    : d_connection_name(connection_name), d_database(nullptr), d_owner_thread(nullptr),
      d_pool(d_connection_name)
{
}

TDatabase::~TDatabase()
{
    Close();
}

bool TDatabase::Open(const QString &file_name)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    // The reads make a local time per execution: whatever program uses the
    // file gets them at the cost the program's own start arranges (once set,
    // this does nothing, so it is done before the readers' threads exist).
    TLocalZone::Keep_Zone_Read();
    if (!QSqlDatabase::isDriverAvailable(DRIVER))
    {
        d_last_error = QStringLiteral("Database driver 'QSQLITE' not available");
        return false;
    }
    // Opened again: the earlier connection is given up, not lost.
    Close();

    if (QSqlDatabase::contains(d_connection_name))
        d_database = new QSqlDatabase(QSqlDatabase::database(d_connection_name, true));
    else
        d_database = new QSqlDatabase(QSqlDatabase::addDatabase(DRIVER, d_connection_name));

    d_database->setDatabaseName(file_name);
    d_database->setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BUSY_TIMEOUT_MSEC));
    if (d_database->open())
    {
        d_database_file_name = file_name;
        d_owner_thread = QThread::currentThread();
        return true;
    }

    const QSqlError error = d_database->lastError();
    QString text = QStringLiteral("Cannot open database.\n\tDatabase Error: '%1'\n\tDriver Error: '%2'\n")
                       .arg(error.databaseText(), error.driverText());
    text += QStringLiteral("\t\tDatabase File Name: '%1'\n").arg(file_name);
    text += QStringLiteral("\tAvailable database drivers:\n");
    for (const QString &driver : QSqlDatabase::drivers())
        text += QStringLiteral("\t\t%1\n").arg(driver);

    delete d_database;
    d_database = nullptr;
    QSqlDatabase::removeDatabase(d_connection_name);
    d_last_error = text;
    return false;
}

bool TDatabase::Is_Open() const
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    return d_database && d_database->isOpen();
}

void TDatabase::Close()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    d_pool.Remove_All();
    if (!d_database)
        return;
    d_database->close();
    delete d_database;
    d_database = nullptr;
    d_owner_thread = nullptr;
    if (QSqlDatabase::contains(d_connection_name))
        QSqlDatabase::removeDatabase(d_connection_name);
}

QString TDatabase::Last_Error() const
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    return d_last_error;
}

QString TDatabase::Database_File_Name() const
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    return d_database_file_name;
}

bool TDatabase::Connection(QSqlDatabase *db) const
{
    if (!d_database || !d_database->isOpen())
        return false;
    if (QThread::currentThread() == d_owner_thread)
        *db = *d_database;
    else
        *db = d_pool.Connection(d_database_file_name);
    return db->isOpen();
}

QString TDatabase::Write_Failure(const QString &table, const QSqlError &error)
{
    return QStringLiteral("Cannot add data to table '%1'.  Reason: %2").arg(table, error.text());
}

// A transaction that writes takes the write lock at its start, waiting its
// turn: one that read first and then wrote could find another connection (the
// forwarder's) committing, and SQLite ends that wait at once with "database is
// locked" rather than let the two wait for each other.
bool TDatabase::Begin_Writing(QSqlDatabase db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool TDatabase::Execute(QSqlQuery *query, const QString &statement)
{
    query->setForwardOnly(true);
    return query->exec(statement);
}

QStringList TDatabase::First_Column(const QString &statement)
{
    QStringList result;
    QSqlDatabase db;
    if (!Connection(&db))
        return result;
    QSqlQuery query(db);
    if (Execute(&query, statement))
        while (query.next())
            result.append(query.value(0).toString());
    return result;
}

bool TDatabase::Create_Tables()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Database not open");
        return false;
    }

    TDatabaseSchema schema(db);
    const bool prepared = schema.Prepare();
    d_notices << schema.Notices();
    if (!prepared)
        d_last_error = schema.Last_Error();
    return prepared;
}

int TDatabase::Software_Monitor_Time(bool *valid)
{
    return Usage_Total(MONITOR_TIME, valid);
}

int TDatabase::Software_Run_Time(bool *valid)
{
    return Usage_Total(RUN_TIME, valid);
}

int TDatabase::Usage_Total(TUsageTotal total, bool *valid)
{
    Q_ASSERT_X(valid, SOURCE, "valid");
    bool ignored;
    if (!valid)
        valid = &ignored;
    *valid = false;

    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
        return 0;
    return TUsageTotals(db).Total(total, valid);
}

bool TDatabase::Add_Software_Monitor_Time(int seconds)
{
    return In_Usage_Transaction([&](TUsageTotals *totals)
                                { return totals->Add_Period(MONITOR_TIME, seconds); });
}

bool TDatabase::Add_Software_Run_Time(int seconds)
{
    return In_Usage_Transaction([&](TUsageTotals *totals) { return totals->Add_Period(RUN_TIME, seconds); });
}

bool TDatabase::Add_Usage_Once(TUsageTotal total, int seconds, const QString &token)
{
    return In_Usage_Transaction([&](TUsageTotals *totals)
                                { return totals->Add_Once(total, seconds, token); });
}

// A usage row made again inside a transaction that is rolled back was not
// made: its notices are kept only with a commit.
bool TDatabase::In_Usage_Transaction(const std::function<bool(TUsageTotals *)> &work)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QStringList notices;
    const bool done = Work(true, QStringLiteral("usage"),
                           [&](QSqlDatabase db, QString *error)
                           {
                               TUsageTotals totals(db);
                               const bool added = work(&totals);
                               *error = totals.Last_Error();
                               notices = totals.Notices();
                               return added;
                           });
    if (done)
        d_notices << notices;
    return done;
}

bool TDatabase::Work(bool write, const QString &table,
                     const std::function<bool(QSqlDatabase, QString *)> &work)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Not connected");
        return false;
    }
    if (write && !Begin_Writing(db))
    {
        d_last_error = Write_Failure(table, db.lastError());
        return false;
    }
    QString error;
    const bool done = work(db, &error);
    if (!write && done)
        return true;
    if (done && db.commit())
        return true;
    d_last_error = done ? Write_Failure(table, db.lastError()) : error;
    if (write)
        db.rollback();
    return false;
}

QStringList TDatabase::Take_Notices()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QStringList notices;
    notices.swap(d_notices);
    return notices;
}

void TDatabase::Forget_Usage_Token(const QString &token)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (Connection(&db))
        TUsageTotals(db).Forget(token);
}

void TDatabase::Set_Busy_Timeout(int msec)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    if (!d_database || !d_database->isOpen())
        return;
    QSqlQuery query(*d_database);
    Execute(&query, QStringLiteral("PRAGMA busy_timeout = %1").arg(msec));
}

void TDatabase::Delete_All_Data()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
        return;
    QSqlQuery query(db);
    Execute(&query, QStringLiteral("DELETE FROM program"));
    Execute(&query, QStringLiteral("DELETE FROM program_data"));
    Execute(&query, QStringLiteral("DELETE FROM program_message"));
}

int TDatabase::Program_Id(const QString &name, const QString &date_text, const QString &time_text)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Not connected");
        return -1;
    }
    if (name.isEmpty())
    {
        d_last_error = QStringLiteral("Invalid name");
        return -1;
    }

    QString statement;
    if (!date_text.isEmpty() && !time_text.isEmpty())
    {
        statement = TSqlText::Fill(
            "SELECT program_id FROM program WHERE name='%1' AND date='%2' AND time='%3' ORDER BY "
            "program_id LIMIT 1",
            {TSqlText::Text(name), TSqlText::Text(date_text), TSqlText::Text(time_text)});
    }
    else if (!date_text.isEmpty())
        statement = TSqlText::Fill(
            "SELECT program_id FROM program WHERE name='%1' AND date='%2' ORDER BY program_id LIMIT 1",
            {TSqlText::Text(name), TSqlText::Text(date_text)});
    else if (!time_text.isEmpty())
        statement = TSqlText::Fill(
            "SELECT program_id FROM program WHERE name='%1' AND time='%2' ORDER BY program_id LIMIT 1",
            {TSqlText::Text(name), TSqlText::Text(time_text)});
    else
        statement =
            TSqlText::Fill("SELECT program_id FROM program WHERE name='%1' ORDER BY program_id LIMIT 1",
                           {TSqlText::Text(name)});

    QSqlQuery query(db);
    if (!Execute(&query, statement) || !query.next())
    {
        d_last_error = QStringLiteral("Program not found.");
        return -1;
    }
    return query.value(0).toInt();
}

int TDatabase::Program_Id(const QString &name, const QDateTime &date_time)
{
    if (!date_time.isValid())
        return -1;
    return Program_Id(name, TStoredForm::Date_Text(date_time.date()),
                      TStoredForm::Time_Text(date_time.time()));
}

bool TDatabase::Program_Exists(const QString &name, const QString &date_text, const QString &time_text)
{
    return Program_Id(name, date_text, time_text) >= 0;
}

bool TDatabase::Program_Exists(const QString &name, const QDateTime &date_time)
{
    return date_time.isValid() && Program_Id(name, date_time) >= 0;
}

bool TDatabase::Add_Execution(const TExecution &item)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Not connected");
        return false;
    }
    if (!item.Date_Time().isValid())
    {
        d_last_error = QStringLiteral("Date_Time invalid");
        return false;
    }
    // No key can find such an execution again: its figures would be stored unreachable.
    if (item.Name().isEmpty())
    {
        d_last_error = QStringLiteral("Cannot add data to table 'program'.  Reason: Invalid name");
        return false;
    }
    if (Program_Exists(item.Name(), item.Date_Time()))
    {
        d_last_error =
            QStringLiteral("Cannot add data to table 'program'.  Reason: Program entry already exists");
        return false;
    }

    // All rows of one execution or none: a half-written one would be read back as a
    // program without times or with only some of its messages.
    if (!Begin_Writing(db))
    {
        d_last_error = Write_Failure(QStringLiteral("program"), db.lastError());
        return false;
    }
    TExecutionWriter writer(db);
    if (!writer.Insert(item))
    {
        d_last_error = writer.Last_Error();
        db.rollback();
        return false;
    }
    if (!db.commit())
    {
        d_last_error = Write_Failure(QStringLiteral("program"), db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

// The reads behind the lists, the report and the exports.

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
    {
        QSqlDatabase db;
        if (Connection(&db))
            names = TExecutionReader(db).Names_On_Dates(dates);
    }
    else
        for (const QString &date : dates)
            names += First_Column(TSqlText::Fill(
                "SELECT name FROM program WHERE date='%1' GROUP BY name ORDER BY MIN(program_id)",
                {TSqlText::Text(date)}));
    names.removeDuplicates();
    return names;
}

QStringList TDatabase::Program_Times(const QString &name, const QString &date_text)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    return First_Column(
        TSqlText::Fill("SELECT time FROM program WHERE name='%1' AND date='%2' ORDER BY program_id",
                       {TSqlText::Text(name), TSqlText::Text(date_text)}));
}

void TDatabase::Read_Data(int program_id, TExecution *item, bool *found)
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
    item->Set_Stored_Figures(query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt());
    *found = true;
}

void TDatabase::Read_Messages(int program_id, TExecution *item)
{
    for (const QString &message :
         First_Column(TSqlText::Fill("SELECT message FROM program_message WHERE program_id=%1 ORDER BY rowid",
                                     {TSqlText::Number(program_id)})))
        item->Add_Error_Message(message);
}

TExecution TDatabase::Execution(const QString &name, const QString &date_text, const QString &time_text,
                                bool *valid)
{
    Q_ASSERT_X(valid, SOURCE, "valid");
    bool ignored;
    if (!valid)
        valid = &ignored;
    *valid = false;

    TExecution item;
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

std::vector<TExecution> TDatabase::Executions(const QString &name, const QString &date_text)
{
    std::vector<TExecution> items;
    std::vector<int> program_ids;
    TExecution item;
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

std::vector<TExecution> TDatabase::Executions(const QStringList &names, const QStringList &dates,
                                              TEntryOrder order)
{
    std::vector<TExecution> items;
    QSqlDatabase db;
    {
        std::lock_guard<std::recursive_mutex> lock(d_mutex);
        if (!Connection(&db))
            return items;
    }
    // Lists that name something twice would repeat executions in the nested loops:
    // only those loops themselves give exactly that.
    if (QSet<QString>(names.begin(), names.end()).size() != names.size() ||
        QSet<QString>(dates.begin(), dates.end()).size() != dates.size())
    {
        const QStringList &outer = order == DATE_THEN_NAME ? dates : names;
        const QStringList &inner = order == DATE_THEN_NAME ? names : dates;
        for (const QString &first : outer)
            for (const QString &second : inner)
            {
                const std::vector<TExecution> found =
                    order == DATE_THEN_NAME ? Executions(second, first) : Executions(first, second);
                items.insert(items.end(), found.begin(), found.end());
            }
        return items;
    }
    // A report over years of records reads for a while: it does so on this
    // thread's own connection without holding the object's lock, so that a
    // store on the GUI thread waits at most for one statement (SQLite orders
    // the two connections' reads and writes).
    return TExecutionReader(db).Read(names, dates, order == DATE_THEN_NAME);
}
