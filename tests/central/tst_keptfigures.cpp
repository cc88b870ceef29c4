#include "src/central/centralwriter.h"
#include "src/centraldb/centralschema.h"
#include "tests/support/postgresserver.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <algorithm>
#include <vector>

namespace
{
// The kept figures, and the same computed from the rows they count, in one order.
const char *const KEPT_DAYS =
    "SELECT station_id,day,executions,executing_seconds,idle_seconds,points,messages,"
    "with_messages FROM station_days WHERE executions<>0 ORDER BY 1,2";
const char *const ROW_DAYS =
    "SELECT station_id,opened::date,count(*),sum(execution_seconds),sum(idle_seconds),sum(point_count),"
    "sum(message_count),count(*) FILTER (WHERE message_count>0) FROM executions GROUP BY 1,2 ORDER BY 1,2";
const char *const KEPT_PROGRAMS =
    "SELECT station_id,day,name,executions,executing_seconds,idle_seconds,points,"
    "with_messages%1 FROM station_day_programs ORDER BY 1,2,3";
const char *const ROW_PROGRAMS =
    "SELECT station_id,opened::date,name,count(*),sum(execution_seconds),sum(idle_seconds),sum(point_count),"
    "count(*) FILTER (WHERE message_count>0)%1 FROM executions GROUP BY 1,2,3 ORDER BY 1,2,3";
const char *const EXTREMES = ",%1(execution_seconds)";
const char *const KEPT_MESSAGES =
    "SELECT station_id,day,message,name,count FROM station_day_messages ORDER BY 1,2,3,4";
const char *const ROW_MESSAGES = "SELECT m.station_id,e.opened::date,m.message,e.name,count(*) FROM "
                                 "execution_messages m JOIN executions e "
                                 "USING(station_id,local_id) GROUP BY 1,2,3,4 ORDER BY 1,2,3,4";
const char *const KEPT_STOPS =
    "SELECT station_id,day,reason,planned,seconds FROM station_day_stops WHERE seconds<>0 ORDER BY 1,2,3,4";
// A stop's length is that of its instants.
const char *const ROW_STOPS = "SELECT station_id,started::date,reason,reason<>'' AND "
                              "planned,sum(extract(epoch FROM ended_at-started_at)::bigint) "
                              "FROM stops GROUP BY 1,2,3,4 ORDER BY 1,2,3,4";

const QStringList STATIONS = {QStringLiteral("tokyo"), QStringLiteral("london"), QStringLiteral("detroit")};
const QStringList REASONS = {QString(), QStringLiteral("Waiting for parts"), QStringLiteral("Break"),
                             QStringLiteral("Machine fault")};
} // namespace

// The figures the central server keeps per station and day, against the
// same figures computed from the rows after arrivals in any order: batches
// sent twice, catch-ups out of order, stops classified again, rows removed.
class TTestKeptFigures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void Kept_Equal_Computed_After_Random_Arrivals();
    void Stops_Follow_Their_Latest_Change();
    void Stops_Measured_And_Keyed_By_Their_Instants();
    void Kept_Equal_Computed_After_Any_Statement();
    void Upgrade_Keeps_Each_Stop_Once();

private:
    QStringList Rows(const QString &statement);
    void Compare(const char *kept, const char *computed);
    void Compare_All();
    std::vector<TStoredExecution> Executions(int count, qint64 first_id);

    TPostgresServer d_server;
    QString d_database;
    QRandomGenerator d_random{20261209};
};

