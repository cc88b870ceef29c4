#include "src/central/centralwriter.h"
#include "src/database/localoutbox.h"
#include "src/database/stopstore.h"
#include "src/database/storedform.h"
#include "src/fleet/fleetfigures.h"
#include "src/fleet/fleetstations.h"
#include "src/statistics/statistics.h"
#include "tests/support/postgresserver.h"
#include "tests/support/stopstation.h"
#include "tests/support/testhome.h"
#include "tests/support/testzone.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace
{
const QString STATION = QStringLiteral("one");

// Wall time in London, the zone the test runs in.
QDateTime Local(int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

QDateTime Utc(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC);
}

// A night shift every day, 22:00 to 06:00.
TShiftCalendar Nights()
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {{QTime(22, 0), QTime(6, 0)}});
    return calendar;
}

QStringList First_Columns(const TStatisticsTable &table, int columns)
{
    QStringList rows;
    for (int row = 0; row < table.Row_Count(); ++row)
        rows << table.Row(row).mid(0, columns).join(QLatin1Char('|'));
    return rows;
}
} // namespace

// One station through the week of London's spring change and the week of its
// autumn change, on a night shift: a stop across midnight, a change of kind, a
// planned break, an aborted run and a trial run an administrator removed. Day by
// day, its own Statistics page and the Fleet page read from the central
// database give the same executing and scheduled seconds, utilisation,
// availability and lost time by reason, and both equal the hand-worked values.
class TTestOneFigure : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void Station_And_Fleet_Agree_Day_By_Day_data();
    void Station_And_Fleet_Agree_Day_By_Day();
    void Aborted_Run_Is_No_Pace();

private:
    void Spring_Week();
    void Autumn_Week();
    void Set(const QDateTime &at, TStationActivity state);
    void Execute(const QString &name, const QDateTime &opened, int seconds, int points,
                 const QString &message = QString());
    void Forward();
    void Remove_Trial();

    TPostgresServer d_server;
    QString d_database;
    TTestHome d_home;
    QString d_folder;
    std::unique_ptr<TStopStation> d_station;
    std::vector<TExecution> d_items;
};

void TTestOneFigure::Set(const QDateTime &at, TStationActivity state)
{
    // The tracker cuts at midnight and at shifts whatever the ticks: hourly ones keep the test quick.
    d_station->Run_To(at, 3600);
    d_station->tracker->Set_State(state);
}

void TTestOneFigure::Execute(const QString &name, const QDateTime &opened, int seconds, int points,
                             const QString &message)
{
    Set(opened, TStationActivity::EXECUTING);
    Set(opened.addSecs(seconds), TStationActivity::IDLE);
    TExecution item;
    item.Set_Name(name);
    item.Set_Revision(QStringLiteral("A"));
    item.Set_Date_Time(opened.toLocalTime());
    item.Set_Execution_Time(seconds);
    item.Set_Point_Count(points);
    if (!message.isEmpty())
        item.Add_Error_Message(message);
    QVERIFY2(d_station->database.Add_Execution(item), qPrintable(d_station->database.Last_Error()));
    d_items.push_back(item);
}

// Monday 23 to Sunday 29 March 2026; on the Sunday 01:00 GMT is 02:00 BST.
void TTestOneFigure::Spring_Week()
{
    Set(Local(3, 22, 12), TStationActivity::IDLE);
    Execute(QStringLiteral("P"), Local(3, 23, 22, 30), 1800, 100);
    Execute(QStringLiteral("P"), Local(3, 23, 23, 10), 1800, 100);
    // Idle from 23:40 across midnight to 00:30.
    Execute(QStringLiteral("P"), Local(3, 24, 0, 30), 1800, 100);
    // Four minutes idle, four with the software closed, two with monitoring off: one standstill.
    Set(Local(3, 24, 1, 4), TStationActivity::WAITING);
    Set(Local(3, 24, 1, 8), TStationActivity::OFF);
    Execute(QStringLiteral("P"), Local(3, 24, 1, 10), 1800, 100);
    d_station->Run_To(Local(3, 24, 2, 0), 3600);
    QCOMPARE(d_station->tracker->Set_Reason(Local(3, 24, 1, 40).toUTC(), QStringLiteral("Break")),
             TStopTracker::SET);
    Execute(QStringLiteral("P"), Local(3, 25, 2, 0), 1800, 100);
    // Aborted after 20 s, with 5 points of its usual 100.
    Execute(QStringLiteral("P"), Local(3, 25, 2, 30), 20, 5);
    Execute(QStringLiteral("TRIAL"), Local(3, 25, 3, 0), 600, 10, QStringLiteral("Probe trial"));
    // Idle from Saturday 22:00 to 03:00 summer time: two hours of Sunday, though three on the clock.
    Execute(QStringLiteral("P"), Local(3, 29, 3, 0), 1800, 100);
    d_station->Run_To(Local(3, 30, 12, 0), 3600);
    d_station->tracker->Close();
}

