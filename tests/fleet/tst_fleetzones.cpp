#include "src/central/centralwriter.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/fleetreader.h"
#include "src/fleet/ui/fleetpage.h"
#include "tests/support/postgresserver.h"

#include <QComboBox>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

namespace
{
const int TIMEOUT_MSEC = 30000;
const QString TOKYO = QStringLiteral("tokyo");
const QString LONDON = QStringLiteral("london");
// London's calendar, in a zone without summer time.
const QString REYKJAVIK = QStringLiteral("reykjavik");
const QString PLANT_TOKYO = QStringLiteral("Plant Tokyo");
const QString ROOM_A = QStringLiteral("Plant 2 / Room A");

// Tokyo runs one night shift every day; London two day shifts on weekdays
// and a night shift from Saturday into Sunday.
TShiftCalendar Tokyo_Calendar()
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {{QTime(22, 0), QTime(6, 0)}});
    return calendar;
}

TShiftCalendar London_Calendar()
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 5; ++day)
        calendar.Set_Shifts(day, {{QTime(6, 0), QTime(14, 0)}, {QTime(14, 0), QTime(22, 0)}});
    calendar.Set_Shifts(6, {{QTime(22, 0), QTime(6, 0)}});
    calendar.Set_Shifts(7, {});
    return calendar;
}

QDateTime Utc(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

TStoredExecution Execution(qint64 id, const QDateTime &opened, int seconds)
{
    TStoredExecution row;
    row.local_id = id;
    row.execution.Set_Name(QStringLiteral("PART-%1").arg(id % 2));
    row.execution.Set_Revision(QStringLiteral("A"));
    row.execution.Set_Date_Time(opened);
    row.execution.Set_Execution_Time(seconds);
    return row;
}

const TFleetSnapshot::TStation *Station(const TFleetSnapshot &snapshot, const QString &id)
{
    for (const TFleetSnapshot::TStation &station : snapshot.stations)
        if (station.id == id)
            return &station;
    return nullptr;
}

// A station's row of the statistics: executions, executing and scheduled hours.
QStringList Figures(const TFleetSnapshot &snapshot, const QString &name)
{
    for (int row = 0; row < snapshot.station_table.Row_Count(); ++row)
        if (snapshot.station_table.Row(row).at(0) == name)
            return snapshot.station_table.Row(row).mid(2, 3);
    return {};
}
} // namespace

// Stations nine hours apart (Tokyo and London) read by a viewer in a third
// zone (New York, set for the test's process): each station's today, days
// and shifts are its own, through midnight and a change of summer time; and
// groups scope the page and the alerts.
class TTestFleetZones : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void Each_Station_Its_Own_Today();
    void Shift_Across_Summer_Time();
    void Groups_Scope_The_Reading_And_The_Alerts();
    void Past_Day_Of_Summer_Time_In_Each_Zone();
    void Page_Filters_By_Group();
    void Scheduled_Time_Has_One_Rule();
    void Zone_Unknown_Here_Is_Read_In_The_Offset_Told();

private:
    std::shared_ptr<const TFleetSnapshot> Read(const QDateTime &now, const QString &group, int days,
                                               const QStringList &chosen = {},
                                               const TAlertSettings &alerts = TAlertSettings());
    bool Send(const QString &station, const QString &zone, const std::vector<TStoredExecution> &rows);
    // The scheduled seconds STATION kept of each day from FIRST to LAST, by
    // heartbeats at noon UTC of each, as a station online then wrote them.
    bool Keep_Days(const QString &station, const QString &zone, const QDate &first, const QDate &last);

    TPostgresServer d_server;
    QString d_database;
};

bool TTestFleetZones::Keep_Days(const QString &station, const QString &zone, const QDate &first,
                                const QDate &last)
{
    for (QDate day = first; day <= last; day = day.addDays(1))
    {
        TCentralWriter writer(d_server.Connection(d_database), station);
        writer.Set_Time_Zone(QTimeZone(zone.toUtf8()));
        writer.Set_Now(Utc(day, QTime(12, 0)));
        const bool tokyo = station == TOKYO;
        const TStationIdentity identity{station.toUpper(), tokyo ? PLANT_TOKYO : ROOM_A,
                                        (tokyo ? Tokyo_Calendar() : London_Calendar()).Line()};
        if (!writer.Heartbeat(identity, TStationState()))
        {
            qWarning("%s", qPrintable(writer.Last_Error()));
            return false;
        }
    }
    return true;
}

