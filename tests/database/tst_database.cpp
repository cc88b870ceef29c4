#include "src/database/database.h"
#include "src/database/storedform.h"
#include "tests/support/shownform.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <atomic>
#include <thread>

namespace
{
const QDate MARCH_5(2024, 3, 5);
const QDate MARCH_6(2024, 3, 6);

TExecution Record(const QString &name, const QDateTime &date_time, int points = 12,
                  const QStringList &messages = {})
{
    TExecution item;
    item.Set_Name(name);
    item.Set_Revision(name.left(1));
    item.Set_Date_Time(date_time);
    item.Set_Execution_Time(points * 10);
    item.Set_Idle_Time(points);
    item.Set_Point_Count(points);
    for (const QString &message : messages)
        item.Add_Error_Message(message);
    return item;
}

} // namespace

// The usage database: its schema, the writes and their failures, the reads of
// a small file whose recording order is known, and the record itself.
class TTestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void New_File_Holds_The_Schema();
    void Foreign_File_Is_Taken_As_It_Is();
    void Version_Upgrades_Once_Or_Not_At_All();
    void Failures_And_Their_Texts();
    void Usage_Totals_Accumulate_Once_Per_Token();
    void Writes_Wait_For_Another_Writer();
    void Executions_Are_Unique_By_Name_Date_And_Time();
    void Execution_Is_Written_All_Or_Nothing();
    void Reads_Keep_Recording_Order();
    void Stored_And_Display_Forms_data();
    void Stored_And_Display_Forms();

private:
    QString File() const { return d_home->File_Path(QStringLiteral("database.db")); }
    bool Fill();

    TTestHome *d_home = nullptr;
    TDatabase *d_db = nullptr;
};

void TTestDatabase::init()
{
    d_home = new TTestHome;
    d_db = new TDatabase;
}

void TTestDatabase::cleanup()
{
    delete d_db;
    delete d_home;
}

bool TTestDatabase::Fill()
{
    const std::vector<TExecution> items{
        Record(QStringLiteral("ZETA"), QDateTime(MARCH_5, QTime(8, 0)), 3,
               {QStringLiteral("z1"), QStringLiteral("z2")}),
        Record(QStringLiteral("ALPHA"), QDateTime(MARCH_5, QTime(9, 0)), 4),
        Record(QStringLiteral("ZETA"), QDateTime(MARCH_5, QTime(13, 0)), 5, {QStringLiteral("z3")}),
        Record(QStringLiteral("BETA"), QDateTime(MARCH_6, QTime(7, 0)), 6, {QStringLiteral("z1")}),
        Record(QStringLiteral("ALPHA"), QDateTime(MARCH_6, QTime(8, 0)), 7),
    };
    bool all = d_db->Open(File()) && d_db->Create_Tables();
    for (const TExecution &item : items)
        all = all && d_db->Add_Execution(item);
    return all;
}

void TTestDatabase::New_File_Holds_The_Schema()
{
    QVERIFY2(d_db->Open(File()) && d_db->Create_Tables(), qPrintable(d_db->Last_Error()));
    QVERIFY2(d_db->Create_Tables(), qPrintable(d_db->Last_Error()));
    QCOMPARE(
        TSqliteShell::Output(
            File(), QStringLiteral("SELECT sql||';' FROM sqlite_master WHERE type='table' ORDER BY rowid;\n"
                                   "SELECT * FROM usage;\n")),
        QStringLiteral(
            "CREATE TABLE program(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision "
            "TEXT,date TEXT,time TEXT);\n"
            "CREATE TABLE sqlite_sequence(name,seq);\n"
            "CREATE TABLE program_data(program_id INTEGER,execution_time INTEGER,idle_time "
            "INTEGER,point_count INTEGER);\n"
            "CREATE TABLE program_message(program_id INTEGER,message TEXT);\n"
            "CREATE TABLE usage(software_monitor_time INTEGER,software_run_time INTEGER);\n"
            "CREATE TABLE usage_period(period_id INTEGER PRIMARY KEY AUTOINCREMENT,total TEXT,seconds "
            "INTEGER,recorded TEXT);\n"
            "CREATE TABLE usage_journal(token TEXT PRIMARY KEY);\n"
            "CREATE TABLE stops(stop_id INTEGER PRIMARY KEY AUTOINCREMENT,started TEXT NOT NULL UNIQUE,"
            "ended TEXT NOT NULL,open INTEGER NOT NULL,reason TEXT NOT NULL,source TEXT NOT NULL,"
            "planned INTEGER NOT NULL,note TEXT NOT NULL,change INTEGER NOT NULL);\n"
            "CREATE TABLE alert_event(event_id INTEGER PRIMARY KEY AUTOINCREMENT,alert_key TEXT,kind "
            "TEXT,detail TEXT,started TEXT,ended TEXT);\n"
            "CREATE TABLE central_progress(target TEXT NOT NULL,kind TEXT NOT NULL,last_id INTEGER NOT "
            "NULL,PRIMARY KEY(target,kind));\n"
            "0|0\n"));
    QCOMPARE(TSqliteShell::Output(File(), QStringLiteral("PRAGMA user_version;\n")), QStringLiteral("1\n"));
    // Indexes for reading years of records; made again on files that lack them.
    const QString indexes = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index';\n");
    // The keys of stops, usage_journal and central_progress are indexes of their own.
    QCOMPARE(TSqliteShell::Output(File(), indexes), QStringLiteral("10\n"));
    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("DROP INDEX program_date_index;\n")));
    QVERIFY(d_db->Create_Tables());
    QCOMPARE(TSqliteShell::Output(File(), indexes), QStringLiteral("10\n"));
    d_db->Close();
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
}