// Monday 19 to Sunday 25 October 2026; on the Sunday 01:00 to 02:00 comes twice.
void TTestOneFigure::Autumn_Week()
{
    d_station->clock.Set_Now(Local(10, 18, 12));
    d_station->Restart();
    Set(Local(10, 18, 12), TStationActivity::IDLE);
    // 00:30 summer time, then idle from 01:00 summer time to 01:30 winter time (an hour and a
    // half, though half an hour on the clock).
    Execute(QStringLiteral("P"), Utc(10, 24, 23, 30).toLocalTime(), 1800, 100);
    Execute(QStringLiteral("Q"), Utc(10, 25, 1, 30).toLocalTime(), 1800, 100);
    d_station->Run_To(Local(10, 26, 12, 0), 3600);
    d_station->tracker->Close();
}

// What the forwarder sends, from the station's own file; and the scheduled
// seconds its heartbeats keep, at noon of each day.
void TTestOneFigure::Forward()
{
    TLocalOutbox outbox(QStringLiteral("test"));
    QVERIFY2(outbox.Open(d_folder + QStringLiteral("/database.db")), qPrintable(outbox.Last_Error()));
    std::vector<TStoredExecution> executions;
    std::vector<TStoredStop> stops;
    QVERIFY(outbox.Executions_After(0, 100000, &executions));
    QVERIFY(outbox.Stops_After(0, 100000, &stops));
    outbox.Close();
    QCOMPARE(executions.size(), d_items.size());
    TCentralWriter writer(d_server.Connection(d_database), STATION);
    QVERIFY2(writer.Insert_Executions(executions) && writer.Upsert_Stops(stops),
             qPrintable(writer.Last_Error()));
    for (const QDate &first : {QDate(2026, 3, 22), QDate(2026, 10, 18)})
        for (QDate day = first; day <= first.addDays(8); day = day.addDays(1))
        {
            writer.Set_Now(QDateTime(day, QTime(12, 0), Qt::UTC));
            QVERIFY2(writer.Heartbeat({QStringLiteral("ONE"), QString(), Nights().Line()}, TStationState()),
                     qPrintable(writer.Last_Error()));
        }
}

// The trial run, removed by an administrator from the station's file and
// from the central database (where its message goes with it).
void TTestOneFigure::Remove_Trial()
{
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trial"));
        file.setDatabaseName(d_folder + QStringLiteral("/database.db"));
        QVERIFY(file.open());
        QSqlQuery query(file);
        for (const char *table : {"program_message", "program_data"})
            QVERIFY2(query.exec(QStringLiteral("DELETE FROM %1 WHERE program_id IN (SELECT program_id FROM "
                                               "program WHERE name='TRIAL')")
                                    .arg(QLatin1String(table))),
                     qPrintable(query.lastError().text()));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM program WHERE name='TRIAL'")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trial"));
    QSqlQuery central(d_server.Connection(d_database));
    QVERIFY2(central.exec(QStringLiteral("DELETE FROM executions WHERE name='TRIAL'")),
             qPrintable(central.lastError().text()));
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM station_day_messages")), 0);
}

void TTestOneFigure::initTestCase()
{
    TTestZone::Use("Europe/London");
    // London's own rules, not another zone's with summer time (a runtime that
    // misread the zone's name took the United States' dates).
    QCOMPARE(QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc(), 3600);
    QCOMPARE(QDateTime(QDate(2026, 3, 23), QTime(12, 0)).offsetFromUtc(), 0);
    QCOMPARE(QDateTime(QDate(2026, 10, 26), QTime(12, 0)).offsetFromUtc(), 0);
    QUORVEX_REQUIRE_SERVER(d_server);
    d_database = d_server.New_Central_Database();
    QVERIFY(!d_database.isEmpty());
    d_folder = d_home.File_Path(QStringLiteral("station"));
    QDir().mkpath(d_folder);
    d_station = std::make_unique<TStopStation>(d_folder, Nights(), Local(3, 22, 12));
    Spring_Week();
    Autumn_Week();
    Forward();
    Remove_Trial();
}

