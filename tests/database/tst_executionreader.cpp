#include "bench/benchmarkfile.h"
#include "src/database/database.h"
#include "src/report/summarytext.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QtTest>

#include <algorithm>

// The fast reads give exactly what the plain statements, one per date and
// program, give: the same lists in the same order, the same records with the
// same messages in the same order.
class TTestExecutionReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void Lists_Are_Those_Of_The_Plain_Statements();
    void Executions_Are_Those_Of_The_Plain_Loops_data();
    void Executions_Are_Those_Of_The_Plain_Loops();
    void A_File_In_UTF_16_Reads_Alike();

private:
    std::vector<TExecution> Plain(const QStringList &names, const QStringList &dates,
                                  TDatabase::TEntryOrder order, TDatabase *database = nullptr);
    QStringList Shell_Column(const QString &sql);

    TTestHome *d_home = nullptr;
    TDatabase *d_database = nullptr;
    QString d_file;
};

void TTestExecutionReader::initTestCase()
{
    d_home = new TTestHome;
    d_file = d_home->File_Path(QStringLiteral("database.db"));
    TBenchmarkFile::TShape shape;
    shape.executions = 2500;
    shape.programs = 14;
    shape.days = 100;
    shape.seed = 7;
    QString error;
    QVERIFY2(TBenchmarkFile::Generate(d_file, shape, &error), qPrintable(error));
    // What other tools may leave: an entry without times, one with two rows of
    // times, a missing date, a time that does not parse, a quote in a name, and
    // a later entry on the first day (dates do not come sorted).
    QVERIFY(TSqliteShell::Run(
        d_file,
        QStringLiteral("INSERT INTO program(name,revision,date,time) SELECT 'PART_0003','X',"
                       "date,'11 11 11 am' FROM program WHERE program_id=5;\n"
                       "INSERT INTO program_message VALUES(last_insert_rowid(),'no times');\n"
                       "INSERT INTO program(name,revision,date,time) SELECT name,'Y',date,"
                       "'10 10 10 pm' FROM program WHERE program_id=9;\n"
                       "INSERT INTO program_data VALUES(last_insert_rowid(),1,2,3);\n"
                       "INSERT INTO program_data VALUES(last_insert_rowid(),4,5,6);\n"
                       "INSERT INTO program(name,revision,date,time) VALUES('PART_0001','Z',NULL,"
                       "'01 00 00 am');\n"
                       "INSERT INTO program(name,revision,date,time) SELECT 'PART_0002','W',"
                       "date,'late' FROM program WHERE program_id=12;\n"
                       "INSERT INTO program(name,revision,date,time) SELECT 'O''Brien','V',date,"
                       "'09 00 00 am' FROM program WHERE program_id=1;\n"
                       "INSERT INTO program_message VALUES(last_insert_rowid(),'Axis X limit reached');\n")));
    d_database = new TDatabase;
    QVERIFY(d_database->Open(d_file) && d_database->Create_Tables());
}

void TTestExecutionReader::cleanupTestCase()
{
    delete d_database;
    delete d_home;
}

QStringList TTestExecutionReader::Shell_Column(const QString &sql)
{
    QString output;
    TSqliteShell::Run(d_file, sql + QLatin1Char('\n'), &output);
    QStringList column = output.split(QLatin1Char('\n'));
    column.removeLast();
    return column;
}

std::vector<TExecution> TTestExecutionReader::Plain(const QStringList &names, const QStringList &dates,
                                                TDatabase::TEntryOrder order, TDatabase *database)
{
    if (!database)
        database = d_database;
    std::vector<TExecution> items;
    const QStringList &outer = order == TDatabase::DATE_THEN_NAME ? dates : names;
    const QStringList &inner = order == TDatabase::DATE_THEN_NAME ? names : dates;
    for (const QString &first : outer)
        for (const QString &second : inner)
        {
            const std::vector<TExecution> entries = order == TDatabase::DATE_THEN_NAME
                                                        ? database->Executions(second, first)
                                                        : database->Executions(first, second);
            items.insert(items.end(), entries.begin(), entries.end());
        }
    return items;
}

void TTestExecutionReader::Lists_Are_Those_Of_The_Plain_Statements()
{
    // The plain statements: every row in recording order, made distinct afterwards.
    QStringList dates = Shell_Column(QStringLiteral("SELECT date FROM program ORDER BY program_id;"));
    dates.removeDuplicates();
    QCOMPARE(d_database->Dates(), dates);
    QVERIFY(dates.contains(QString()));

    QStringList names = Shell_Column(QStringLiteral("SELECT name FROM program ORDER BY program_id;"));
    names.removeDuplicates();
    QCOMPARE(d_database->Program_Names({}), names);

    const QStringList some{dates.at(30), dates.at(2), QStringLiteral("1999 Jan 01"), dates.at(0)};
    QStringList on_dates;
    for (const QString &date : some)
        on_dates += Shell_Column(
            QStringLiteral("SELECT name FROM program WHERE date='%1' ORDER BY program_id;").arg(date));
    on_dates.removeDuplicates();
    QCOMPARE(d_database->Program_Names(some), on_dates);
    // Many dates are read in one pass: the same as date by date, also with a date twice and one unknown.
    QStringList many = dates;
    many.insert(7, dates.at(40));
    many << QStringLiteral("1999 Jan 01");
    QStringList date_by_date;
    for (const QString &date : many)
        date_by_date += d_database->Program_Names({date});
    date_by_date.removeDuplicates();
    QCOMPARE(d_database->Program_Names(many), date_by_date);
}

