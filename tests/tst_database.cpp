#include "src/database.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QSqlDatabase>
#include <QtTest>

namespace
{
TDatabaseItem Record(const QString &name, const QDateTime &date_time, const QStringList &messages = {})
{
    TDatabaseItem item;
    item.Set_Name(name);
    item.Set_Revision(QStringLiteral("A"));
    item.Set_Date_Time(date_time);
    item.Set_Execution_Time(120);
    item.Set_Idle_Time(30);
    item.Set_Point_Count(12);
    for (const QString &message : messages)
        item.Add_Error_Message(message);
    return item;
}

QString Shell(const QString &file, const QString &script)
{
    QString output;
    if (!TSqliteShell::Run(file, script, &output))
        return QStringLiteral("<sqlite3 failed>");
    return output;
}
} // namespace

class TTestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void New_File_Holds_The_Schema();
    void Foreign_File_Is_Taken_As_It_Is();
    void Open_Failure_Text();
    void Without_Connection();
    void Delete_All_Data_Keeps_Totals_And_Keys();
    void Usage_Totals_Accumulate();
    void Entries_Are_Unique_By_Name_Date_And_Time();
    void Entry_Rows_And_Hostile_Text();
    void Entry_Is_Written_All_Or_Nothing();
    void Stored_Forms();

private:
    QString File(const TTestHome &home) const { return home.File_Path(QStringLiteral("database.db")); }
};

void TTestDatabase::New_File_Holds_The_Schema()
{
    TTestHome home;
    TDatabase db;
    QVERIFY2(db.Open(File(home)), qPrintable(db.Last_Error()));
    QVERIFY(db.Is_Open());
    QVERIFY(QSqlDatabase::contains(QStringLiteral("quorvex_database")));
    QVERIFY2(db.Create_Tables(), qPrintable(db.Last_Error()));
    QVERIFY2(db.Create_Tables(), qPrintable(db.Last_Error()));

    const QString schema = Shell(File(home), QStringLiteral("SELECT sql||';' FROM sqlite_master WHERE type='table' ORDER BY "
                                                            "rowid;\nSELECT count(*) FROM usage;\nSELECT * FROM usage;\n"));
    QCOMPARE(schema,
             QStringLiteral("CREATE TABLE program(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision "
                            "TEXT,date TEXT,time TEXT);\n"
                            "CREATE TABLE sqlite_sequence(name,seq);\n"
                            "CREATE TABLE program_data(program_id INTEGER,execution_time INTEGER,idle_time "
                            "INTEGER,point_count INTEGER);\n"
                            "CREATE TABLE program_message(program_id INTEGER,message TEXT);\n"
                            "CREATE TABLE usage(software_monitor_time INTEGER,software_run_time INTEGER);\n"
                            "1\n0|0\n"));
    // Indexes for reading years of records; made again on files that lack them.
    const QString indexes = QStringLiteral("program_data_index\nprogram_date_index\nprogram_entry_index\nprogram_message_index\n");
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name;\n")), indexes);
    QVERIFY(TSqliteShell::Run(File(home), QStringLiteral("DROP INDEX program_date_index;\n")));
    QVERIFY(db.Create_Tables());
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' ORDER BY name;\n")), indexes);

    bool valid = false;
    QCOMPARE(db.Software_Monitor_Time(&valid), 0);
    QVERIFY(valid);

    db.Close();
    db.Close();
    QVERIFY(!db.Is_Open());
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
}

// A file made by another tool: names in capitals count as present, a usage
// table without its row stays without it, an entry without times reads as zeros.
void TTestDatabase::Foreign_File_Is_Taken_As_It_Is()
{
    TTestHome home;
    QVERIFY(TSqliteShell::Run(
        File(home),
        QStringLiteral("CREATE TABLE PROGRAM(program_id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,revision "
                       "TEXT,date TEXT,time TEXT);\n"
                       "CREATE TABLE Program_Data(program_id INTEGER,execution_time INTEGER,idle_time INTEGER,"
                       "point_count INTEGER);\n"
                       "CREATE TABLE PROGRAM_MESSAGE(program_id INTEGER,message TEXT);\n"
                       "CREATE TABLE USAGE(software_monitor_time INTEGER,software_run_time INTEGER);\n"
                       "INSERT INTO program(name,revision,date,time) VALUES('LONELY','C','2024 Mar 05','09 15 04 am');\n"
                       "INSERT INTO program_message VALUES(1,'drive fault');\n")));

    TDatabase db;
    QVERIFY2(db.Open(File(home)), qPrintable(db.Last_Error()));
    QVERIFY2(db.Create_Tables(), qPrintable(db.Last_Error()));
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table';\n")),
             QStringLiteral("5\n"));

    bool valid = true;
    QCOMPARE(db.Software_Run_Time(&valid), 0);
    QVERIFY(!valid);
    QVERIFY(db.Add_Software_Run_Time(90));
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT count(*) FROM usage;\n")), QStringLiteral("0\n"));

    const std::vector<TDatabaseItem> entries = db.Program_Entries(QStringLiteral("LONELY"), QStringLiteral("2024 Mar 05"));
    QCOMPARE(int(entries.size()), 1);
    QCOMPARE(entries[0].Revision(), QStringLiteral("C"));
    QCOMPARE(entries[0].Execution_Time() + entries[0].Idle_Time() + entries[0].Point_Count(), 0);
    QCOMPARE(entries[0].Error_Messages(), QStringList{QStringLiteral("drive fault")});

    valid = true;
    const TDatabaseItem entry =
        db.Program_Entry(QStringLiteral("LONELY"), QStringLiteral("2024 Mar 05"), QStringLiteral("09 15 04 am"), &valid);
    QVERIFY(!valid);
    QCOMPARE(entry.Revision(), QStringLiteral("C"));
    QCOMPARE(entry.Error_Message_Count(), 0);
    QCOMPARE(entry.Date_Time(), QDateTime(QDate(2024, 3, 5), QTime(9, 15, 4)));
}

