// The statistics of known executions against figures worked out by hand, the
// shift calendar across a change of daylight saving time, the charts' values
// and the PDF read back as text.

#include "src/database/database.h"
#include "src/database/storedform.h"
#include "src/report/summarytext.h"
#include "src/statistics/statistics.h"
#include "src/statistics/ui/statisticscharts.h"
#include "src/statistics/ui/statisticspdf.h"
#include "tests/support/testzone.h"

#include <QBuffer>
#include <QGraphicsTextItem>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QBoxPlotSeries>
#include <QtCharts/QBoxSet>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtTest>

#include <memory>

QT_CHARTS_USE_NAMESPACE

namespace
{
TExecution Item(const QString &name, const QDate &date, int execution, int idle, int points,
                const QStringList &messages = QStringList())
{
    TExecution item;
    item.Set_Name(name);
    item.Set_Date_Time(QDateTime(date, QTime(10, 0)));
    item.Set_Execution_Time(execution);
    item.Set_Idle_Time(idle);
    item.Set_Point_Count(points);
    for (const QString &message : messages)
        item.Add_Error_Message(message);
    return item;
}

QString Text(const QDate &date)
{
    return TStoredForm::Date_Text(date);
}

// 2020-12-31 is a Thursday of ISO week 2020-W53, which ends on Sunday 2021-01-03.
const QDate THURSDAY(2020, 12, 31);
const QDate FRIDAY(2021, 1, 1);
const QDate SATURDAY(2021, 1, 2);
const QDate MONDAY(2021, 1, 4);

std::vector<TExecution> Executions()
{
    return {Item(QStringLiteral("A"), THURSDAY, 100, 10, 5, {QStringLiteral("Probe  hit")}),
            Item(QStringLiteral("A"), FRIDAY, 300, 30, 7),
            Item(QStringLiteral("A"), SATURDAY, 200, 20, 6,
                 {QStringLiteral("probe hit "), QStringLiteral("Air low")}),
            Item(QStringLiteral("B"), THURSDAY, 400, 0, 1, {QStringLiteral("PROBE HIT")}),
            Item(QStringLiteral("B"), MONDAY, 600, 0, 3),
            Item(QStringLiteral("C"), MONDAY, 50, 5, 2)};
}
} // namespace

class TTestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void Lost_Time_Availability_And_Pace();
    void Aborted_Runs_Are_No_Pace();
    void initTestCase() { TTestZone::Use("Europe/Berlin"); }

    // Programs by total execution time: B 1000, A 600, C 50.
    void Programs_Worked_Out_By_Hand()
    {
        const TStatistics statistics = Worked_Example();
        const auto &programs = statistics.Programs();
        QCOMPARE(int(programs.size()), 3);
        QCOMPARE(programs[0].name, QStringLiteral("B"));
        QCOMPARE(programs[0].median_seconds, 500.0); // even count: the mean of the middle two
        QCOMPARE(programs[0].with_messages, 1);
        QCOMPARE(programs[1].name, QStringLiteral("A"));
        QCOMPARE(programs[1].median_seconds, 200.0); // odd count
        QCOMPARE(programs[1].mean_seconds, 200.0);
        QCOMPARE(programs[1].lower_quartile, 100.0);
        QCOMPARE(programs[1].upper_quartile, 300.0);
        QCOMPARE(programs[1].minimum_seconds, 100);
        QCOMPARE(programs[1].maximum_seconds, 300);
        QCOMPARE(programs[1].mean_idle_seconds, 20.0);
        QCOMPARE(programs[1].mean_points, 6.0);
        QCOMPARE(programs[1].with_messages, 2);
        QCOMPARE(programs[2].median_seconds, 50.0); // run once
        QCOMPARE(programs[2].lower_quartile, 50.0);
        QCOMPARE(statistics.Program_Table().Row(1),
                 QStringList({"A", "3", "600", "200.0", "200.0", "100", "300", "20.0", "6.0", "2", "66.7%"}));
    }

    // One ISO week across the year end; Saturday has no shift, Sunday is left out.
    void Periods_Worked_Out_By_Hand()
    {
        const TStatistics statistics = Worked_Example();
        const auto &weeks = statistics.Periods(TStatistics::WEEK);
        QCOMPARE(int(weeks.size()), 2);
        QCOMPARE(weeks[0].label, QStringLiteral("2020-W53"));
        QCOMPARE(weeks[0].executing_seconds, qint64(1000));
        QCOMPARE(weeks[0].scheduled_seconds, qint64(2 * 16 * 3600));
        QCOMPARE(weeks[1].label, QStringLiteral("2021-W01"));
        QCOMPARE(weeks[1].scheduled_seconds, qint64(16 * 3600));
        const auto &days = statistics.Periods(TStatistics::DAY);
        QCOMPARE(int(days.size()), 4);
        QCOMPARE(days[2].label, QStringLiteral("2021-01-02"));
        QCOMPARE(days[2].executing_seconds, qint64(200));
        QCOMPARE(days[2].utilisation, -1.0);
        QCOMPARE(statistics.Period_Table(TStatistics::DAY).Row(2).last(), QStringLiteral("no shift"));
        const auto &months = statistics.Periods(TStatistics::MONTH);
        QCOMPARE(int(months.size()), 2);
        QCOMPARE(months[0].label, QStringLiteral("2020-12"));
        QCOMPARE(months[0].utilisation, 500.0 / (16 * 3600));
    }

    // White space and case make no new message; the first form seen is shown.
    void Messages_Worked_Out_By_Hand()
    {
        const TStatistics statistics = Worked_Example();
        const auto &messages = statistics.Messages();
        QCOMPARE(int(messages.size()), 2);
        QCOMPARE(messages[0].text, QStringLiteral("Probe hit"));
        QCOMPARE(messages[0].count, 3);
        QCOMPARE(messages[0].programs, QStringList({"A", "B"}));
        QCOMPARE(messages[0].cumulative_share, 0.75);
        QCOMPARE(messages[1].cumulative_share, 1.0);
    }

    void Charts_Carry_The_Figures()
    {
        const TStatistics statistics = Worked_Example();
        std::unique_ptr<QChart> box(TStatisticsCharts::Execution_Times(statistics, QPalette()));
        const QBoxSet *a = static_cast<QBoxPlotSeries *>(box->series().at(0))->boxSets().at(1);
        QCOMPARE(a->at(QBoxSet::LowerExtreme), 100.0);
        QCOMPARE(a->at(QBoxSet::Median), 200.0);
        QCOMPARE(a->at(QBoxSet::UpperExtreme), 300.0);
        std::unique_ptr<QChart> pareto(TStatisticsCharts::Pareto(statistics, QPalette()));
        QCOMPARE(static_cast<QBarSeries *>(pareto->series().at(0))->barSets().at(0)->at(0), 3.0);
        QCOMPARE(static_cast<QLineSeries *>(pareto->series().at(1))->at(1).y(), 100.0);
        std::unique_ptr<QChart> utilisation(
            TStatisticsCharts::Utilisation(statistics, TStatistics::WEEK, QPalette()));
        QCOMPARE(static_cast<QBarSeries *>(utilisation->series().at(0))->barSets().at(0)->at(1),
                 650 * 100.0 / 57600);
        QCOMPARE(static_cast<QLineSeries *>(utilisation->series().at(1))->at(0).y(), 85.0);
    }

    // A fleet of many stations: the chart keeps the least utilised, in the fleet's
    // order, a station with nothing scheduled after any that had shifts.
    void Stations_Chart_Keeps_The_Least_Utilised()
    {
        std::vector<std::pair<QString, double>> stations;
        for (int i = 0; i < 30; ++i)
            stations.emplace_back(QStringLiteral("CMM-%1").arg(i), i < 3 ? -1.0 : 1.0 - i / 100.0);
        std::unique_ptr<QChart> chart(
            TStatisticsCharts::Station_Utilisation(QStringLiteral("Stations"), stations, 0.8, QPalette()));
        QCOMPARE(chart->title(), QStringLiteral("Stations (the 20 least utilised of 30)"));
        const QBarSet *bars = static_cast<QBarSeries *>(chart->series().at(0))->barSets().at(0);
        QCOMPARE(bars->count(), TStatisticsCharts::MAXIMUM_BARS);
        QCOMPARE(bars->at(0), 90.0);
        QCOMPARE(bars->at(19), 71.0);
        const QStringList labels =
            static_cast<QBarCategoryAxis *>(chart->axes(Qt::Horizontal).at(0))->categories();
        QCOMPARE(labels.first(), QStringLiteral("CMM-10"));
        QCOMPARE(labels.last(), QStringLiteral("CMM-29"));
        std::unique_ptr<QChart> few(TStatisticsCharts::Station_Utilisation(
            QStringLiteral("Stations"),
            std::vector<std::pair<QString, double>>(stations.begin(), stations.begin() + 5), 0.8,
            QPalette()));
        QCOMPARE(few->title(), QStringLiteral("Stations"));
        QCOMPARE(static_cast<QBarSeries *>(few->series().at(0))->barSets().at(0)->count(), 5);
    }

    // Names from elsewhere on an axis are drawn as the text they are, not as markup.
    void Chart_Labels_Are_Plain_Text()
    {
        const QStringList names{QStringLiteral("<b>B</b>"), QStringLiteral("<img src=x>"),
                                QStringLiteral("A&amp;B")};
        std::vector<std::pair<QString, double>> bars;
        for (const QString &name : names)
            bars.emplace_back(name, 0.5);
        QChartView view(
            TStatisticsCharts::Utilisation_Bars(QStringLiteral("Stations"), bars, 0.8, QPalette()));
        view.resize(900, 500);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList drawn;
        for (QGraphicsItem *item : view.scene()->items())
            if (QGraphicsTextItem *text = dynamic_cast<QGraphicsTextItem *>(item))
                drawn << text->toPlainText();
        for (const QString &name : names)
            QVERIFY2(drawn.contains(name), qPrintable(drawn.join(QLatin1Char('|'))));
    }

    // The PDF holds the tables' figures as text.
    void Pdf_Holds_The_Figures()
    {
        const TStatistics statistics = Worked_Example();
        QByteArray document;
        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(TStatisticsPdf::Write(&buffer, statistics, TStatistics::WEEK));
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("s.pdf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(document) == document.size());
        file.close();
        QVERIFY(document.startsWith("%PDF-1."));
#ifdef _WIN32
        QSKIP("no pdftotext on Windows to read the PDF's text");
#endif
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), file.fileName(), QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        for (const char *expected : {"Quorvex statistics, 2020-12-31 to 2021-01-04", "Page 1", "Page 2",
                                     "A 3 600 200.0 200.0 100 300 20.0 6.0 2 66.7%",
                                     "2020-W53 4 1000 60 115200 0.9%", "Probe hit 3 75.0% 75.0% A, B"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
    }

    // A day counts the part of each shift within it: a Saturday night shift
    // gives its two hours before midnight to Saturday (where the day shift
    // already holds them: counted once) and the rest to Sunday, an hour less
    // into summer time and an hour more into winter time; a month sums its
    // days as they are, the first Sunday taking the night of February's last
    // Saturday.
    void Calendar_Across_Daylight_Saving_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<qint64>("hours");
        const auto day = [](int month, int day) { return QDate(2026, month, day); };
        // Saturdays: 22:00-06:00 into Sunday, and 06:00-24:00; weekdays: 06:00-22:00.
        QTest::newRow("ordinary Saturday") << day(3, 21) << day(3, 21) << qint64(18);
        QTest::newRow("Sunday after it") << day(3, 22) << day(3, 22) << qint64(6);
        QTest::newRow("Saturday before summer time") << day(3, 28) << day(3, 28) << qint64(18);
        QTest::newRow("Sunday into summer time") << day(3, 29) << day(3, 29) << qint64(5);
        QTest::newRow("Sunday into winter time") << day(10, 25) << day(10, 25) << qint64(7);
        QTest::newRow("Monday") << day(3, 23) << day(3, 23) << qint64(16);
        QTest::newRow("March") << day(3, 1) << day(3, 31) << qint64(22 * 16 + 4 * 18 + 4 * 6 + 5);
        QTest::newRow("October") << day(10, 1) << day(10, 31) << qint64(22 * 16 + 5 * 18 + 3 * 6 + 7);
    }

    void Calendar_Across_Daylight_Saving()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(qint64, hours);
        const auto offset = [](int month, int day)
        { return QDateTime(QDate(2026, month, day), QTime(12, 0)).offsetFromUtc(); };
        if (offset(3, 29) - offset(3, 28) != 3600 || offset(10, 25) - offset(10, 24) != -3600)
            QSKIP("the local zone does not change to summer time on 29 March 2026 and back on 25 October");
        const TShiftCalendar calendar = Night_Shift_Saturdays();
        qint64 seconds = 0;
        if (first == last)
            seconds = calendar.Scheduled_Seconds(first);
        else
            seconds = TStatistics({}, {Text(first), Text(last)}, {}, calendar)
                          .Periods(TStatistics::MONTH)
                          .at(0)
                          .scheduled_seconds;
        QCOMPARE(seconds, hours * 3600);
    }

    // Today counts its shifts up to now only, as the Fleet page does: a night
    // shift read at Sunday 05:00 gives Sunday five hours, and nothing is
    // scheduled for a day not begun.
    void Scheduled_Time_Stops_At_Now()
    {
        const TShiftCalendar calendar = Night_Shift_Saturdays();
        const QDateTime now(QDate(2026, 3, 22), QTime(5, 0));
        QCOMPARE(calendar.Scheduled_Seconds(QDate(2026, 3, 22), QTimeZone(), now), qint64(5 * 3600));
        QCOMPARE(calendar.Scheduled_Seconds(QDate(2026, 3, 21), QTimeZone(), now), qint64(18 * 3600));
        QCOMPARE(calendar.Scheduled_Seconds(QDate(2026, 3, 23), QTimeZone(), now), qint64(0));
        const TStatistics statistics({}, {Text(QDate(2026, 3, 16)), Text(QDate(2026, 3, 22))}, {}, calendar,
                                     {}, TBaselines(), now);
        QCOMPARE(statistics.Periods(TStatistics::WEEK).at(0).scheduled_seconds,
                 qint64((5 * 16 + 18 + 5) * 3600));
    }

    // Shifts as written and read back, nonsense in the settings left for the default.
    void Calendar_Text_And_Settings()
    {
        QVector<TShiftCalendar::TShift> shifts;
        QVERIFY(!TShiftCalendar::Parse(QStringLiteral("06:00-25:00"), &shifts));
        TShiftCalendar calendar = Night_Shift_Saturdays();
        QCOMPARE(TShiftCalendar::Text(calendar.Shifts(6)), QStringLiteral("22:00-06:00, 06:00-24:00"));

        QTemporaryDir folder;
        QSettings settings(folder.filePath(QStringLiteral("Settings.ini")), QSettings::IniFormat);
        calendar.Set_Target(0.7);
        calendar.Write(&settings);
        settings.setValue(QStringLiteral("Shift_Calendar/Monday"), QStringLiteral("nonsense"));
        TShiftCalendar read;
        read.Read(&settings);
        QCOMPARE(read.Shifts(6), calendar.Shifts(6));
        QCOMPARE(read.Shifts(1), TShiftCalendar().Shifts(1));
        QCOMPARE(read.Target(), 0.7);
    }