void TTestExecutionReader::Executions_Are_Those_Of_The_Plain_Loops_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<int>("order");
    for (const char *selection : {"all", "few dates", "few names", "missing texts", "repeated texts"})
    {
        QTest::addRow("%s, dates outside", selection) << selection << int(TDatabase::DATE_THEN_NAME);
        QTest::addRow("%s, names outside", selection) << selection << int(TDatabase::NAME_THEN_DATE);
    }
}

void TTestExecutionReader::Executions_Are_Those_Of_The_Plain_Loops()
{
    QFETCH(QString, selection);
    QFETCH(int, order);
    QStringList dates = d_database->Dates();
    QStringList names = d_database->Program_Names({});
    QVERIFY(dates.size() > 64);
    if (selection == QLatin1String("few dates"))
        dates = QStringList{dates.at(40), dates.at(3), dates.at(0)};
    else if (selection == QLatin1String("few names"))
        names = QStringList{names.last(), names.at(2), names.at(0)};
    else if (selection == QLatin1String("missing texts"))
    {
        dates = QStringList{QStringLiteral("no date"), dates.at(5), QString()};
        names << QStringLiteral("NOT_STORED");
    }
    else if (selection == QLatin1String("repeated texts"))
    {
        dates = QStringList{dates.at(1), dates.at(0), dates.at(1)};
        names << names.first();
    }

    const auto entry_order = TDatabase::TEntryOrder(order);
    const std::vector<TExecution> fast = d_database->Executions(names, dates, entry_order);
    const std::vector<TExecution> plain = Plain(names, dates, entry_order);
    QCOMPARE(fast.size(), plain.size());
    QVERIFY(!plain.empty());
    for (size_t i = 0; i < plain.size(); ++i)
        QVERIFY2(
            fast[i] == plain[i],
            qPrintable(QStringLiteral("entry %1: %2 %3").arg(i).arg(plain[i].Name(), plain[i].Time_Text())));
    QCOMPARE(TSummaryText::Report(true, 1, true, 2, fast).Text(),
             TSummaryText::Report(true, 1, true, 2, plain).Text());
}

// Texts are read as their bytes only where the file keeps them in UTF-8.
void TTestExecutionReader::A_File_In_UTF_16_Reads_Alike()
{
    const QString file = d_home->File_Path(QStringLiteral("utf16.db"));
    QVERIFY(TSqliteShell::Run(
        file, QStringLiteral("PRAGMA encoding='UTF-16le';\nCREATE TABLE x(a);\nDROP TABLE x;\n")));
    TDatabase database;
    QVERIFY(database.Open(file) && database.Create_Tables());
    const QStringList texts{QStringLiteral("Flansch \u00e9\u20ac"), QString::fromUtf8("zero \0 inside", 14),
                            QStringLiteral("'); DROP TABLE program; --"), QString()};
    for (int i = 0; i < 12; ++i)
    {
        TExecution item;
        item.Set_Name(texts.at(i % 3));
        item.Set_Revision(texts.at((i + 1) % 4));
        item.Set_Date_Time(QDateTime(QDate(2026, 3, 1 + i % 2), QTime(i, 5, 7)));
        item.Set_Point_Count(i);
        item.Add_Error_Message(texts.at((i + 2) % 4));
        QVERIFY2(database.Add_Execution(item), qPrintable(database.Last_Error()));
    }
    const QStringList names = database.Program_Names({});
    const QStringList dates = database.Dates();
    QCOMPARE(names.size(), 3);
    const std::vector<TExecution> fast = database.Executions(names, dates, TDatabase::DATE_THEN_NAME);
    const std::vector<TExecution> plain = Plain(names, dates, TDatabase::DATE_THEN_NAME, &database);
    QCOMPARE(fast.size(), size_t(12));
    QCOMPARE(fast.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i)
        QVERIFY2(fast[i] == plain[i], qPrintable(QStringLiteral("entry %1").arg(i)));
    QVERIFY(std::any_of(fast.begin(), fast.end(),
                        [&texts](const TExecution &item)
                        { return item.Error_Messages() == QStringList{texts.at(1)}; }));
}

QTEST_GUILESS_MAIN(TTestExecutionReader)
#include "tst_executionreader.moc"
