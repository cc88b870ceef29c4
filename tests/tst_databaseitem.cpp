#include "src/databaseitem.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

class TTestDatabaseItem : public QObject
{
    Q_OBJECT

private slots:
    void Empty_And_Cleared_Records();
    void Display_Forms_data();
    void Display_Forms();
    void Copies_Are_Independent();
    void Remove_Illegal_Characters();
    void Negative_Numbers_data();
    void Negative_Numbers();
};

void TTestDatabaseItem::Empty_And_Cleared_Records()
{
    TDatabaseItem empty;
    QCOMPARE(empty.Date_Text(), QStringLiteral("<invalid>"));
    QCOMPARE(empty.Time_Text(), QStringLiteral("<invalid>"));
    QCOMPARE(empty.Error_Message_Count(), 0);
    QCOMPARE(empty.Execution_Time() + empty.Idle_Time() + empty.Point_Count(), 0);

    TDatabaseItem filled;
    filled.Set_Name(QStringLiteral("BRACKET_A"));
    filled.Set_Revision(QStringLiteral("B"));
    filled.Set_Date_Time(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    filled.Set_Execution_Time(125);
    filled.Set_Idle_Time(65);
    filled.Set_Point_Count(48);
    filled.Add_Error_Message(QStringLiteral("probe hit"));
    QVERIFY(filled != empty);
    filled.Clear();
    QVERIFY(filled == empty);
    QVERIFY(filled.Name().isEmpty() && filled.Revision().isEmpty() && filled.Date_Time().isNull());
}

void TTestDatabaseItem::Display_Forms_data()
{
    QTest::addColumn<QDateTime>("date_time");
    QTest::addColumn<QString>("date_text");
    QTest::addColumn<QString>("time_text");
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)) << "05 Mar 2024" << "02 07 09 pm";
    QTest::newRow("half past midnight") << QDateTime(QDate(2024, 12, 31), QTime(0, 30, 0)) << "31 Dec 2024"
                                        << "12 30 00 am";
    QTest::newRow("noon") << QDateTime(QDate(2025, 1, 1), QTime(12, 0, 0)) << "01 Jan 2025" << "12 00 00 pm";
    QTest::newRow("milliseconds dropped") << QDateTime(QDate(2025, 7, 4), QTime(9, 15, 4, 999)) << "04 Jul 2025"
                                          << "09 15 04 am";
}

void TTestDatabaseItem::Display_Forms()
{
    QFETCH(QDateTime, date_time);
    TDatabaseItem item;
    item.Set_Date_Time(date_time);
    QTEST(item.Date_Text(), "date_text");
    QTEST(item.Time_Text(), "time_text");
}

void TTestDatabaseItem::Copies_Are_Independent()
{
    TDatabaseItem source;
    source.Add_Error_Message(QStringLiteral("first"));
    TDatabaseItem copy(source);
    TDatabaseItem assigned;
    assigned = source;
    source.Add_Error_Message(QStringLiteral("second"));
    source.Set_Point_Count(7);

    QCOMPARE(copy.Error_Message_Count(), 1);
    QCOMPARE(assigned.Error_Message_Count(), 1);
    QCOMPARE(copy.Point_Count(), 0);
    QCOMPARE(source.Error_Message(1), QStringLiteral("second"));

    TDatabaseItem &self = source;
    source = self;
    QCOMPARE(source.Error_Message_Count(), 2);
}

void TTestDatabaseItem::Remove_Illegal_Characters()
{
    const QString all = QStringLiteral("'\"%*[]^\\/,:");
    QCOMPARE(TDatabaseItem::Remove_Illegal_Characters(all), QString());
    QCOMPARE(TDatabaseItem::Remove_Illegal_Characters(QStringLiteral("Bracket 1.2-b_x")), QStringLiteral("Bracket 1.2-b_x"));

    QString in_place = QStringLiteral("C:\\parts\\'BRACKET'[2],50%");
    const QString untouched = in_place;
    QCOMPARE(TDatabaseItem::Remove_Illegal_Characters(untouched), QStringLiteral("CpartsBRACKET250"));
    QCOMPARE(untouched, in_place);
    TDatabaseItem::Remove_Illegal_Characters(&in_place);
    QCOMPARE(in_place, QStringLiteral("CpartsBRACKET250"));

    TDatabaseItem item;
    item.Set_Name(QStringLiteral("a/b"));
    item.Set_Revision(QStringLiteral("r:1"));
    item.Add_Error_Message(QStringLiteral("axis \"X\" 100%"));
    item.Remove_Illegal_Characters();
    QCOMPARE(item.Name(), QStringLiteral("ab"));
    QCOMPARE(item.Revision(), QStringLiteral("r1"));
    QCOMPARE(item.Error_Message(0), QStringLiteral("axis X 100"));
}

void TTestDatabaseItem::Negative_Numbers_data()
{
    QTest::addColumn<QString>("setter");
    QTest::addColumn<QString>("guard");
    QTest::newRow("execution") << "execution" << "!(seconds < 0)";
    QTest::newRow("idle") << "idle" << "!(seconds < 0)";
    QTest::newRow("points") << "points" << "!(count < 0)";
}

// A negative number is a programming error: with assertions it stops with the
// guard's text and the source; without them the record keeps 0.
void TTestDatabaseItem::Negative_Numbers()
{
    QFETCH(QString, setter);
    QFETCH(QString, guard);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--negative"), setter});
    QVERIFY(child.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
#ifdef QT_NO_DEBUG
    Q_UNUSED(guard)
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() == 0, qPrintable(errors));
#else
    QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
    QVERIFY2(errors.contains(guard), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("src/databaseitem")), qPrintable(errors));
#endif
}

namespace
{
int Set_Negative(const char *setter)
{
    TDatabaseItem item;
    if (qstrcmp(setter, "execution") == 0)
        item.Set_Execution_Time(-5);
    else if (qstrcmp(setter, "idle") == 0)
        item.Set_Idle_Time(-5);
    else
        item.Set_Point_Count(-5);
    const bool all_zero = item.Execution_Time() == 0 && item.Idle_Time() == 0 && item.Point_Count() == 0;
    return all_zero ? 0 : 1;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--negative") == 0)
        return Set_Negative(argv[2]);
    QCoreApplication app(argc, argv);
    TTestDatabaseItem test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_databaseitem.moc"