bool TTestFleetZones::Send(const QString &station, const QString &zone,
                           const std::vector<TStoredExecution> &rows)
{
    TCentralWriter writer(d_server.Connection(d_database), station);
    writer.Set_Time_Zone(QTimeZone(zone.toUtf8()));
    // A day of the cases' own, whatever the date the suite runs on.
    writer.Set_Now(Utc(QDate(2026, 11, 18), QTime(12, 0)));
    const bool tokyo = station == TOKYO;
    const TStationIdentity identity{station.toUpper(), tokyo ? PLANT_TOKYO : ROOM_A,
                                    (tokyo ? Tokyo_Calendar() : London_Calendar()).Line()};
    const bool sent = writer.Heartbeat(identity, TStationState()) && writer.Insert_Executions(rows);
    if (!sent)
        qWarning("%s", qPrintable(writer.Last_Error()));
    return sent;
}

std::shared_ptr<const TFleetSnapshot> TTestFleetZones::Read(const QDateTime &now, const QString &group,
                                                            int days, const QStringList &chosen,
                                                            const TAlertSettings &alerts)
{
    TFleetReader reader(d_server.Settings(d_database, QStringLiteral("VIEWER")), alerts);
    reader.Set_Now(now);
    std::shared_ptr<const TFleetSnapshot> read;
    connect(&reader, &TFleetReader::Ready, this,
            [&read](std::shared_ptr<const TFleetSnapshot> s) { read = s; });
    connect(&reader, &TFleetReader::Failed, this,
            [](const QString &reason) { qWarning("%s", qPrintable(reason)); });
    reader.Read(chosen, group, days);
    reader.Stop();
    return read;
}

void TTestFleetZones::initTestCase()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    d_database = d_server.New_Central_Database();
    QVERIFY(!d_database.isEmpty());
    const QTimeZone tokyo("Asia/Tokyo");
    const QTimeZone london("Europe/London");
    // Around Wednesday 18 November 2026, 20:00 UTC: in Tokyo 05:00 on the 19th, in London 20:00 on the 18th.
    QVERIFY(Send(TOKYO, QStringLiteral("Asia/Tokyo"),
                 {Execution(1, QDateTime(QDate(2026, 11, 18), QTime(23, 0), tokyo), 1800),
                  Execution(2, QDateTime(QDate(2026, 11, 19), QTime(1, 0), tokyo), 3600),
                  Execution(3, QDateTime(QDate(2026, 11, 19), QTime(4, 0), tokyo), 600),
                  // The night Europe's summer time began: 02:00 in Tokyo, 17:00 UTC the day before.
                  Execution(4, QDateTime(QDate(2026, 3, 29), QTime(2, 0), tokyo), 3600)}));
    QVERIFY(Send(LONDON, QStringLiteral("Europe/London"),
                 {Execution(1, QDateTime(QDate(2026, 11, 17), QTime(10, 0), london), 900),
                  Execution(2, QDateTime(QDate(2026, 11, 18), QTime(9, 0), london), 3600),
                  Execution(3, QDateTime(QDate(2026, 11, 18), QTime(19, 0), london), 1800),
                  // Sunday 29 March 2026: 00:30 in winter time, 03:30 in summer time.
                  Execution(4, QDateTime(QDate(2026, 3, 29), QTime(0, 30), london), 3600),
                  Execution(5, QDateTime(QDate(2026, 3, 29), QTime(3, 30), london), 1800)}));
    // Past days as the stations kept them; the cases read the same with and without them.
    QVERIFY(Keep_Days(LONDON, QStringLiteral("Europe/London"), QDate(2026, 11, 8), QDate(2026, 11, 17)));
    QVERIFY(Keep_Days(LONDON, QStringLiteral("Europe/London"), QDate(2026, 3, 22), QDate(2026, 3, 29)));
    QVERIFY(Keep_Days(TOKYO, QStringLiteral("Asia/Tokyo"), QDate(2026, 11, 12), QDate(2026, 11, 18)));
    QVERIFY(Keep_Days(TOKYO, QStringLiteral("Asia/Tokyo"), QDate(2026, 3, 22), QDate(2026, 3, 29)));
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT scheduled_seconds FROM station_days WHERE "
                                                       "station_id='london' AND day='2026-11-14'")),
             2 * 3600);
    // A stop in Tokyo from 00:30 on its 19th (15:30 UTC on the 18th) for half an hour.
    TCentralWriter writer(d_server.Connection(d_database), TOKYO);
    writer.Set_Time_Zone(tokyo);
    TStoredStop stop;
    stop.local_id = 1;
    stop.stop.started = Utc(QDate(2026, 11, 18), QTime(15, 30));
    stop.stop.ended = stop.stop.started.addSecs(1800);
    QVERIFY(writer.Upsert_Stops({stop}));
    // Sent before stations told their instants: read as the station's local time, in its zone.
    QSqlQuery query(d_server.Connection(d_database));
    QVERIFY(query.exec(QStringLiteral(
        "INSERT INTO "
        "executions(station_id,local_id,name,revision,date_text,time_text,opened,execution_seconds,"
        "idle_seconds,point_count,message_count) VALUES('tokyo',5,'OLD','A','19.11.2026','03:00:00',"
        "'2026-11-19 03:00',300,0,0,0)")));
}

