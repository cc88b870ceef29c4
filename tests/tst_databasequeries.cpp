#include "src/database.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QtTest>

namespace
{
const QDate MARCH_5(2024, 3, 5);
const QDate MARCH_6(2024, 3, 6);

TDatabaseItem Record(const QString &name, const QDate &date, const QTime &time, int points,
                     const QStringList &messages = {})
{
    TDatabaseItem item;
    item.Set_Name(name);
    item.Set_Revision(name.left(1));
    item.Set_Date_Time(QDateTime(date, time));
    item.Set_Execution_Time(points * 10);
    item.Set_Idle_Time(points);
    item.Set_Point_Count(points);
    for (const QString &message : messages)
        item.Add_Error_Message(message);
    return item;
}
} // namespace

// Reads of a small file whose recording order is known.
class TTestDatabaseQueries : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Empty_File();
    void Dates_Keep_Recording_Order();
    void Program_Names_Follow_The_Dates();
    void Entries_Carry_Their_Own_Rows();
    void Texts_In_Other_Forms_Select_Nothing();

private:
    bool Fill();

    TTestHome *d_home = nullptr;
    TDatabase *d_database = nullptr;
};

void TTestDatabaseQueries::init()
{
    d_home = new TTestHome;
    d_database = new TDatabase;
    QVERIFY(d_database->Open(d_home->File_Path(QStringLiteral("database.db"))));
    QVERIFY(d_database->Create_Tables());
}

void TTestDatabaseQueries::cleanup()
{
    delete d_database;
    delete d_home;
}

bool TTestDatabaseQueries::Fill()
{
    const std::vector<TDatabaseItem> items{
        Record(QStringLiteral("ZETA"), MARCH_5, QTime(8, 0, 0), 3, {QStringLiteral("z1"), QStringLiteral("z2")}),
        Record(QStringLiteral("ALPHA"), MARCH_5, QTime(9, 0, 0), 4),
        Record(QStringLiteral("ZETA"), MARCH_5, QTime(13, 0, 0), 5, {QStringLiteral("z3")}),
        Record(QStringLiteral("BETA"), MARCH_6, QTime(7, 0, 0), 6, {QStringLiteral("z1")}),
        Record(QStringLiteral("ALPHA"), MARCH_6, QTime(8, 0, 0), 7),
    };
    for (const TDatabaseItem &item : items)
        if (!d_database->Add_Program_Entry(item))
            return false;
    return true;
}

void TTestDatabaseQueries::Empty_File()
{
    QVERIFY(d_database->Dates().isEmpty());
    QVERIFY(d_database->Program_Names({}).isEmpty());
    QVERIFY(d_database->Program_Entries(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05")).empty());
    QVERIFY(d_database->Program_Times(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05")).isEmpty());
}

void TTestDatabaseQueries::Dates_Keep_Recording_Order()
{
    // A later date recorded first stays first: nothing is sorted.
    QVERIFY(d_database->Add_Program_Entry(Record(QStringLiteral("LATE"), QDate(2025, 1, 2), QTime(1, 0, 0), 1)));
    QVERIFY(Fill());
    QCOMPARE(d_database->Dates(),
             (QStringList{QStringLiteral("2025 Jan 02"), QStringLiteral("2024 Mar 05"), QStringLiteral("2024 Mar 06")}));
}

void TTestDatabaseQueries::Program_Names_Follow_The_Dates()
{
    QVERIFY(Fill());
    QCOMPARE(d_database->Program_Names({}),
             (QStringList{QStringLiteral("ZETA"), QStringLiteral("ALPHA"), QStringLiteral("BETA")}));
    QCOMPARE(d_database->Program_Names({QStringLiteral("2024 Mar 06"), QStringLiteral("2024 Mar 05")}),
             (QStringList{QStringLiteral("BETA"), QStringLiteral("ALPHA"), QStringLiteral("ZETA")}));
    QCOMPARE(d_database->Program_Names({QStringLiteral("1999 Jan 01"), QStringLiteral("2024 Mar 06")}),
             (QStringList{QStringLiteral("BETA"), QStringLiteral("ALPHA")}));
}

void TTestDatabaseQueries::Entries_Carry_Their_Own_Rows()
{
    QVERIFY(Fill());
    const std::vector<TDatabaseItem> zeta = d_database->Program_Entries(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05"));
    QCOMPARE(int(zeta.size()), 2);
    QVERIFY(zeta[0] == Record(QStringLiteral("ZETA"), MARCH_5, QTime(8, 0, 0), 3,
                              {QStringLiteral("z1"), QStringLiteral("z2")}));
    QVERIFY(zeta[1] == Record(QStringLiteral("ZETA"), MARCH_5, QTime(13, 0, 0), 5, {QStringLiteral("z3")}));
    QCOMPARE(zeta[0].Date_Text(), zeta[1].Date_Text());

    QCOMPARE(d_database->Program_Times(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05")),
             (QStringList{QStringLiteral("08 00 00 am"), QStringLiteral("01 00 00 pm")}));

    bool valid = false;
    const TDatabaseItem beta = d_database->Program_Entry(QStringLiteral("BETA"), QStringLiteral("2024 Mar 06"),
                                                         QStringLiteral("07 00 00 am"), &valid);
    QVERIFY(valid);
    QVERIFY(beta == Record(QStringLiteral("BETA"), MARCH_6, QTime(7, 0, 0), 6, {QStringLiteral("z1")}));

    // Negative numbers written by another tool never reach a record.
    QVERIFY(TSqliteShell::Run(d_home->File_Path(QStringLiteral("database.db")),
                              QStringLiteral("UPDATE program_data SET execution_time=-5, point_count=-1;\n")));
    const TDatabaseItem edited = d_database->Program_Entry(QStringLiteral("BETA"), QStringLiteral("2024 Mar 06"),
                                                           QStringLiteral("07 00 00 am"), &valid);
    QCOMPARE(edited.Execution_Time(), 0);
    QCOMPARE(edited.Point_Count(), 0);
}

void TTestDatabaseQueries::Texts_In_Other_Forms_Select_Nothing()
{
    QVERIFY(Fill());
    const QString display_date = Record(QStringLiteral("ZETA"), MARCH_5, QTime(8, 0, 0), 1).Date_Text();
    QVERIFY(d_database->Program_Entries(QStringLiteral("ZETA"), display_date).empty());
    QVERIFY(d_database->Program_Names({display_date}).isEmpty());
    QVERIFY(d_database->Program_Entries(QStringLiteral("zeta"), QStringLiteral("2024 Mar 05")).empty());
    bool valid = true;
    const TDatabaseItem missing = d_database->Program_Entry(QStringLiteral("ZETA"), QStringLiteral("2024 Mar 05"),
                                                            QStringLiteral("08 00 01 am"), &valid);
    QVERIFY(!valid);
    QCOMPARE(missing.Name(), QStringLiteral("ZETA"));
    QCOMPARE(missing.Date_Time(), QDateTime(MARCH_5, QTime(8, 0, 1)));
}

QTEST_GUILESS_MAIN(TTestDatabaseQueries)
#include "tst_databasequeries.moc"