// A file made by another tool: names in capitals count as present, a usage
// table without its row stays without it, an entry without times reads as zeros.
void TTestDatabase::Foreign_File_Is_Taken_As_It_Is()
{
    QVERIFY(TSqliteShell::Run(
        File(), QStringLiteral(
                    "CREATE TABLE PROGRAM(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision "
                    "TEXT,date TEXT,time TEXT);\n"
                    "CREATE TABLE Program_Data(program_id INTEGER,execution_time INTEGER,idle_time INTEGER,"
                    "point_count INTEGER);\n"
                    "CREATE TABLE PROGRAM_MESSAGE(program_id INTEGER,message TEXT);\n"
                    "CREATE TABLE USAGE(software_monitor_time INTEGER,software_run_time INTEGER);\n"
                    "INSERT INTO program(name,revision,date,time) VALUES('LONELY','C','2024 Mar 05',"
                    "'09 15 04 am');\nINSERT INTO program_message VALUES(1,'drive fault');\n")));
    QVERIFY2(d_db->Open(File()) && d_db->Create_Tables(), qPrintable(d_db->Last_Error()));
    QCOMPARE(TSqliteShell::Output(File(),
                                  QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table';\n")),
             QStringLiteral("10\n"));
    bool valid = true;
    QCOMPARE(d_db->Software_Run_Time(&valid), 0);
    QVERIFY(!valid);
    // The usage row is missing: the period starts the totals again, and the caller is told.
    QVERIFY(d_db->Add_Software_Run_Time(90));
    QCOMPARE(TSqliteShell::Output(File(), QStringLiteral("SELECT * FROM usage;\n")),
             QStringLiteral("0|90\n"));
    QCOMPARE(d_db->Take_Notices(),
             QStringList{QStringLiteral("WAR:  The usage totals were missing from the "
                                        "database; they start again from this period.")});
    QVERIFY(d_db->Take_Notices().isEmpty());
    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("DELETE FROM usage;\n")));
    QVERIFY(d_db->Add_Usage_Once(TDatabase::MONITOR_TIME, 7, QStringLiteral("once")));
    QVERIFY(d_db->Add_Usage_Once(TDatabase::MONITOR_TIME, 7, QStringLiteral("once")));
    QVERIFY(d_db->Add_Software_Run_Time(5));
    QCOMPARE(TSqliteShell::Output(File(), QStringLiteral("SELECT * FROM usage;\n")), QStringLiteral("7|5\n"));

    const std::vector<TExecution> entries =
        d_db->Executions(QStringLiteral("LONELY"), QStringLiteral("2024 Mar 05"));
    QCOMPARE(int(entries.size()), 1);
    QCOMPARE(entries[0].Execution_Time() + entries[0].Idle_Time() + entries[0].Point_Count(), 0);
    QCOMPARE(entries[0].Error_Messages(), QStringList{QStringLiteral("drive fault")});
    // Without its program_data row the entry is not found whole, and its messages are not read.
    QCOMPARE(d_db->Execution(QStringLiteral("LONELY"), QStringLiteral("2024 Mar 05"),
                             QStringLiteral("09 15 04 am"), &valid)
                 .Error_Message_Count(),
             0);
    QVERIFY(!valid);
    // Negative numbers written by another tool never reach a record.
    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("INSERT INTO program_data VALUES(1,-5,-1,-2);\n")));
    QCOMPARE(d_db->Executions(QStringLiteral("LONELY"), QStringLiteral("2024 Mar 05"))[0].Point_Count(), 0);
}