QStringList TTestKeptFigures::Rows(const QString &statement)
{
    QStringList rows;
    QSqlQuery query(d_server.Connection(d_database));
    if (!query.exec(statement))
        qWarning("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
    while (query.next())
    {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << query.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void TTestKeptFigures::Compare(const char *kept, const char *computed)
{
    const QStringList from_rows = Rows(QLatin1String(computed));
    QVERIFY(!from_rows.isEmpty());
    QCOMPARE(Rows(QLatin1String(kept)), from_rows);
}

void TTestKeptFigures::Compare_All()
{
    Compare(KEPT_DAYS, ROW_DAYS);
    Compare(QString::fromLatin1(KEPT_PROGRAMS).arg(QStringLiteral(",shortest,longest")).toLatin1(),
            QString::fromLatin1(ROW_PROGRAMS)
                .arg(QString::fromLatin1(EXTREMES).arg(QStringLiteral("min")) +
                     QString::fromLatin1(EXTREMES).arg(QStringLiteral("max")))
                .toLatin1());
    Compare(KEPT_MESSAGES, ROW_MESSAGES);
}

void TTestKeptFigures::initTestCase()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    d_database = d_server.New_Central_Database();
    QVERIFY(!d_database.isEmpty());
}

// Executions over twenty days around midnight, some with messages, some
// with a name a B-tree could not hold.
std::vector<TStoredExecution> TTestKeptFigures::Executions(int count, qint64 first_id)
{
    std::vector<TStoredExecution> rows;
    const QDateTime start(QDate(2026, 3, 20), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < count; ++i)
    {
        TStoredExecution row;
        row.local_id = first_id + i;
        TExecution &execution = row.execution;
        execution.Set_Name(d_random.bounded(50) == 0
                               ? QString(3000, QLatin1Char('N')) + QString::number(i % 3)
                               : QStringLiteral("PART-%1").arg(d_random.bounded(6)));
        execution.Set_Revision(QStringLiteral("A"));
        execution.Set_Date_Time(start.addSecs(d_random.bounded(20 * 86400)));
        execution.Set_Execution_Time(10 + int(d_random.bounded(3000)));
        execution.Set_Idle_Time(int(d_random.bounded(300)));
        execution.Set_Point_Count(int(d_random.bounded(500)));
        for (int m = int(d_random.bounded(4)) - 1; m > 0; --m)
            execution.Add_Error_Message(QStringLiteral("Probe hit %1").arg(d_random.bounded(3)));
        for (int m = d_random.bounded(40) == 0 ? 250 : 0; m > 0; --m)
            execution.Add_Error_Message(QStringLiteral("Drive fault"));
        rows.push_back(row);
    }
    return rows;
}

void TTestKeptFigures::Kept_Equal_Computed_After_Random_Arrivals()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QStringList zones = {QStringLiteral("Asia/Tokyo"), QStringLiteral("Europe/London"),
                               QStringLiteral("America/Detroit")};
    for (int s = 0; s < STATIONS.size(); ++s)
    {
        TCentralWriter writer(d_server.Connection(d_database), STATIONS.at(s));
        writer.Set_Time_Zone(QTimeZone(zones.at(s).toUtf8()));
        const std::vector<TStoredExecution> all = Executions(600, 1);
        // Batches of any size, sent in any order (a catch-up after another's), some twice.
        std::vector<std::vector<TStoredExecution>> batches;
        for (size_t at = 0; at < all.size();)
        {
            const size_t size = std::min(all.size() - at, size_t(1 + d_random.bounded(250)));
            batches.emplace_back(all.begin() + long(at), all.begin() + long(at + size));
            at += size;
        }
        for (size_t again = batches.size() / 2; again > 0; --again)
            batches.push_back(batches[d_random.bounded(quint32(batches.size()))]);
        std::shuffle(batches.begin(), batches.end(), std::mt19937(d_random.generate()));
        for (const std::vector<TStoredExecution> &batch : batches)
            QVERIFY2(writer.Insert_Executions(batch), qPrintable(writer.Last_Error()));
    }
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions")), 1800);
    Compare_All();

    // An administrator removing a station's old rows takes them, their messages and their
    // shortest and longest out of the figures too.
    QSqlQuery query(d_server.Connection(d_database));
    QVERIFY(query.exec(QStringLiteral("DELETE FROM executions WHERE station_id='london' AND local_id%3=0")));
    Compare_All();
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM execution_messages m WHERE NOT "
                                                  "EXISTS (SELECT 1 FROM executions e WHERE "
                                                  "e.station_id=m.station_id AND e.local_id=m.local_id)")),
        0);
}

