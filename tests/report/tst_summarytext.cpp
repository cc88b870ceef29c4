#include "src/report/summarytext.h"

#include "tests/support/shownform.h"

#include <QtTest>

#include <climits>

namespace
{
TExecution Bracket()
{
    TExecution item;
    item.Set_Name(QStringLiteral("BRACKET_A"));
    item.Set_Revision(QStringLiteral("B"));
    item.Set_Date_Time(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    item.Set_Execution_Time(125);
    item.Set_Idle_Time(65);
    item.Set_Point_Count(48);
    item.Add_Error_Message(QStringLiteral("message one"));
    item.Add_Error_Message(QStringLiteral("message two"));
    item.Add_Error_Message(QStringLiteral("message one"));
    return item;
}

const char *const EXAMPLE = "Total Monitor Time:              62:05 min:sec\n"
                            "Total Software Run Time:         30:30 min:sec\n"
                            "---------------------------------------------------------------------------\n"
                            "     Selected Program Details:\n"
                            "---------------------------------------------------------------------------\n"
                            "Program Name:                     BRACKET_A\n"
                            "Program Revision:                 B\n"
                            "Execution Date:                   2024 Mar 05 : 02 07 09 pm\n"
                            "Total Time:                       3:10 min:sec\n"
                            "Execution Time:                   2:05 min:sec\n"
                            "Idle Time:                        1:05 min:sec\n"
                            "Point Count:                        48\n"
                            "Controller Messages During Execution:\n"
                            " message one\n"
                            " message two\n"
                            " message one\n"
                            "---------------------------------------------------------------------------\n"
                            "     Selected Program Summary:\n"
                            "---------------------------------------------------------------------------\n"
                            "Program Count:                       1\n"
                            "Program Time:                     3:10 min:sec\n"
                            "Execution Time:                   2:05 min:sec\n"
                            "Idle Time:                        1:05 min:sec\n"
                            "Point Count:                        48\n"
                            "\n"
                            "Unique Error Messages:\n"
                            "---------------------------------------------------------------------------\n"
                            " message one\n"
                            " message two\n";
} // namespace

class TTestSummaryText : public QObject
{
    Q_OBJECT

private slots:
    void Example_Report();
    void Overflowing_Sums_Keep_The_Format();
    void Without_Executions_Or_Totals();
    void Messages_Listed_Once_Across_Executions();
};

void TTestSummaryText::Example_Report()
{
    QCOMPARE(TSummaryText::Report(true, 3725, true, 1830, {Bracket()}).Text(),
             TShownForm::Localised(QString::fromLatin1(EXAMPLE)));
}

// Sums are 32-bit: a total past the limit turns negative, and is still written as Minutes_Seconds gives it.
void TTestSummaryText::Overflowing_Sums_Keep_The_Format()
{
    TExecution item = Bracket();
    item.Set_Execution_Time(INT_MAX);
    item.Set_Idle_Time(65);
    const int total = int(quint32(INT_MAX) + 65u);
    const QString text = TSummaryText::Report(true, -61, true, 5, {item}).Text();
    QVERIFY(text.contains(
        QStringLiteral("Total Time:            %1 min:sec\n").arg(TSummaryText::Minutes_Seconds(total, 12))));
    QVERIFY(text.contains(
        QStringLiteral("Total Monitor Time:      %1 min:sec\n").arg(TSummaryText::Minutes_Seconds(-61, 10))));
    QVERIFY(text.contains(
        QStringLiteral("Total Software Run Time: %1 min:sec\n").arg(TSummaryText::Minutes_Seconds(5, 10))));
}

void TTestSummaryText::Without_Executions_Or_Totals()
{
    const QString text = TSummaryText::Report(false, 0, false, 0, {}).Text();
    QVERIFY(text.startsWith(QStringLiteral("Total Monitor Time:               <unavailable>\n"
                                           "Total Software Run Time:          <unavailable>\n")));
    QVERIFY(text.contains(QStringLiteral("     Selected Program Details:\n") + QString(75, QLatin1Char('-')) +
                          QStringLiteral("\n     Selected Program Summary:\n")));
    QVERIFY(text.contains(QStringLiteral("Program Count:                       0\n"
                                         "Program Time:                     0:00 min:sec\n")));
    QVERIFY(text.endsWith(QStringLiteral("Unique Error Messages:\n") + QString(75, QLatin1Char('-')) +
                          QLatin1Char('\n')));
}

void TTestSummaryText::Messages_Listed_Once_Across_Executions()
{
    TExecution quiet;
    quiet.Set_Name(QStringLiteral("QUIET"));
    quiet.Set_Date_Time(QDateTime(QDate(2024, 3, 6), QTime(9, 0, 0)));
    TExecution loud;
    loud.Set_Name(QStringLiteral("LOUD"));
    loud.Set_Date_Time(QDateTime(QDate(2024, 3, 6), QTime(10, 0, 0)));
    loud.Add_Error_Message(QStringLiteral("message two"));
    loud.Add_Error_Message(QStringLiteral("Message one"));
    const QString text = TSummaryText::Report(true, 0, true, 0, {quiet, Bracket(), loud}).Text();
    QCOMPARE(text.count(QStringLiteral("Controller Messages During Execution:")), 2);
    QVERIFY(text.contains(
        QStringLiteral("Program Name:                     QUIET\nProgram Revision:                 \n")));
    QVERIFY(text.endsWith(QStringLiteral(" message one\n message two\n Message one\n")));
    QVERIFY(text.contains(QStringLiteral("Program Count:                       3\n")));
}

QTEST_GUILESS_MAIN(TTestSummaryText)
#include "tst_summarytext.moc"