void TTestFleetZones::Each_Station_Its_Own_Today()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    QCOMPARE(QTimeZone::systemTimeZone().offsetFromUtc(Utc(QDate(2026, 11, 18), QTime(20, 0))), -5 * 3600);
    const auto snapshot = Read(Utc(QDate(2026, 11, 18), QTime(20, 0)), QString(), 7);
    QVERIFY(snapshot);
    const TFleetSnapshot::TStation *tokyo = Station(*snapshot, TOKYO);
    const TFleetSnapshot::TStation *london = Station(*snapshot, LONDON);
    QVERIFY(tokyo && london);
    QCOMPARE(tokyo->zone_name, QStringLiteral("Asia/Tokyo"));
    // Tokyo's today is the 19th, not the viewer's 18th: 01:00, 03:00 (sent without instant) and 04:00.
    QCOMPARE(tokyo->today, QDate(2026, 11, 19));
    QCOMPARE(tokyo->executions_today, 3);
    QCOMPARE(tokyo->executing_seconds_today, qint64(4500));
    // Its night shift from 22:00 the day before, up to 05:00: five hours of today.
    QCOMPARE(tokyo->scheduled_seconds_today, qint64(5 * 3600));
    QCOMPARE(tokyo->Local(snapshot->read_at).time(), QTime(5, 0));
    QCOMPARE(london->today, QDate(2026, 11, 18));
    QCOMPARE(london->executions_today, 2);
    QCOMPARE(london->scheduled_seconds_today, qint64(14 * 3600));
    // Seven days each: Tokyo 13 to 19 November, six nights of 8 h and 5 h of today;
    // London 12 to 18 November, weekdays of 16 h, Saturday's 2 h and Sunday's 6 h, 14 h of today.
    QCOMPARE(Figures(*snapshot, QStringLiteral("TOKYO")), (QStringList{"4", "1.8", "53.0"}));
    QCOMPARE(Figures(*snapshot, QStringLiteral("LONDON")), (QStringList{"3", "1.8", "86.0"}));
    // The stop counts on Tokyo's day it began in.
    const auto today = Read(Utc(QDate(2026, 11, 18), QTime(20, 0)), QString(), 1, {TOKYO});
    QVERIFY(today);
    QCOMPARE(today->lost_table.Row(0).mid(0, 3), (QStringList{"not classified", "not classified", "30.0"}));
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT extract(epoch FROM opened_at)::bigint-%1 FROM "
                                                  "execution_moments WHERE station_id='tokyo' AND local_id=5")
                                       .arg(Utc(QDate(2026, 11, 18), QTime(18, 0)).toSecsSinceEpoch())),
        0);
}

void TTestFleetZones::Shift_Across_Summer_Time()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    // Sunday 29 March 2026, 12:00 UTC: 13:00 summer time in London, 21:00 in Tokyo.
    const auto snapshot = Read(Utc(QDate(2026, 3, 29), QTime(12, 0)), QString(), 7);
    QVERIFY(snapshot);
    const TFleetSnapshot::TStation *london = Station(*snapshot, LONDON);
    QVERIFY(london);
    // Saturday's night shift ends at 06:00 summer time: five hours of Sunday, not six.
    QCOMPARE(london->scheduled_seconds_today, qint64(5 * 3600));
    QCOMPARE(london->executions_today, 2);
    QCOMPARE(london->Utilisation(), 5400.0 / (5 * 3600));
    const TFleetSnapshot::TStation *tokyo = Station(*snapshot, TOKYO);
    QCOMPARE(tokyo->scheduled_seconds_today, qint64(6 * 3600));
    QCOMPARE(tokyo->executions_today, 1);
    // London 23 to 29 March: five weekdays of 16 h, Saturday's 2 h, Sunday's 5 h.
    QCOMPARE(Figures(*snapshot, QStringLiteral("LONDON")), (QStringList{"2", "1.5", "87.0"}));
}