void TTestDatabase::Open_Failure_Text()
{
    TTestHome home;
    TDatabase db;
    const QString file = home.File_Path(QStringLiteral("no such folder/database.db"));
    QVERIFY(!db.Open(file));
    QVERIFY(!db.Is_Open());
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));

    const QString text = db.Last_Error();
    QVERIFY2(text.startsWith(QStringLiteral("Cannot open database.\n\tDatabase Error: '")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("'\n\tDriver Error: '")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("'\n\t\tDatabase File Name: '%1'\n\tAvailable database drivers:\n").arg(file)),
             qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\t\tQSQLITE\n")) || text.contains(QStringLiteral("\t\tQSQLITE\n\t\t")),
             qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\n\t\t")), QSqlDatabase::drivers().size() + 1);

    QVERIFY(!db.Create_Tables());
    QCOMPARE(db.Last_Error(), QStringLiteral("Database not open"));

    // The object may be opened again after a failure.
    QVERIFY2(db.Open(File(home)), qPrintable(db.Last_Error()));
}

void TTestDatabase::Without_Connection()
{
    TDatabase db;
    bool valid = true;
    QCOMPARE(db.Software_Monitor_Time(&valid), 0);
    QVERIFY(!valid);
    QVERIFY(!db.Add_Software_Monitor_Time(5));
    QCOMPARE(db.Last_Error(), QStringLiteral("Not connected"));
    QCOMPARE(db.Program_Id(QStringLiteral("X"), QString(), QString()), -1);
    QVERIFY(!db.Add_Program_Entry(Record(QStringLiteral("X"), QDateTime::currentDateTime())));
    QCOMPARE(db.Last_Error(), QStringLiteral("Not connected"));
    QVERIFY(db.Dates().isEmpty());
    QVERIFY(db.Program_Names({}).isEmpty());
    QVERIFY(db.Program_Entries(QStringLiteral("X"), QStringLiteral("2024 Mar 05")).empty());
    db.Program_Entry(QStringLiteral("X"), QString(), QString(), &valid);
    QVERIFY(!valid);
    db.Delete_All_Data();
    db.Close();
}

void TTestDatabase::Delete_All_Data_Keeps_Totals_And_Keys()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(File(home)) && db.Create_Tables());
    const QDateTime start(QDate(2024, 3, 5), QTime(8, 0, 0));
    QVERIFY(db.Add_Program_Entry(Record(QStringLiteral("P"), start, {QStringLiteral("m")})));
    QVERIFY(db.Add_Program_Entry(Record(QStringLiteral("P"), start.addSecs(60))));
    QVERIFY(db.Add_Software_Monitor_Time(42));
    const int last_key = db.Program_Id(QStringLiteral("P"), start.addSecs(60));

    db.Delete_All_Data();
    QVERIFY(db.Dates().isEmpty());
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT (SELECT count(*) FROM program_data)+(SELECT count(*) FROM "
                                              "program_message);\n")),
             QStringLiteral("0\n"));
    bool valid = false;
    QCOMPARE(db.Software_Monitor_Time(&valid), 42);

    QVERIFY(db.Add_Program_Entry(Record(QStringLiteral("P"), start)));
    QVERIFY(db.Program_Id(QStringLiteral("P"), start) > last_key);
}