void TTestKeptFigures::Stops_Follow_Their_Latest_Change()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    for (const QString &station : STATIONS)
    {
        TCentralWriter writer(d_server.Connection(d_database), station);
        // Each stop as it stood at each change: open, ended, classified, classified again.
        std::vector<TStoredStop> versions;
        qint64 change = 0;
        qint64 latest_changes = 0;
        for (int i = 0; i < 80; ++i)
        {
            TStoredStop stop;
            stop.stop.started = QDateTime(QDate(2026, 3, 27), QTime(0, 0), Qt::UTC).addSecs(i * 7200);
            for (int step = int(1 + d_random.bounded(4)); step > 0; --step)
            {
                stop.local_id = ++change;
                stop.stop.ended = stop.stop.started.addSecs(300 + d_random.bounded(6000));
                stop.stop.open = step > 1;
                stop.stop.reason = REASONS.at(int(d_random.bounded(REASONS.size())));
                stop.stop.planned = stop.stop.reason == QLatin1String("Break") || d_random.bounded(5) == 0;
                versions.push_back(stop);
            }
            latest_changes += change;
        }
        // Out of order and twice: an older change never overwrites a newer one.
        std::vector<TStoredStop> sent = versions;
        sent.insert(sent.end(), versions.begin(), versions.begin() + long(versions.size() / 3));
        std::shuffle(sent.begin(), sent.end(), std::mt19937(d_random.generate()));
        for (size_t at = 0; at < sent.size(); at += 17)
        {
            const std::vector<TStoredStop> batch(sent.begin() + long(at),
                                                 sent.begin() + long(std::min(sent.size(), at + 17)));
            QVERIFY2(writer.Upsert_Stops(batch), qPrintable(writer.Last_Error()));
        }
        // Every stop as its latest change left it.
        QCOMPARE(d_server.Count(
                     d_database,
                     QStringLiteral("SELECT sum(change) FROM stops WHERE station_id='%1'").arg(station)),
                 int(latest_changes));
    }
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM stops")), 240);
    Compare(KEPT_STOPS, ROW_STOPS);
}

// London's autumn change, 25 October 2026 at 01:00 UTC: 01:00 to 02:00 local
// comes twice. Three stops, hand-worked: 01:20-01:40 summer time (00:20-00:40
// UTC, 1,200 s); 01:45 summer time to 01:15 winter time (00:45-01:15 UTC,
// 1,800 s, though its local end is before its local start); 01:20-01:50 winter
// time (01:20-01:50 UTC, 1,800 s), which starts at the same local second as
// the first, in one batch with it. Sent again after the station moved to
// Tokyo's zone, the first is the same row.
void TTestKeptFigures::Stops_Measured_And_Keyed_By_Their_Instants()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    TCentralWriter writer(d_server.Connection(d_database), QStringLiteral("autumn"));
    writer.Set_Time_Zone(QTimeZone("Europe/London"));
    const auto utc = [](int hour, int minute)
    { return QDateTime(QDate(2026, 10, 25), QTime(hour, minute), Qt::UTC); };
    std::vector<TStoredStop> stops(3);
    const QDateTime moments[3][2] = {
        {utc(0, 20), utc(0, 40)}, {utc(0, 45), utc(1, 15)}, {utc(1, 20), utc(1, 50)}};
    for (int i = 0; i < 3; ++i)
    {
        stops[size_t(i)].local_id = i + 1;
        stops[size_t(i)].stop.started = moments[i][0];
        stops[size_t(i)].stop.ended = moments[i][1];
        stops[size_t(i)].stop.reason = QStringLiteral("Machine fault");
    }
    QVERIFY2(writer.Upsert_Stops(stops), qPrintable(writer.Last_Error()));
    QCOMPARE(Rows(QStringLiteral("SELECT day,seconds FROM station_day_stops WHERE station_id='autumn'")),
             QStringList{QStringLiteral("2026-10-25|4800")});
    TCentralWriter moved(d_server.Connection(d_database), QStringLiteral("autumn"));
    moved.Set_Time_Zone(QTimeZone("Asia/Tokyo"));
    TStoredStop again = stops[0];
    again.local_id = 4;
    again.stop.ended = utc(0, 50);
    QVERIFY2(moved.Upsert_Stops({again}), qPrintable(moved.Last_Error()));
    QCOMPARE(Rows(QStringLiteral(
                 "SELECT started,ended_at-started_at FROM stops WHERE station_id='autumn' ORDER BY "
                 "started_at")),
             (QStringList{QStringLiteral("2026-10-25T01:20:00.000|00:30:00"),
                          QStringLiteral("2026-10-25T01:45:00.000|00:30:00"),
                          QStringLiteral("2026-10-25T01:20:00.000|00:30:00")}));
    QCOMPARE(Rows(QStringLiteral("SELECT day,seconds FROM station_day_stops WHERE station_id='autumn'")),
             QStringList{QStringLiteral("2026-10-25|5400")});
}