// A file of an earlier version gains what it lacks in one transaction, its
// rows kept; one that cannot be upgraded whole is not upgraded at all; one of
// a later version is refused and left as it is.
void TTestDatabase::Version_Upgrades_Once_Or_Not_At_All()
{
    const QString tables = QStringLiteral("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                                          "WHERE type='table' AND name<>'sqlite_sequence' ORDER BY name);\n"
                                          "PRAGMA user_version;\n");
    const QString old_file = QStringLiteral(
        "CREATE TABLE program(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision "
        "TEXT,date TEXT,time TEXT);\n"
        "INSERT INTO program(name,revision,date,time) VALUES('KEPT','A','2024 Mar 05','09 15 04 "
        "am');\n"
        "CREATE TABLE usage(software_monitor_time INTEGER,software_run_time INTEGER);\n"
        "INSERT INTO usage VALUES(60,30);\n");
    QVERIFY(TSqliteShell::Run(File(), old_file));
    QVERIFY2(d_db->Open(File()) && d_db->Create_Tables(), qPrintable(d_db->Last_Error()));
    QCOMPARE(TSqliteShell::Output(File(), tables + QStringLiteral("SELECT name FROM program;\n"
                                                                  "SELECT * FROM usage;\n")),
             QStringLiteral("alert_event,central_progress,program,program_data,program_message,stops,usage,"
                            "usage_journal,usage_period\n1\nKEPT\n60|30\n"));
    d_db->Close();

    // A view where a table is to be: the tables made before it are undone.
    QVERIFY(QFile::remove(File()));
    QVERIFY(TSqliteShell::Run(File(), old_file + QStringLiteral("CREATE VIEW alert_event AS SELECT 1;\n")));
    QVERIFY(d_db->Open(File()));
    QVERIFY(!d_db->Create_Tables());
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Cannot create table 'alert_event(...)'"));
    QCOMPARE(TSqliteShell::Output(File(), tables), QStringLiteral("program,usage\n0\n"));
    d_db->Close();

    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("DROP VIEW alert_event;\nPRAGMA user_version=2;\n")));
    const auto bytes = [this]()
    {
        QFile file(File());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    QVERIFY(d_db->Open(File()));
    QVERIFY(!d_db->Create_Tables());
    QCOMPARE(d_db->Last_Error(), QStringLiteral("The database was written by a newer Quorvex (its version 2, "
                                                "this program's 1); it is left as it is."));
    d_db->Close();
    QCOMPARE(bytes(), before);
}

void TTestDatabase::Failures_And_Their_Texts()
{
    // Without a connection every operation fails or reads nothing.
    bool valid = true;
    QCOMPARE(d_db->Software_Monitor_Time(&valid), 0);
    QVERIFY(!valid);
    QVERIFY(!d_db->Add_Execution(Record(QStringLiteral("X"), QDateTime::currentDateTime())));
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Not connected"));
    QVERIFY(d_db->Dates().isEmpty() && d_db->Program_Names({}).isEmpty());
    QVERIFY(!d_db->Create_Tables());
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Database not open"));

    const QString missing = d_home->File_Path(QStringLiteral("no such folder/database.db"));
    QVERIFY(!d_db->Open(missing));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
    const QString text = d_db->Last_Error();
    QVERIFY2(text.startsWith(QStringLiteral("Cannot open database.\n\tDatabase Error: '")) &&
                 text.contains(QStringLiteral("'\n\t\tDatabase File Name: '%1'\n").arg(missing)),
             qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\n\t\t")), QSqlDatabase::drivers().size() + 1);

    // The object may be opened again after a failure.
    QVERIFY2(d_db->Open(File()) && d_db->Create_Tables(), qPrintable(d_db->Last_Error()));
    QCOMPARE(d_db->Program_Id(QString(), QStringLiteral("2024 Mar 05"), QString()), -1);
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Invalid name"));
    QCOMPARE(d_db->Program_Id(QStringLiteral("NONE"), QString(), QString()), -1);
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Program not found."));
    QVERIFY(!d_db->Add_Execution(Record(QStringLiteral("NO_DATE"), QDateTime())));
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Date_Time invalid"));
    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("DROP TABLE usage;\n")));
    QVERIFY(!d_db->Add_Software_Run_Time(5));
    QVERIFY2(d_db->Last_Error().startsWith(QStringLiteral("Cannot add data to table 'usage'.  Reason: ")),
             qPrintable(d_db->Last_Error()));
}