void TTestDatabase::Usage_Totals_Accumulate()
{
    TTestHome home;
    {
        TDatabase db;
        QVERIFY(db.Open(File(home)) && db.Create_Tables());
        QVERIFY(db.Add_Software_Run_Time(3600));
        QVERIFY(db.Add_Software_Run_Time(90));
        QVERIFY(db.Add_Software_Monitor_Time(7));
    }
    // Totals grow over runs of the program: a new object adds to the stored value.
    TDatabase db;
    QVERIFY(db.Open(File(home)) && db.Create_Tables());
    QVERIFY(db.Add_Software_Monitor_Time(3));
    bool valid = false;
    QCOMPARE(db.Software_Run_Time(&valid), 3690);
    QVERIFY(valid);
    QCOMPARE(db.Software_Monitor_Time(&valid), 10);

    QVERIFY(TSqliteShell::Run(File(home), QStringLiteral("DROP TABLE usage;\n")));
    QVERIFY(!db.Add_Software_Run_Time(5));
    QVERIFY2(db.Last_Error().startsWith(QStringLiteral("Cannot add data to table 'usage'.  Reason: ")),
             qPrintable(db.Last_Error()));
}

void TTestDatabase::Entries_Are_Unique_By_Name_Date_And_Time()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(File(home)) && db.Create_Tables());

    const QDateTime morning(QDate(2024, 3, 5), QTime(9, 15, 4));
    QVERIFY2(db.Add_Program_Entry(Record(QStringLiteral("BRACKET_A"), morning)), qPrintable(db.Last_Error()));
    QVERIFY(!db.Add_Program_Entry(Record(QStringLiteral("BRACKET_A"), morning.addMSecs(300))));
    QCOMPARE(db.Last_Error(),
             QStringLiteral("Cannot add data to table 'program'.  Reason: Program entry already exists"));
    // am and pm keep two entries of the same clock time apart.
    QVERIFY2(db.Add_Program_Entry(Record(QStringLiteral("BRACKET_A"), morning.addSecs(12 * 3600))),
             qPrintable(db.Last_Error()));
    QCOMPARE(db.Program_Times(QStringLiteral("BRACKET_A"), QStringLiteral("2024 Mar 05")),
             (QStringList{QStringLiteral("09 15 04 am"), QStringLiteral("09 15 04 pm")}));
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT count(*) FROM program_data;\n")), QStringLiteral("2\n"));

    QVERIFY(!db.Add_Program_Entry(Record(QStringLiteral("NO_DATE"), QDateTime())));
    QCOMPARE(db.Last_Error(), QStringLiteral("Date_Time invalid"));
    QCOMPARE(db.Program_Id(QStringLiteral("NO_DATE"), QDateTime()), -1);
    QCOMPARE(db.Last_Error(), QStringLiteral("Date_Time invalid"));

    QCOMPARE(db.Program_Id(QString(), QStringLiteral("2024 Mar 05"), QString()), -1);
    QCOMPARE(db.Last_Error(), QStringLiteral("Invalid name"));
    QCOMPARE(db.Program_Id(QStringLiteral("BRACKET_B"), QString(), QString()), -1);
    QCOMPARE(db.Last_Error(), QStringLiteral("Program not found."));

    // Leaving out the date or the time widens the search; the first row counts.
    const int first = db.Program_Id(QStringLiteral("BRACKET_A"), morning);
    QCOMPARE(db.Program_Id(QStringLiteral("BRACKET_A"), QString(), QString()), first);
    QCOMPARE(db.Program_Id(QStringLiteral("BRACKET_A"), QStringLiteral("2024 Mar 05"), QString()), first);
    QVERIFY(db.Program_Id(QStringLiteral("BRACKET_A"), QString(), QStringLiteral("09 15 04 pm")) > first);
    QVERIFY(db.Program_Exists(QStringLiteral("BRACKET_A"), QStringLiteral("2024 Mar 05"), QStringLiteral("09 15 04 am")));
    QVERIFY(!db.Program_Exists(QStringLiteral("BRACKET_A"), QDateTime()));
}