private:
    // Selected without the Sunday, which holds records of its own.
    static TStatistics Worked_Example()
    {
        const QStringList selected = {Text(THURSDAY), Text(FRIDAY), Text(SATURDAY), Text(MONDAY)};
        const QStringList records = selected + QStringList{Text(QDate(2021, 1, 3))};
        return TStatistics(Executions(), selected, records, TShiftCalendar());
    }

    // The default calendar with Saturday's shifts 22:00-06:00 (into Sunday) and 06:00-24:00.
    static TShiftCalendar Night_Shift_Saturdays()
    {
        TShiftCalendar calendar;
        QVector<TShiftCalendar::TShift> shifts;
        if (TShiftCalendar::Parse(QStringLiteral(" 22:00-06:00 , 06:00-24:00"), &shifts))
            calendar.Set_Shifts(6, shifts);
        return calendar;
    }
};

namespace
{
TExecution Run(const QString &name, const QString &revision, const QDateTime &opened, int seconds, int points)
{
    TExecution item;
    item.Set_Name(name);
    item.Set_Revision(revision);
    item.Set_Date_Time(opened);
    item.Set_Execution_Time(seconds);
    item.Set_Point_Count(points);
    return item;
}

TStopRecord Stop(const QDate &day, const QTime &from, const QTime &to, const QString &reason, bool planned)
{
    TStopRecord stop;
    stop.started = QDateTime(day, from).toUTC();
    stop.ended = QDateTime(day, to).toUTC();
    stop.reason = reason;
    stop.planned = planned;
    stop.source = reason.isEmpty() ? TStopRecord::NONE : TStopRecord::OPERATOR;
    return stop;
}
} // namespace