void TTestDatabase::Usage_Totals_Accumulate_Once_Per_Token()
{
    QVERIFY(d_db->Open(File()) && d_db->Create_Tables());
    QVERIFY(d_db->Add_Software_Run_Time(3600) && d_db->Add_Software_Monitor_Time(7));
    // Totals grow over runs of the program: a new object adds to the stored value.
    TDatabase again;
    delete d_db;
    d_db = nullptr;
    QVERIFY(again.Open(File()) && again.Create_Tables());
    QVERIFY(again.Add_Software_Run_Time(90));
    QVERIFY(again.Add_Usage_Once(TDatabase::MONITOR_TIME, 3, QStringLiteral("token")));
    QVERIFY(again.Add_Usage_Once(TDatabase::MONITOR_TIME, 3, QStringLiteral("token")));
    bool valid = false;
    QCOMPARE(again.Software_Run_Time(&valid), 3690);
    QCOMPARE(again.Software_Monitor_Time(&valid), 10);
    again.Forget_Usage_Token(QStringLiteral("token"));
    QVERIFY(again.Add_Usage_Once(TDatabase::MONITOR_TIME, 3, QStringLiteral("token")));
    QCOMPARE(again.Software_Monitor_Time(&valid), 13);
}

// Another connection (the forwarder noting its progress) that writes at that
// moment delays a usage period, never fails it: a transaction that read first
// could not take the write lock after the other's, and SQLite ends such a
// wait at once instead of waiting.
void TTestDatabase::Writes_Wait_For_Another_Writer()
{
    QVERIFY(d_db->Open(File()) && d_db->Create_Tables());
    QVERIFY(d_db->Add_Usage_Once(TDatabase::MONITOR_TIME, 1, QStringLiteral("tables made")));
    std::atomic<bool> holding{false};
    std::thread writer(
        [this, &holding]()
        {
            {
                QSqlDatabase other =
                    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                other.setDatabaseName(File());
                other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
                QSqlQuery query(other);
                if (other.open() && query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                    query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS other_writer(a)")) &&
                    query.exec(QStringLiteral("INSERT INTO other_writer VALUES(1)")))
                {
                    holding = true;
                    // A writer's transaction of some length: what is tested is the lock, not an event.
                    QThread::msleep(300);
                    query.exec(QStringLiteral("COMMIT"));
                }
                holding = true;
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        });
    QTRY_VERIFY(holding.load());
    const bool added =
        d_db->Add_Usage_Once(TDatabase::MONITOR_TIME, 5, QStringLiteral("while another writes"));
    writer.join();
    QVERIFY2(added, qPrintable(d_db->Last_Error()));
    bool valid = false;
    QCOMPARE(d_db->Software_Monitor_Time(&valid), 6);
}

void TTestDatabase::Executions_Are_Unique_By_Name_Date_And_Time()
{
    QVERIFY(d_db->Open(File()) && d_db->Create_Tables());
    const QDateTime morning(MARCH_5, QTime(9, 15, 4));
    QVERIFY2(d_db->Add_Execution(Record(QStringLiteral("BRACKET_A"), morning)),
             qPrintable(d_db->Last_Error()));
    QVERIFY(!d_db->Add_Execution(Record(QStringLiteral("BRACKET_A"), morning.addMSecs(300))));
    QCOMPARE(d_db->Last_Error(),
             QStringLiteral("Cannot add data to table 'program'.  Reason: Program entry already exists"));
    // am and pm keep two entries of the same clock time apart.
    QVERIFY(d_db->Add_Execution(Record(QStringLiteral("BRACKET_A"), morning.addSecs(12 * 3600))));
    QCOMPARE(d_db->Program_Times(QStringLiteral("BRACKET_A"), QStringLiteral("2024 Mar 05")),
             (QStringList{QStringLiteral("09 15 04 am"), QStringLiteral("09 15 04 pm")}));
    // Leaving out the date or the time widens the search; the first row counts.
    const int first = d_db->Program_Id(QStringLiteral("BRACKET_A"), morning);
    QCOMPARE(d_db->Program_Id(QStringLiteral("BRACKET_A"), QString(), QString()), first);
    QCOMPARE(d_db->Program_Id(QStringLiteral("BRACKET_A"), QStringLiteral("2024 Mar 05"), QString()), first);
    QVERIFY(d_db->Program_Id(QStringLiteral("BRACKET_A"), QString(), QStringLiteral("09 15 04 pm")) > first);
    QVERIFY(!d_db->Program_Exists(QStringLiteral("BRACKET_A"), QDateTime()));

    // No key finds an entry without a name again: it is refused, and nothing of it is written.
    const TExecution nameless = Record(QString(), morning, 9, {QStringLiteral("lost")});
    QVERIFY(!d_db->Add_Execution(nameless));
    QCOMPARE(d_db->Last_Error(), QStringLiteral("Cannot add data to table 'program'.  Reason: Invalid name"));
    QVERIFY(!d_db->Add_Execution(nameless));
    QCOMPARE(TSqliteShell::Output(
                 File(),
                 QStringLiteral("SELECT (SELECT count(*) FROM program),(SELECT count(*) FROM program_data),"
                                "(SELECT count(*) FROM program_message),(SELECT count(*) FROM program_data "
                                "WHERE program_id<0);\n")),
             QStringLiteral("2|2|0|0\n"));
}

// A statement failing part way leaves nothing of the execution.
void TTestDatabase::Execution_Is_Written_All_Or_Nothing()
{
    QVERIFY(d_db->Open(File()) && d_db->Create_Tables());
    const QDateTime when(MARCH_5, QTime(10, 0, 0));
    QVERIFY(d_db->Add_Execution(Record(QStringLiteral("KEPT"), when, 1, {QStringLiteral("ok")})));
    QVERIFY(TSqliteShell::Run(
        File(), QStringLiteral("DROP TABLE program_message;\nCREATE TABLE program_message("
                               "program_id INTEGER,message TEXT CHECK(message NOT LIKE 'bad%'));\n")));
    QVERIFY(!d_db->Add_Execution(
        Record(QStringLiteral("HALF"), when, 1,
               {QStringLiteral("good"), QStringLiteral("bad one"), QStringLiteral("x")})));
    QVERIFY2(d_db->Last_Error().startsWith(
                 QStringLiteral("Cannot add data to table 'program_message'.  Reason: ")),
             qPrintable(d_db->Last_Error()));
    QCOMPARE(TSqliteShell::Output(
                 File(),
                 QStringLiteral("SELECT (SELECT count(*) FROM program),(SELECT count(*) FROM program_data),"
                                "(SELECT count(*) FROM program_message);\n")),
             QStringLiteral("1|1|0\n"));
    QVERIFY(TSqliteShell::Run(File(),
                              QStringLiteral("DROP TABLE program_data;\n"
                                             "CREATE TABLE program_data(program_id INTEGER CHECK(0));\n")));
    QVERIFY(!d_db->Add_Execution(Record(QStringLiteral("HALF"), when)));
    QVERIFY2(
        d_db->Last_Error().startsWith(QStringLiteral("Cannot add data to table 'program_data'.  Reason: ")),
        qPrintable(d_db->Last_Error()));
    QCOMPARE(TSqliteShell::Output(File(), QStringLiteral("SELECT count(*) FROM program;\n")),
             QStringLiteral("1\n"));
    // The connection is usable again afterwards: no transaction was left open.
    QVERIFY(TSqliteShell::Run(File(), QStringLiteral("DROP TABLE program_data;\n")));
    QVERIFY(d_db->Create_Tables());
    QVERIFY2(d_db->Add_Execution(Record(QStringLiteral("AFTER"), when)), qPrintable(d_db->Last_Error()));
}

void TTestDatabase::Reads_Keep_Recording_Order()
{
    QVERIFY(d_db->Open(File()) && d_db->Create_Tables());
    QVERIFY(d_db->Dates().isEmpty() && d_db->Program_Names({}).isEmpty());
    // A later date recorded first stays first: nothing is sorted.
    QVERIFY(d_db->Add_Execution(Record(QStringLiteral("LATE"), QDateTime(QDate(2025, 1, 2), QTime(1, 0)))));
    QVERIFY(Fill());
    QCOMPARE(d_db->Dates(), (QStringList{"2025 Jan 02", "2024 Mar 05", "2024 Mar 06"}));
    QCOMPARE(d_db->Program_Names({QStringLiteral("2024 Mar 06"), QStringLiteral("1999 Jan 01"),
                                  QStringLiteral("2024 Mar 05")}),
             (QStringList{"BETA", "ALPHA", "ZETA"}));
    const std::vector<TExecution> zeta =
        d_db->Executions(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05"));
    QCOMPARE(int(zeta.size()), 2);
    QVERIFY(zeta[0] == Record(QStringLiteral("ZETA"), QDateTime(MARCH_5, QTime(8, 0)), 3,
                              {QStringLiteral("z1"), QStringLiteral("z2")}));
    QVERIFY(zeta[1] ==
            Record(QStringLiteral("ZETA"), QDateTime(MARCH_5, QTime(13, 0)), 5, {QStringLiteral("z3")}));
    bool valid = false;
    const TExecution beta = d_db->Execution(QStringLiteral("BETA"), QStringLiteral("2024 Mar 06"),
                                            QStringLiteral("07 00 00 am"), &valid);
    QVERIFY(valid);
    QVERIFY(beta ==
            Record(QStringLiteral("BETA"), QDateTime(MARCH_6, QTime(7, 0)), 6, {QStringLiteral("z1")}));
    // Texts in other forms select nothing: a display date, another case, a time a second off.
    QVERIFY(d_db->Executions(QStringLiteral("ZETA"), zeta[0].Date_Text()).empty());
    QVERIFY(d_db->Executions(QStringLiteral("zeta"), QStringLiteral("2024 Mar 05")).empty());
    d_db->Execution(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05"), QStringLiteral("08 00 01 am"),
                    &valid);
    QVERIFY(!valid);

    // A name left NULL by another tool shows as empty, for few dates and for many alike.
    QVERIFY(TSqliteShell::Run(File(),
                              QStringLiteral("INSERT INTO program(name,date,time) VALUES(NULL,'2024 Mar 06',"
                                             "'09 00 00 am');\n")));
    QStringList many{QStringLiteral("2024 Mar 06")};
    for (int day = 1; day <= 70; ++day)
        many << TStoredForm::Date_Text(QDate(2020, 1, 1).addDays(day));
    const QStringList names{"BETA", "ALPHA", ""};
    QCOMPARE(d_db->Program_Names({QStringLiteral("2024 Mar 06")}), names);
    QCOMPARE(d_db->Program_Names(many), names);
}

void TTestDatabase::Stored_And_Display_Forms_data()
{
    QTest::addColumn<QDateTime>("date_time");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("afternoon") << QDateTime(MARCH_5, QTime(14, 7, 9)) << "2024 Mar 05|02 07 09 pm"
                               << "05 Mar 2024|02 07 09 pm";
    QTest::newRow("half past midnight")
        << QDateTime(QDate(2024, 12, 31), QTime(0, 30)) << "2024 Dec 31|12 30 00 am"
        << "31 Dec 2024|12 30 00 am";
    QTest::newRow("noon, milliseconds dropped")
        << QDateTime(QDate(2025, 1, 1), QTime(12, 0, 0, 999)) << "2025 Jan 01|12 00 00 pm"
        << "01 Jan 2025|12 00 00 pm";
    QTest::newRow("invalid") << QDateTime() << "|"
                             << "<invalid>|<invalid>";
}

void TTestDatabase::Stored_And_Display_Forms()
{
    QFETCH(QDateTime, date_time);
    QFETCH(QString, stored);
    TExecution item;
    item.Set_Date_Time(date_time);
    QFETCH(QString, shown);
    QCOMPARE(item.Date_Text() + QLatin1Char('|') + item.Time_Text(), TShownForm::Localised(shown));
    QCOMPARE(TStoredForm::Date_Text(date_time.date()) + QLatin1Char('|') +
                 TStoredForm::Time_Text(date_time.time()),
             stored);
    const QDateTime back = TStoredForm::Date_Time(stored.section('|', 0, 0), stored.section('|', 1));
    QCOMPARE(back, date_time.isValid() ? date_time.addMSecs(-date_time.time().msec()) : QDateTime());
    // A time that does not parse leaves midnight; a date in another form gives nothing.
    QCOMPARE(TStoredForm::Date_Time(QStringLiteral("2024 Mar 05"), QStringLiteral("late")),
             QDateTime(MARCH_5, QTime(0, 0)));
    QVERIFY(!TStoredForm::Date_Time(QStringLiteral("05 Mar 2024"), QStringLiteral("09 15 04 pm")).isValid());
}

QTEST_GUILESS_MAIN(TTestDatabase)
#include "tst_database.moc"