void TTestDatabase::Entry_Rows_And_Hostile_Text()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(File(home)) && db.Create_Tables());
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));

    const QString name = QStringLiteral("O'Brien's %1 50% %2 '); DROP TABLE program; --");
    const QString revision = QStringLiteral("rev 'B' %3");
    const QStringList messages{QStringLiteral("first 'quoted' %1"), QStringLiteral("second %2"),
                               QStringLiteral("third \u00e9\u4e2d")};
    TDatabaseItem hostile = Record(name, when, messages);
    hostile.Set_Revision(revision);
    QVERIFY2(db.Add_Program_Entry(hostile), qPrintable(db.Last_Error()));
    QVERIFY2(db.Add_Program_Entry(Record(QStringLiteral("QUIET"), when)), qPrintable(db.Last_Error()));

    QCOMPARE(Shell(File(home), QStringLiteral("SELECT p.program_id, count(m.message) FROM program p LEFT JOIN "
                                              "program_message m USING(program_id) GROUP BY p.program_id;\n"
                                              "SELECT message FROM program_message ORDER BY rowid;\n")),
             QStringLiteral("1|3\n2|0\nfirst 'quoted' %1\nsecond %2\nthird \u00e9\u4e2d\n"));

    QVERIFY(db.Program_Exists(name, when));
    bool valid = false;
    const TDatabaseItem entry = db.Program_Entry(name, QStringLiteral("2024 Mar 05"), QStringLiteral("02 07 09 pm"), &valid);
    QVERIFY(valid);
    QCOMPARE(entry.Name(), name);
    QCOMPARE(entry.Revision(), revision);
    QCOMPARE(entry.Error_Messages(), messages);
    QCOMPARE(entry.Execution_Time(), 120);
    QCOMPARE(entry.Idle_Time(), 30);
    QCOMPARE(entry.Point_Count(), 12);
    QCOMPARE(db.Program_Names({QStringLiteral("2024 Mar 05")}), (QStringList{name, QStringLiteral("QUIET")}));
}

// A statement failing part way leaves nothing of the entry: here the message
// table refuses rows, so the entry's program and program_data rows must go too.
void TTestDatabase::Entry_Is_Written_All_Or_Nothing()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(File(home)) && db.Create_Tables());
    const QDateTime when(QDate(2024, 3, 5), QTime(10, 0, 0));
    QVERIFY(db.Add_Program_Entry(Record(QStringLiteral("KEPT"), when, {QStringLiteral("ok")})));

    QVERIFY(TSqliteShell::Run(File(home),
                              QStringLiteral("DROP TABLE program_message;\n"
                                             "CREATE TABLE program_message(program_id INTEGER,message TEXT "
                                             "CHECK(message NOT LIKE 'bad%'));\n")));
    QVERIFY(!db.Add_Program_Entry(
        Record(QStringLiteral("HALF"), when, {QStringLiteral("good"), QStringLiteral("bad one"), QStringLiteral("x")})));
    QVERIFY2(db.Last_Error().startsWith(QStringLiteral("Cannot add data to table 'program_message'.  Reason: ")),
             qPrintable(db.Last_Error()));

    QCOMPARE(Shell(File(home), QStringLiteral("SELECT count(*) FROM program;\nSELECT count(*) FROM program_data;\n"
                                              "SELECT count(*) FROM program_message;\n")),
             QStringLiteral("1\n1\n0\n"));
    QVERIFY(!db.Program_Exists(QStringLiteral("HALF"), when));

    QVERIFY(TSqliteShell::Run(File(home), QStringLiteral("DROP TABLE program_data;\n"
                                                         "CREATE TABLE program_data(program_id INTEGER CHECK(0));\n")));
    QVERIFY(!db.Add_Program_Entry(Record(QStringLiteral("HALF"), when)));
    QVERIFY2(db.Last_Error().startsWith(QStringLiteral("Cannot add data to table 'program_data'.  Reason: ")),
             qPrintable(db.Last_Error()));
    QCOMPARE(Shell(File(home), QStringLiteral("SELECT count(*) FROM program;\n")), QStringLiteral("1\n"));

    // The connection is usable again afterwards: no transaction was left open.
    QVERIFY(TSqliteShell::Run(File(home), QStringLiteral("DROP TABLE program_data;\n")));
    QVERIFY(db.Create_Tables());
    QVERIFY2(db.Add_Program_Entry(Record(QStringLiteral("AFTER"), when)), qPrintable(db.Last_Error()));
}

void TTestDatabase::Stored_Forms()
{
    QCOMPARE(TDatabase::Stored_Date_Text(QDate(2024, 3, 5)), QStringLiteral("2024 Mar 05"));
    QCOMPARE(TDatabase::Stored_Time_Text(QTime(21, 15, 4, 999)), QStringLiteral("09 15 04 pm"));
    QCOMPARE(TDatabase::Stored_Date_Time(QStringLiteral("2024 Mar 05"), QStringLiteral("09 15 04 pm")),
             QDateTime(QDate(2024, 3, 5), QTime(21, 15, 4)));
    const QDateTime midnight = TDatabase::Stored_Date_Time(QStringLiteral("2024 Mar 05"), QStringLiteral("late"));
    QVERIFY(midnight.isValid());
    QCOMPARE(midnight.time(), QTime(0, 0));
    QVERIFY(!TDatabase::Stored_Date_Time(QStringLiteral("05 Mar 2024"), QStringLiteral("09 15 04 pm")).isValid());
}

QTEST_GUILESS_MAIN(TTestDatabase)
#include "tst_database.moc"