void TTestFleetZones::Groups_Scope_The_Reading_And_The_Alerts()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QDateTime now = Utc(QDate(2026, 11, 18), QTime(20, 0));
    const auto room = Read(now, ROOM_A, 7);
    QVERIFY(room);
    QCOMPARE(room->groups, (QStringList{ROOM_A, PLANT_TOKYO}));
    QVERIFY(Station(*room, LONDON)->in_group && Station(*room, LONDON)->chosen);
    QVERIFY(!Station(*room, TOKYO)->in_group && !Station(*room, TOKYO)->chosen);
    QCOMPARE(room->station_table.Row_Count(), 1);
    QCOMPARE(room->station_table.Row(0).mid(0, 2), (QStringList{"LONDON", ROOM_A}));

    // Both silent for an hour in their shifts; a viewer judging Plant Tokyo alone says Tokyo's.
    QSqlQuery query(d_server.Connection(d_database));
    QVERIFY(query.exec(
        QStringLiteral("UPDATE stations SET heartbeat='%1'").arg(now.addSecs(-3600).toString(Qt::ISODate))));
    TAlertSettings alerts;
    alerts.group = PLANT_TOKYO;
    QVERIFY(Read(now, QString(), 1, {}, alerts));
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM alerts WHERE station_id='tokyo'")),
        1);
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM alerts WHERE station_id='london'")),
        0);
    // Its start is Tokyo's wall time, and the instant ten minutes after the last word.
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM alerts WHERE station_id='tokyo' AND "
                                                  "started='2026-11-19 04:10' AND started_at='%1'")
                                       .arg(now.addSecs(-3000).toString(Qt::ISODate))),
        1);
    QVERIFY(Read(now, QString(), 1, {}, TAlertSettings()));
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM alerts WHERE station_id='london'")),
        1);
}

void TTestFleetZones::Page_Filters_By_Group()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    TFleetFeed feed(d_server.Settings(d_database, QStringLiteral("VIEWER")), TAlertSettings());
    TFleetPage page(&feed);
    int shown = 0;
    connect(&page, &TFleetPage::Shown, this, [&shown]() { ++shown; });
    page.Refresh();
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, TIMEOUT_MSEC);
    QTableWidget *table = page.findChild<QTableWidget *>(QStringLiteral("fleet_stations"));
    QComboBox *groups = page.findChild<QComboBox *>(QStringLiteral("fleet_group"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(groups->count(), 3);
    // Rows in their groups' order; each with its own local time and zone.
    QCOMPARE(table->item(0, 1)->text(), ROOM_A);
    QVERIFY2(table->item(1, 2)->text().endsWith(QStringLiteral(" Asia/Tokyo")),
             qPrintable(table->item(1, 2)->text()));
    groups->setCurrentIndex(groups->findData(PLANT_TOKYO));
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, TIMEOUT_MSEC);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("TOKYO"));
    QCOMPARE(page.Snapshot()->station_table.Row_Count(), 1);
}

// One calendar in two zones: Sunday 29 March, a past day by now, is a day
// of 23 hours in London alone, so its night shift ends an hour sooner there.
void TTestFleetZones::Past_Day_Of_Summer_Time_In_Each_Zone()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    QVERIFY(Send(REYKJAVIK, QStringLiteral("Atlantic/Reykjavik"), {}));
    // Monday 30 March 2026, 12:00 UTC: 13:00 summer time in London, 12:00 in Reykjavik.
    const auto snapshot = Read(Utc(QDate(2026, 3, 30), QTime(12, 0)), QString(), 7);
    QVERIFY(snapshot);
    // 24 to 30 March: four weekdays of 16 h and Saturday's 2 h; then Sunday's 5 h
    // and Monday's 7 h to the read in London, 6 h and 6 h in Reykjavik.
    QCOMPARE(Figures(*snapshot, QStringLiteral("LONDON")).at(2), QStringLiteral("78.0"));
    QCOMPARE(Figures(*snapshot, QStringLiteral("REYKJAVIK")).at(2), QStringLiteral("78.0"));
    // The room as the other cases know it.
    QVERIFY(QSqlQuery(d_server.Connection(d_database))
                .exec(QStringLiteral("DELETE FROM station_days WHERE station_id='reykjavik';"
                                     "DELETE FROM stations WHERE station_id='reykjavik'")));
}