// What an administrator may run: executions moved to another day and
// renamed, their seconds changed, messages removed and changed, stops removed;
// after each the kept figures equal the rows. A TRUNCATE, which fires no
// row's trigger, is refused, saying what to run instead.
void TTestKeptFigures::Kept_Equal_Computed_After_Any_Statement()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    QSqlQuery query(d_server.Connection(d_database));
    for (const char *statement :
         {"UPDATE executions SET opened=opened+interval '1 day',name=name||'-moved' WHERE station_id='tokyo' "
          "AND local_id%5=0",
          "UPDATE executions SET execution_seconds=1 WHERE station_id='tokyo' AND local_id%7=0",
          "UPDATE executions SET execution_seconds=5000 WHERE station_id='detroit' AND local_id%11=0",
          "DELETE FROM execution_messages WHERE station_id='detroit' AND position=0",
          "UPDATE execution_messages SET message='Changed' WHERE station_id='detroit' AND position=1",
          "DELETE FROM executions WHERE station_id='tokyo' AND local_id%4=1"})
    {
        QVERIFY2(query.exec(QLatin1String(statement)), qPrintable(query.lastError().text()));
        Compare_All();
        if (QTest::currentTestFailed())
            QFAIL(statement);
    }
    QVERIFY(query.exec(QStringLiteral("DELETE FROM stops WHERE station_id='tokyo' AND reason='Break'")));
    Compare(KEPT_STOPS, ROW_STOPS);
    QVERIFY(query.exec(QStringLiteral("UPDATE stops SET ended_at=ended_at+interval '10 minutes',"
                                      "ended=ended+interval '10 minutes' WHERE station_id='london'")));
    Compare(KEPT_STOPS, ROW_STOPS);
    for (const QString &table :
         {QStringLiteral("executions"), QStringLiteral("execution_messages"), QStringLiteral("stops")})
    {
        QVERIFY(!query.exec(QStringLiteral("TRUNCATE ") + table));
        QVERIFY2(query.lastError().text().contains(QStringLiteral("DELETE FROM ") + table),
                 qPrintable(query.lastError().text()));
    }
    QVERIFY(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions")) > 0);
    Compare_All();
}

// Tables of version 4, keyed by local time, hold one stop twice: sent again
// after its station's zone changed. The upgrade keeps it once, at its latest
// change, and makes the figures again from the rows.
void TTestKeptFigures::Upgrade_Keeps_Each_Stop_Once()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = d_server.New_Central_Database();
    QSqlDatabase db = d_server.Connection(database);
    QSqlQuery query(db);
    for (const char *statement :
         {"DROP INDEX stops_station_instant",
          "INSERT INTO "
          "stops(station_id,started,ended,open,reason,source,planned,note,change,started_at,ended_at) "
          "VALUES('moved','2026-11-18 09:00','2026-11-18 09:30',false,'','',false,'',1,'2026-11-18 09:00Z',"
          "'2026-11-18 09:30Z'),('moved','2026-11-18 18:00','2026-11-18 "
          "18:45',false,'Break','operator',true,'',"
          "2,'2026-11-18 09:00Z','2026-11-18 09:45Z')",
          "UPDATE quorvex_schema SET version=4"})
        QVERIFY2(query.exec(QLatin1String(statement)), qPrintable(query.lastError().text()));
    int found = 0;
    QString error;
    QCOMPARE(TCentralSchema::Prepare(db, &found, &error), TCentralSchema::READY);
    QCOMPARE(found, 4);
    QVERIFY(query.exec(QStringLiteral("SELECT reason,change FROM stops")) && query.next());
    QCOMPARE(query.value(0).toString() + QLatin1Char('|') + query.value(1).toString(),
             QStringLiteral("Break|2"));
    QVERIFY(!query.next());
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT max(version) FROM quorvex_schema")),
             TCentralSchema::VERSION);
    QSqlQuery kept(d_server.Connection(database));
    QVERIFY(kept.exec(QStringLiteral("SELECT reason,seconds FROM station_day_stops")) && kept.next());
    QCOMPARE(kept.value(1).toInt(), 2700);
    QVERIFY(!kept.next());
}

QTEST_GUILESS_MAIN(TTestKeptFigures)
#include "tst_keptfigures.moc"
