#include "src/database/database.h"

#include "src/common/localzone.h"

#include "src/database/localisedforms.h"
#include "src/database/sqltext.h"
#include "src/database/storedform.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace
{
const char *const SOURCE = "src/database";
const QString DRIVER = QStringLiteral("QSQLITE");

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
};

const char *const USAGE_PERIOD_TABLE =
    "CREATE TABLE IF NOT EXISTS usage_period(period_id INTEGER PRIMARY KEY "
    "AUTOINCREMENT,total TEXT,seconds INTEGER,recorded TEXT)";

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
};

QString Reason(const char *table, const QSqlError &error)
{
    return QStringLiteral("Cannot add data to table '%1'.  Reason: %2")
        .arg(QLatin1String(table), error.text());
}
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

    const QStringList present = db.tables(QSql::Tables);
    for (const TTableDefinition &table : TABLES)
    {
        if (present.contains(QLatin1String(table.name), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(db);
        if (!Execute(&query, QLatin1String(table.create)))
        {
            d_last_error = QLatin1String(table.failure);
            return false;
        }
        if (qstrcmp(table.name, "usage") == 0 &&
            !Execute(&query, QStringLiteral(
                                 "INSERT INTO usage(software_monitor_time,software_run_time) VALUES(0,0)")))
        {
            d_last_error = QStringLiteral("Cannot initialize table 'usage(...)'");
            return false;
        }
    }
    // Also on files made before them. Without them (a read-only file, tables of
    // another shape) everything still works, only slower.
    QSqlQuery query(db);
    for (const char *index : INDEXES)
        Execute(&query, QLatin1String(index));
    TLocalisedForms forms(db);
    forms.Rewrite();
    d_notices << forms.Notices();
    return true;
}

int TDatabase::Software_Monitor_Time(bool *valid)
{
    return Usage_Total(Usage_Column(MONITOR_TIME), valid);
}

int TDatabase::Software_Run_Time(bool *valid)
{
    return Usage_Total(Usage_Column(RUN_TIME), valid);
}

int TDatabase::Usage_Total(const char *column, bool *valid)
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
    QSqlQuery query(db);
    if (!Execute(&query, QStringLiteral("SELECT %1 FROM usage").arg(QLatin1String(column))) || !query.next())
        return 0;
    *valid = true;
    return query.value(0).toInt();
}

bool TDatabase::Add_Software_Monitor_Time(int seconds)
{
    return Add_Usage(MONITOR_TIME, seconds);
}

bool TDatabase::Add_Software_Run_Time(int seconds)
{
    return Add_Usage(RUN_TIME, seconds);
}

bool TDatabase::Add_Usage(TUsageTotal total, int seconds)
{
    return In_Usage_Transaction([&](QSqlDatabase db) { return Add_Usage_Period(db, total, seconds); });
}

bool TDatabase::In_Usage_Transaction(const std::function<bool(QSqlDatabase)> &work)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Not connected");
        return false;
    }
    if (!db.transaction())
    {
        d_last_error = Reason("usage", db.lastError());
        return false;
    }
    // A usage row made again inside a transaction that is rolled back was not made.
    const QStringList notices = d_notices;
    const bool done = work(db);
    if (done && db.commit())
        return true;
    if (done)
        d_last_error = Reason("usage", db.lastError());
    db.rollback();
    d_notices = notices;
    return false;
}

// The total and the period as a row of its own (which a central database is
// sent), inside the caller's transaction.
bool TDatabase::Add_Usage_Period(QSqlDatabase db, TUsageTotal total, int seconds)
{
    QSqlQuery query(db);
    if (!Add_Usage_Total(Usage_Column(total), seconds))
        return false;
    if (Execute(&query, QLatin1String(USAGE_PERIOD_TABLE)) &&
        Execute(&query,
                TSqlText::Fill("INSERT INTO usage_period(total,seconds,recorded) VALUES('%1',%2,'%3')",
                               {QLatin1String(total == MONITOR_TIME ? "monitor" : "run"),
                                TSqlText::Number(seconds),
                                QDateTime::currentDateTimeUtc().toString(Qt::ISODate)})))
        return true;
    d_last_error = Reason("usage_period", query.lastError());
    return false;
}

bool TDatabase::Add_Usage_Total(const char *column, int seconds)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
    {
        d_last_error = QStringLiteral("Not connected");
        return false;
    }
    bool valid;
    const int stored = Usage_Total(column, &valid);
    // Signed 32-bit arithmetic as stored, without the undefined overflow of int.
    const qint32 total = qint32(quint32(stored) + quint32(seconds));

    QSqlQuery query(db);
    if (!Execute(
            &query,
            QStringLiteral("UPDATE usage SET %1 = %2").arg(QLatin1String(column), TSqlText::Number(total))))
    {
        d_last_error = Reason("usage", query.lastError());
        return false;
    }
    if (query.numRowsAffected() > 0)
        return true;
    // The row is gone (the file was changed outside the program): updating
    // nothing would lose the period, and keeping it pending would hold up every
    // later entry. The totals start again from this period.
    const bool monitor = qstrcmp(column, Usage_Column(MONITOR_TIME)) == 0;
    if (!Execute(&query,
                 QStringLiteral("INSERT INTO usage(software_monitor_time,software_run_time) VALUES(%1,%2)")
                     .arg(TSqlText::Number(monitor ? total : 0), TSqlText::Number(monitor ? 0 : total))))
    {
        d_last_error = Reason("usage", query.lastError());
        return false;
    }
    d_notices << QStringLiteral(
        "WAR:  The usage totals were missing from the database; they start again from "
        "this period.");
    return true;
}