void TTestOneFigure::Station_And_Fleet_Agree_Day_By_Day_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<qint64>("executing");
    QTest::addColumn<qint64>("scheduled");
    QTest::addColumn<QString>("utilisation");
    QTest::addColumn<QString>("availability");
    // Reason, class and minutes, as the lost-time table shows them.
    QTest::addColumn<QStringList>("lost");
    const QString none = QStringLiteral("not classified|not classified|");
    // Idle 00:00-06:00, 22:00-22:30, 23:00-23:10, 23:40-24:00.
    QTest::newRow("Monday: idle up to midnight")
        << QDate(2026, 3, 23) << qint64(3600) << qint64(28800) << "12.5%"
        << "12.5%" << QStringList{none + "420.0"};
    // Idle 00:00-00:30, 01:00-01:04 and 22:00-24:00; the software closed 01:04-01:08, monitoring
    // off 01:08-01:10; a break 01:40-06:00 (planned: 3,600 / 13,200).
    QTest::newRow("Tuesday: across midnight, a change of kind, a break")
        << QDate(2026, 3, 24) << qint64(3600) << qint64(28800) << "12.5%"
        << "27.3%"
        << QStringList{none + "154.0", "Measurement software not running|unplanned|4.0",
                       "Monitor off|unplanned|2.0", "Break|planned|260.0"};
    // 1,800 s and an aborted 20 s; the trial's 600 s are neither execution nor stop any more.
    QTest::newRow("Wednesday: aborted and removed runs")
        << QDate(2026, 3, 25) << qint64(1820) << qint64(28800) << "6.3%"
        << "6.3%" << QStringList{none + "439.7"};
    QTest::newRow("Thursday: nothing but the shift")
        << QDate(2026, 3, 26) << qint64(0) << qint64(28800) << "0.0%"
        << "0.0%" << QStringList{none + "480.0"};
    // 00:00 GMT to 06:00 BST is five hours, then 22:00-24:00; idle 00:00-03:00 (two hours), 03:30-06:00.
    QTest::newRow("Sunday into summer time") << QDate(2026, 3, 29) << qint64(1800) << qint64(25200) << "7.1%"
                                             << "7.1%" << QStringList{none + "390.0"};
    QTest::newRow("Monday of the autumn week") << QDate(2026, 10, 19) << qint64(0) << qint64(28800) << "0.0%"
                                               << "0.0%" << QStringList{none + "480.0"};
    // 00:00 BST to 06:00 GMT is seven hours, then 22:00-24:00; idle 00:00-00:30, 01:00 BST-01:30 GMT
    // (an hour and a half), 02:00-06:00.
    QTest::newRow("Sunday into winter time")
        << QDate(2026, 10, 25) << qint64(3600) << qint64(32400) << "11.1%"
        << "11.1%" << QStringList{none + "480.0"};
}

void TTestOneFigure::Station_And_Fleet_Agree_Day_By_Day()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    QFETCH(QDate, day);
    QFETCH(qint64, executing);
    QFETCH(qint64, scheduled);
    QFETCH(QString, utilisation);
    QFETCH(QString, availability);
    QFETCH(QStringList, lost);

    // The station's own Statistics page, of that day.
    TDatabase &database = d_station->database;
    const QString text = TStoredForm::Date_Text(day);
    const std::vector<TExecution> items =
        database.Executions(database.Program_Names({text}), {text}, TDatabase::DATE_THEN_NAME);
    std::vector<TStopRecord> stops;
    QVERIFY(TStopStore(&database).Overlapping(QDateTime(day, QTime(0, 0)),
                                              QDateTime(day.addDays(1), QTime(0, 0)), &stops));
    const TStatistics statistics(items, {text}, database.Dates(), Nights(), stops);
    const TStatistics::TPeriod &period = statistics.Periods(TStatistics::DAY).at(0);
    QCOMPARE(period.executing_seconds, executing);
    QCOMPARE(period.scheduled_seconds, scheduled);
    QCOMPARE(TStatistics::Percent(period.utilisation), utilisation);
    QCOMPARE(TStatistics::Percent(period.availability), availability);
    QCOMPARE(First_Columns(statistics.Lost_Time().Table(), 3), lost);

    // The Fleet page's figures of the same day, read once it is over.
    TFleetSnapshot snapshot;
    snapshot.read_at = QDateTime(day.addDays(1), QTime(0, 0)).toUTC();
    snapshot.first = day;
    snapshot.last = day;
    QSqlDatabase db = d_server.Connection(d_database);
    QString error;
    QVERIFY2(TFleetStations::Read(db, &snapshot, &error), qPrintable(error));
    QCOMPARE(snapshot.stations.size(), size_t(1));
    snapshot.stations.front().chosen = true;
    TFleetFigures figures(db, &snapshot);
    QVERIFY2(figures.Read(), qPrintable(figures.Last_Error()));
    QCOMPARE(snapshot.executing_seconds, executing);
    QCOMPARE(snapshot.scheduled_seconds, scheduled);
    const QStringList row = snapshot.station_table.Row(0);
    QCOMPARE(row.at(5), utilisation);
    QCOMPARE(row.at(9), availability);
    QCOMPARE(First_Columns(snapshot.lost_table, 3), lost);
}

// The aborted run is no pace: the week runs at its baseline, and the short
// execution is counted apart.
void TTestOneFigure::Aborted_Run_Is_No_Pace()
{
    const TBaselines baselines(d_items, {});
    QCOMPARE(TStatistics::Percent(baselines.Performance()), QStringLiteral("100.0%"));
    QCOMPARE(baselines.Short(), 1);
    QCOMPARE(baselines.Short_Seconds(), qint64(20));
}

QTEST_MAIN(TTestOneFigure)
#include "tst_onefigure.moc"