// Monday 2026-12-07, one shift 06:00-14:00 (28,800 s), executions of 1,080 s,
// a planned hour's break: availability 1,080 / 25,200 = 4.3%. Program A
// revision 1 runs 100, 110 and 90 s (50 points), then 130 s (slow against
// 100 s), then 20 s with 20 points (short against 50 points: no pace).
// Revision 2 has no baseline yet; B's baseline (60 s) comes from the Friday
// before. Performance (100 + 60) / (130 + 50) = 88.9%, effectiveness
// 4.3% x 88.9% = 3.8%.
void TTestStatistics::Lost_Time_Availability_And_Pace()
{
    const QDate monday(2026, 12, 7), friday(2026, 12, 4);
    TShiftCalendar calendar;
    QVector<TShiftCalendar::TShift> shift;
    QVERIFY(TShiftCalendar::Parse(QStringLiteral("06:00-14:00"), &shift));
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, day == 1 ? shift : QVector<TShiftCalendar::TShift>());
    const auto at = [](const QDate &day, int hour, int minute)
    { return QDateTime(day, QTime(hour, minute)); };
    const std::vector<TExecution> items{
        Run("A", "1", at(monday, 6, 0), 100, 50),  Run("A", "1", at(monday, 6, 10), 110, 50),
        Run("A", "1", at(monday, 6, 20), 90, 50),  Run("A", "2", at(monday, 6, 30), 200, 40),
        Run("A", "1", at(monday, 6, 40), 130, 50), Run("A", "2", at(monday, 6, 50), 200, 40),
        Run("A", "2", at(monday, 7, 0), 180, 40),  Run("B", "1", at(monday, 12, 0), 50, 10),
        Run("A", "1", at(monday, 7, 10), 20, 20)};
    const std::vector<TExecution> history{Run("B", "1", at(friday, 8, 0), 60, 10),
                                          Run("B", "1", at(friday, 9, 0), 60, 10),
                                          Run("B", "1", at(friday, 10, 0), 60, 10)};
    const std::vector<TStopRecord> stops{
        Stop(monday, QTime(8, 0), QTime(9, 0), QStringLiteral("Break"), true),
        Stop(monday, QTime(9, 0), QTime(9, 30), QStringLiteral("Waiting for parts"), false),
        Stop(monday, QTime(10, 0), QTime(10, 20), QString(), false),
        Stop(monday, QTime(11, 0), QTime(11, 10), QStringLiteral("Machine fault"), false),
        // Not a selected day: not counted.
        Stop(friday, QTime(11, 0), QTime(12, 0), QStringLiteral("Machine fault"), false)};
    const TBaselines baselines(items, history);
    const TStatistics statistics(items, {Text(monday)}, {Text(friday), Text(monday)}, calendar, stops,
                                 baselines);

    QCOMPARE(statistics.Lost_Time().Table().Row(0),
             (QStringList{"Waiting for parts", "unplanned", "30.0", "50.0%", "50.0%"}));
    QCOMPARE(statistics.Lost_Time().Table().Row(1),
             (QStringList{"not classified", "not classified", "20.0", "33.3%", "83.3%"}));
    QCOMPARE(statistics.Lost_Time().Table().Row(2),
             (QStringList{"Machine fault", "unplanned", "10.0", "16.7%", "100.0%"}));
    QCOMPARE(statistics.Lost_Time().Table().Row(3),
             (QStringList{"Break", "planned", "60.0", "100.0%", "100.0%"}));
    QCOMPARE(statistics.Period_Table(TStatistics::DAY).Row(0).mid(6),
             (QStringList{"3600", "2400", "1200", "4.3%"}));
    QCOMPARE(TStatistics::Percent(statistics.Availability()), QStringLiteral("4.3%"));
    QCOMPARE(TStatistics::Percent(baselines.Performance()), QStringLiteral("88.9%"));
    QCOMPARE(TStatistics::Percent(statistics.Effectiveness()), QStringLiteral("3.8%"));
    QCOMPARE(baselines.Slow(), 1);
    QCOMPARE(baselines.Short(), 1);
    const TStatisticsTable pace = statistics.Pace_Table();
    QCOMPARE(pace.Row_Count(), 3);
    QCOMPARE(pace.Row(0), (QStringList{"A", "1", "5", "2", "105.0", "50.0", "76.9%", "1", "1", "20"}));
    QCOMPARE(pace.Row(1), (QStringList{"A", "2", "3", "0", "", "", "no baseline", "0", "0", "0"}));
    QCOMPARE(pace.Row(2), (QStringList{"B", "1", "1", "1", "60.0", "10.0", "120.0%", "0", "0", "0"}));
    // Shares set wider: 130 s is not 50% slower than 100 s, 20 points not under 30% of 50.
    TBaselines::TShares wide;
    wide.slow = 0.5;
    wide.short_points = 0.3;
    const TBaselines lenient(items, history, wide);
    QCOMPARE(lenient.Slow() + lenient.Short(), 0);
    // Only the last 20 make a baseline: after 15 runs of 100 s and 10 of 1,000 s, the last 20 are ten of
    // each (median 550 s); all 25 would give 100 s.
    std::vector<TExecution> long_run;
    for (int i = 0; i < 26; ++i)
        long_run.push_back(Run("C", "1", at(monday, 8, i), i < 15 ? 100 : 1000, 10));
    QCOMPARE(TBaselines(long_run, {}).Pace(25).baseline_seconds, 550.0);
    // The report marks the slow and the short execution, and no other.
    const QString report = TSummaryText::Report(true, 0, true, 0, items, &baselines).Text();
    QCOMPARE(report.count(QStringLiteral("Pace:")), 2);
    QVERIFY(report.contains(QStringLiteral("Pace:                  slow, its baseline is 100.0 s\n")));
    QVERIFY(report.contains(
        QStringLiteral("Pace:                  short, its baseline is 50.0 points (likely aborted)")));
}