QStringList TDatabase::Take_Notices()
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QStringList notices;
    notices.swap(d_notices);
    return notices;
}

const char *TDatabase::Usage_Column(TUsageTotal total)
{
    return total == MONITOR_TIME ? "software_monitor_time" : "software_run_time";
}

bool TDatabase::Add_Usage_Once(TUsageTotal total, int seconds, const QString &token)
{
    return In_Usage_Transaction(
        [&](QSqlDatabase db)
        {
            QSqlQuery query(db);
            if (!Execute(&query, QStringLiteral(
                                     "CREATE TABLE IF NOT EXISTS usage_journal(token TEXT PRIMARY KEY)")) ||
                !Execute(&query, TSqlText::Fill("SELECT 1 FROM usage_journal WHERE token='%1'",
                                                {TSqlText::Text(token)})))
            {
                d_last_error = Reason("usage", query.lastError());
                return false;
            }
            if (query.next())
                return true;
            if (!Add_Usage_Period(db, total, seconds))
                return false;
            if (Execute(&query, TSqlText::Fill("INSERT INTO usage_journal(token) VALUES('%1')",
                                               {TSqlText::Text(token)})))
                return true;
            d_last_error = Reason("usage", query.lastError());
            return false;
        });
}

void TDatabase::Forget_Usage_Token(const QString &token)
{
    std::lock_guard<std::recursive_mutex> lock(d_mutex);
    QSqlDatabase db;
    if (!Connection(&db))
        return;
    QSqlQuery query(db);
    Execute(&query, TSqlText::Fill("DELETE FROM usage_journal WHERE token='%1'", {TSqlText::Text(token)}));
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

bool TDatabase::Add_Program_Entry(const TDatabaseItem &item)
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
    // No key can find such an entry again: its figures would be stored unreachable.
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

    // All rows of one entry or none: a half-written entry would be read back as a
    // program without times or with only some of its messages.
    if (!db.transaction())
    {
        d_last_error = Reason("program", db.lastError());
        return false;
    }
    if (!Insert_Entry(db, item))
    {
        db.rollback();
        return false;
    }
    if (!db.commit())
    {
        d_last_error = Reason("program", db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

bool TDatabase::Insert_Entry(QSqlDatabase db, const TDatabaseItem &item)
{
    const QDateTime date_time = item.Date_Time();
    QSqlQuery query(db);
    if (!Execute(&query,
                 TSqlText::Fill("INSERT INTO program (name,revision,date,time) VALUES ('%1','%2','%3','%4')",
                                {TSqlText::Text(item.Name()), TSqlText::Text(item.Revision()),
                                 TSqlText::Text(TStoredForm::Date_Text(date_time.date())),
                                 TSqlText::Text(TStoredForm::Time_Text(date_time.time()))})))
    {
        d_last_error = Reason("program", query.lastError());
        return false;
    }

    // The key of the row just inserted, from the insert itself: a lookup by
    // name, date and time could find another row.
    const QVariant row = query.lastInsertId();
    if (!row.isValid() ||
        !Execute(&query, QStringLiteral("SELECT program_id FROM program WHERE rowid=%1")
                             .arg(TSqlText::Number(row.toLongLong()))) ||
        !query.next() || query.isNull(0))
    {
        d_last_error = QStringLiteral("Cannot add data to table 'program'.  Reason: No key for the new row");
        return false;
    }
    const QString key = TSqlText::Number(query.value(0).toLongLong());
    if (!Execute(&query,
                 TSqlText::Fill(
                     "INSERT INTO program_data (program_id,execution_time,idle_time,point_count) VALUES "
                     "(%1,%2,%3,%4)",
                     {key, TSqlText::Number(item.Execution_Time()), TSqlText::Number(item.Idle_Time()),
                      TSqlText::Number(item.Point_Count())})))
    {
        d_last_error = Reason("program_data", query.lastError());
        return false;
    }

    for (int index = 0; index < item.Error_Message_Count(); ++index)
    {
        if (!Execute(&query,
                     TSqlText::Fill("INSERT INTO program_message (program_id,message) VALUES (%1,'%2')",
                                    {key, TSqlText::Text(item.Error_Message(index))})))
        {
            d_last_error = Reason("program_message", query.lastError());
            return false;
        }
    }
    return true;
}