// London's Saturday night shift, 22:00 to 06:00, gives Saturday two hours and
// Sunday six, today or past, kept or not: read at Sunday 05:00 its seven days
// are 80 h of weekdays, 2 h and 5 h (Sunday's first five hours once); at
// Monday 12:00 its two days are Sunday's 6 h and Monday's 6 h, with Sunday's
// kept row and without it.
void TTestFleetZones::Scheduled_Time_Has_One_Rule()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const auto early = Read(Utc(QDate(2026, 11, 15), QTime(5, 0)), QString(), 7, {LONDON});
    QVERIFY(early);
    QCOMPARE(Figures(*early, QStringLiteral("LONDON")).at(2), QStringLiteral("87.0"));
    const auto sunday = Read(Utc(QDate(2026, 11, 15), QTime(20, 0)), QString(), 1, {LONDON});
    QVERIFY(sunday);
    QCOMPARE(Station(*sunday, LONDON)->scheduled_seconds_today, qint64(6 * 3600));
    QCOMPARE(Figures(*sunday, QStringLiteral("LONDON")).at(2), QStringLiteral("6.0"));
    const QDateTime monday = Utc(QDate(2026, 11, 16), QTime(12, 0));
    const auto kept = Read(monday, QString(), 2, {LONDON});
    QVERIFY(kept);
    QCOMPARE(Figures(*kept, QStringLiteral("LONDON")).at(2), QStringLiteral("12.0"));
    QSqlQuery query(d_server.Connection(d_database));
    QVERIFY(
        query.exec(QStringLiteral("UPDATE station_days SET scheduled_seconds=NULL WHERE station_id='london' "
                                  "AND day='2026-11-15'")));
    const auto computed = Read(monday, QString(), 2, {LONDON});
    QVERIFY(computed);
    QCOMPARE(Figures(*computed, QStringLiteral("LONDON")).at(2), QStringLiteral("12.0"));
    QVERIFY(Keep_Days(LONDON, QStringLiteral("Europe/London"), QDate(2026, 11, 15), QDate(2026, 11, 15)));
}

// A station names a zone this reader does not know, and told its offset
// (05:30) with its heartbeat: its today, shifts and local time are read in
// that offset, never in the reader's New York, and the page says so. One that
// told neither is read in UTC.
void TTestFleetZones::Zone_Unknown_Here_Is_Read_In_The_Offset_Told()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    TShiftCalendar always;
    for (int day = 1; day <= 7; ++day)
        always.Set_Shifts(day, {{QTime(0, 0), QTime()}});
    QSqlQuery query(d_server.Connection(d_database));
    QVERIFY(
        query.exec(QStringLiteral("INSERT INTO stations(station_id,name,shift_calendar,time_zone,utc_offset) "
                                  "VALUES('far','FAR','%1','Mars/Olympus_Mons',19800),"
                                  "('old','OLD','%1','',NULL)")
                       .arg(always.Line())));
    const auto snapshot = Read(Utc(QDate(2026, 11, 18), QTime(20, 0)), QString(), 1);
    QVERIFY(snapshot);
    const TFleetSnapshot::TStation *far = Station(*snapshot, QStringLiteral("far"));
    const TFleetSnapshot::TStation *old = Station(*snapshot, QStringLiteral("old"));
    QVERIFY(far && old);
    // 01:30 on the 19th there; 15:00 on the 18th in New York.
    QCOMPARE(far->today, QDate(2026, 11, 19));
    QCOMPARE(far->scheduled_seconds_today, qint64(5400));
    QCOMPARE(far->zone_text, QStringLiteral("(Mars/Olympus_Mons unknown here; read as UTC+05:30)"));
    QCOMPARE(old->today, QDate(2026, 11, 18));
    QCOMPARE(old->scheduled_seconds_today, qint64(20 * 3600));
    QCOMPARE(old->zone_text, QStringLiteral("(zone not told; read as UTC)"));
    QVERIFY(query.exec(QStringLiteral("DELETE FROM stations WHERE station_id IN ('far','old')")));
}

QTEST_MAIN(TTestFleetZones)
#include "tst_fleetzones.moc"