// Ten 600 s runs after three of history, three aborted 20 s runs and one more
// of 600 s: the aborted ones are no pace (counted with them, performance was
// 8,400 / 6,660 = 126.1%), but three short executions of 60 s, and they leave
// the baseline as it was for the run after them; effectiveness stays within
// 100%.
void TTestStatistics::Aborted_Runs_Are_No_Pace()
{
    const QDate monday(2026, 12, 7);
    const auto at = [&](int minute) { return QDateTime(monday, QTime(6, 0).addSecs(60 * 20 * minute)); };
    std::vector<TExecution> history;
    for (int i = 0; i < 3; ++i)
        history.push_back(Run("D", "1", QDateTime(monday.addDays(-3), QTime(8, i)), 600, 100));
    std::vector<TExecution> items;
    for (int i = 0; i < 10; ++i)
        items.push_back(Run("D", "1", at(i), 600, 100));
    for (int i = 10; i < 13; ++i)
        items.push_back(Run("D", "1", at(i), 20, 5));
    items.push_back(Run("D", "1", at(13), 600, 100));
    const TBaselines baselines(items, history);
    QCOMPARE(TStatistics::Percent(baselines.Performance()), QStringLiteral("100.0%"));
    QCOMPARE(baselines.Short(), 3);
    QCOMPARE(baselines.Short_Seconds(), qint64(60));
    QCOMPARE(baselines.Slow(), 0);
    QCOMPARE(baselines.Pace(13).baseline_seconds, 600.0);
    QCOMPARE(baselines.Pace(13).baseline_points, 100.0);
    TShiftCalendar calendar;
    const TStatistics statistics(items, {Text(monday)}, {Text(monday)}, calendar, {}, baselines);
    QVERIFY(statistics.Effectiveness() <= 1.0);
    QVERIFY(statistics.Summary_Lines().contains(
        QStringLiteral("Short executions (likely aborted, a loss of their own): 3, 60 s")));
}

QTEST_MAIN(TTestStatistics)
#include "tst_statistics.moc"
