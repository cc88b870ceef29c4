#include "src/centraldb/centralschema.h"
#include "src/centraldb/centralsettings.h"
#include "src/database/stoprecord.h"
#include "src/fleet/fleetfeed.h"
#include "tests/support/centralsetup.h"
#include "tests/support/centralstation.h"
#include "tests/support/postgresserver.h"
#include "tests/support/testhome.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <map>
#include <memory>

namespace
{
const int TIMEOUT_MSEC = 30000;

} // namespace

// The central database as its administrator sets it up: stations and a viewer
// with exactly the rights they need, checked by the real server.
class TTestCentralRoles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void Stations_Forward_With_Their_Own_Rights();
    void Station_Login_May_Do_Nothing_Else_data();
    void Station_Login_May_Do_Nothing_Else();
    void Station_Reads_Only_Its_Own_Rows_data();
    void Station_Reads_Only_Its_Own_Rows();
    void Temporary_Table_Speaks_For_No_One();
    void Viewer_Only_Reads();
    void Watcher_Stores_Only_Real_Silence();
    void Only_The_Watcher_Stores_A_Silence();
    void Setup_Again_Adds_And_Keeps();
    void Older_Tables_Named_To_The_Station();

private:
    QSqlDatabase Login(const QString &name, const QString &user, const QString &password);
    TCentralSettings Viewer() const;

    TPostgresServer d_server;
    std::unique_ptr<TTestHome> d_home;
    TCentralSetup d_setup;
    const QString d_database = QStringLiteral("plant");
};

QSqlDatabase TTestCentralRoles::Login(const QString &name, const QString &user, const QString &password)
{
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(d_server.Host());
    db.setPort(d_server.Port());
    db.setDatabaseName(d_database);
    db.setUserName(user);
    db.setPassword(password);
    if (!db.isOpen() && !db.open())
        qWarning("%s cannot log in: %s", qPrintable(user), qPrintable(db.lastError().text()));
    return db;
}

TCentralSettings TTestCentralRoles::Viewer() const
{
    TCentralSettings settings = d_setup.stations.at(QStringLiteral("CMM-A"));
    settings.Set_Viewer(d_setup.viewer_user, d_setup.viewer_password);
    return settings.Viewer();
}

void TTestCentralRoles::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("the setup is a script the administrator runs beside the server, on its system");
#endif
    QUORVEX_REQUIRE_SERVER(d_server);
    d_home = std::make_unique<TTestHome>();
    QVERIFY(d_setup.Run(d_server, d_database, {QStringLiteral("CMM-A"), QStringLiteral("CMM B")}));
    QCOMPARE(int(d_setup.stations.size()), 2);
    QVERIFY(!d_setup.viewer_password.isEmpty());
}

void TTestCentralRoles::cleanupTestCase()
{
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith(QLatin1String("login-")))
            QSqlDatabase::removeDatabase(name);
}

// Each station's batches, usage, heartbeat and alerts arrive with its own login alone.
void TTestCentralRoles::Stations_Forward_With_Their_Own_Rights()
{
    for (const auto &[name, settings] : d_setup.stations)
    {
        TCentralStation station(d_home->File_Path(name), settings);
        station.Store(30, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
        QVERIFY2(station.d_journal->Add_Usage(TDatabase::MONITOR_TIME, 60) == TPendingJournal::WRITTEN,
                 qPrintable(station.d_journal->Last_Error()));
        // A stop sent, then sent again classified: the login's right to change its own stops.
        TStopRecord stop;
        stop.started = QDateTime(QDate(2026, 12, 7), QTime(7, 0)).toUTC();
        stop.ended = stop.started.addSecs(600);
        QCOMPARE(station.d_journal->Put_Stop(stop), TPendingJournal::WRITTEN);
        const QString of_station = QStringLiteral(" WHERE station_id='%1'").arg(settings.Station_Id());
        QTRY_COMPARE_WITH_TIMEOUT(
            d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM stops") + of_station), 1,
            TIMEOUT_MSEC);
        stop.reason = QStringLiteral("Break");
        stop.planned = true;
        QCOMPARE(station.d_journal->Put_Stop(stop), TPendingJournal::WRITTEN);
        station.d_central->Wake();
        QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM stops") +
                                                                 of_station + QStringLiteral(" AND planned")),
                                  1, TIMEOUT_MSEC);
        QTRY_COMPARE_WITH_TIMEOUT(
            d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions") + of_station), 30,
            TIMEOUT_MSEC);
        QTRY_COMPARE_WITH_TIMEOUT(
            d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM usage_periods") + of_station), 1,
            TIMEOUT_MSEC);
        QTRY_COMPARE_WITH_TIMEOUT(
            d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM stations") + of_station), 1,
            TIMEOUT_MSEC);
        QVERIFY2(station.Said(QStringLiteral("WAR:  Central database unreachable")) == 0,
                 qPrintable(station.d_said.join(QLatin1Char('/'))));
        // Its heartbeat keeps its today's scheduled seconds; the server keeps the rest.
        QVERIFY(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM station_days") + of_station +
                                               QStringLiteral(" AND scheduled_seconds IS NOT NULL")) > 0);
    }
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM execution_messages")), 30);
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT sum(executions) FROM station_days")), 60);
}

void TTestCentralRoles::Station_Login_May_Do_Nothing_Else_data()
{
    const QString other = d_setup.stations.at(QStringLiteral("CMM B")).Station_Id();
    const QString a_station = d_setup.stations.at(QStringLiteral("CMM-A")).Station_Id();
    QTest::addColumn<QString>("statement");
    QTest::newRow("delete the history") << QStringLiteral("DELETE FROM executions");
    QTest::newRow("change a row") << QStringLiteral("UPDATE executions SET execution_seconds=0");
    QTest::newRow("forge another station's row")
        << QStringLiteral(
               "INSERT INTO executions(station_id,local_id,name,revision,date_text,time_text,"
               "execution_seconds,idle_seconds,point_count,message_count) VALUES('%1',999,'X','','','',"
               "0,0,0,0)")
               .arg(other);
    QTest::newRow("another station's heartbeat")
        << QStringLiteral(
               "INSERT INTO stations(station_id,name) VALUES('%1','X') ON CONFLICT(station_id) DO UPDATE "
               "SET name='X' RETURNING 1")
               .arg(other);
    QTest::newRow("another station's alert")
        << QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started) "
                          "VALUES('%1','k','idle','',now())")
               .arg(other);
    QTest::newRow("another station's stop")
        << QStringLiteral(
               "INSERT INTO stops(station_id,started,ended,open,reason,source,planned,note,change) "
               "VALUES('%1',now(),now(),false,'Break','operator',true,'',1)")
               .arg(other);
    QTest::newRow("delete the stops") << QStringLiteral("DELETE FROM stops");
    QTest::newRow("forge its kept figures")
        << QStringLiteral("UPDATE station_days SET executions=executions+1000 RETURNING 1");
    QTest::newRow("forge a day of figures")
        << QStringLiteral(
               "INSERT INTO station_days(station_id,day,executions) VALUES('%1','2020-01-01',1000)")
               .arg(a_station);
    QTest::newRow("another station's day")
        << QStringLiteral(
               "INSERT INTO station_days(station_id,day,scheduled_seconds) VALUES('%1','2020-01-01',1)")
               .arg(other);
    QTest::newRow("its own past day's scheduled time")
        << QStringLiteral(
               "INSERT INTO station_days(station_id,day,scheduled_seconds) VALUES('%1','2020-01-01',1)")
               .arg(a_station);
    QTest::newRow("more scheduled time than a day holds")
        << QStringLiteral("UPDATE station_days SET scheduled_seconds=1000000000000000 RETURNING 1");
    QTest::newRow("scheduled time below nothing")
        << QStringLiteral("UPDATE station_days SET scheduled_seconds=-1 RETURNING 1");
    QTest::newRow("forge the programs kept")
        << QStringLiteral("INSERT INTO station_day_programs VALUES('%1','2020-01-01','X',1,1,1,1,1,1,1)")
               .arg(a_station);
    QTest::newRow("read role passwords") << QStringLiteral("SELECT rolpassword FROM pg_authid");
    QTest::newRow("make a table") << QStringLiteral("CREATE TABLE mine(a integer)");
    QTest::newRow("drop the tables") << QStringLiteral("DROP TABLE executions");
    QTest::newRow("change a password") << QStringLiteral("ALTER ROLE quorvex_viewer PASSWORD 'mine'");
    QTest::newRow("say another station is silent")
        << QStringLiteral("SELECT quorvex_silence_start('%1','k','',now()::timestamp)").arg(other);
}

void TTestCentralRoles::Station_Login_May_Do_Nothing_Else()
{
    QFETCH(QString, statement);
    const TCentralSettings &a = d_setup.stations.at(QStringLiteral("CMM-A"));
    QSqlQuery query(Login(QStringLiteral("login-a"), a.User(), a.Password()));
    // Refused, or (another station's rows being out of its sight) touching nothing.
    const bool done = query.exec(statement);
    QVERIFY2(!done || (query.numRowsAffected() <= 0 && !query.next()), qPrintable(statement));
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions")), 60);
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM stations WHERE name='X'")), 0);
    QCOMPARE(
        d_server.Count(d_database, QStringLiteral("SELECT coalesce(sum(executions),0) FROM station_days")),
        60);
    QCOMPARE(d_server.Count(d_database,
                            QStringLiteral("SELECT count(*) FROM station_days WHERE day<'2021-01-01'")),
             0);
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM station_days WHERE "
                                                       "scheduled_seconds NOT BETWEEN 0 AND 90000")),
             0);
}

// Another station's rows of every kind are out of a station's sight: CMM B has
// some in each table (its alert made here), and CMM-A's login counts none.
void TTestCentralRoles::Station_Reads_Only_Its_Own_Rows_data()
{
    QTest::addColumn<QString>("table");
    for (const char *table :
         {"executions", "execution_messages", "stops", "alerts", "usage_periods", "stations", "station_days"})
        QTest::newRow(table) << QString::fromLatin1(table);
}

void TTestCentralRoles::Station_Reads_Only_Its_Own_Rows()
{
    QFETCH(QString, table);
    const QString other = d_setup.stations.at(QStringLiteral("CMM B")).Station_Id();
    QSqlQuery admin(d_server.Connection(d_database));
    QVERIFY(admin.exec(QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started) "
                                      "VALUES('%1','b-idle','idle','',now()) ON CONFLICT DO NOTHING")
                           .arg(other)));
    const QString count = QStringLiteral("SELECT count(*) FROM %1 WHERE station_id='%2'").arg(table, other);
    QVERIFY(d_server.Count(d_database, count) > 0);
    const TCentralSettings &a = d_setup.stations.at(QStringLiteral("CMM-A"));
    QSqlQuery query(Login(QStringLiteral("login-a"), a.User(), a.Password()));
    QVERIFY2(query.exec(count) && query.next(), qPrintable(query.lastError().text()));
    QCOMPARE(query.value(0).toInt(), 0);
}

// Were a station given the right to make temporary tables, one named as the
// logins' table would not make the owner's functions take it for another
// station: they look in temporary tables last.
void TTestCentralRoles::Temporary_Table_Speaks_For_No_One()
{
    const TCentralSettings &a = d_setup.stations.at(QStringLiteral("CMM-A"));
    const QString other = d_setup.stations.at(QStringLiteral("CMM B")).Station_Id();
    QSqlQuery admin(d_server.Connection(d_database));
    QVERIFY2(admin.exec(QStringLiteral("GRANT TEMPORARY ON DATABASE %1 TO %2").arg(d_database, a.User())),
             qPrintable(admin.lastError().text()));
    const auto revoke = qScopeGuard(
        [&]()
        { admin.exec(QStringLiteral("REVOKE TEMPORARY ON DATABASE %1 FROM %2").arg(d_database, a.User())); });
    QSqlQuery query(Login(QStringLiteral("login-a-temporary"), a.User(), a.Password()));
    QVERIFY2(query.exec(QStringLiteral("CREATE TEMP TABLE station_logins(login name, station_id text)")),
             qPrintable(query.lastError().text()));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO station_logins VALUES(session_user,'%1')").arg(other)));
    // Readable by the functions' owner, so that only where they look decides.
    QVERIFY2(query.exec(QStringLiteral("GRANT SELECT ON station_logins TO quorvex_owner")),
             qPrintable(query.lastError().text()));
    QVERIFY(query.exec(QStringLiteral("SELECT quorvex_login_station()")) && query.next());
    QCOMPARE(query.value(0).toString(), a.Station_Id());
    QVERIFY(!query.exec(
        QStringLiteral("INSERT INTO executions(station_id,local_id,name,revision,date_text,time_text,"
                       "execution_seconds,idle_seconds,point_count,message_count) "
                       "VALUES('%1',999,'X','','','',0,0,0,0)")
            .arg(other)));
    QVERIFY(query.exec(QStringLiteral("DROP TABLE station_logins")));
    QSqlDatabase::database(QStringLiteral("login-a-temporary"), false).close();
}

// The viewer, kept at every station, reads the fleet and writes nothing, not even a silence:
// a station's operator holding it cannot close another station's silence or plant one.
void TTestCentralRoles::Viewer_Only_Reads()
{
    const QString a = d_setup.stations.at(QStringLiteral("CMM-A")).Station_Id();
    QSqlQuery query(Login(QStringLiteral("login-viewer"), d_setup.viewer_user, d_setup.viewer_password));
    QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM executions")) && query.next());
    QCOMPARE(query.value(0).toInt(), 60);
    for (const QString &statement :
         {QStringLiteral("DELETE FROM alerts"),
          QStringLiteral("INSERT INTO stations(station_id,name) VALUES('v','v')"),
          QStringLiteral("UPDATE stations SET name='v'"), QStringLiteral("SELECT * FROM station_logins"),
          QStringLiteral("CREATE TABLE mine(a integer)"),
          QStringLiteral("SELECT quorvex_silence_start('%1','k','planted','2100-01-01')").arg(a),
          QStringLiteral("SELECT quorvex_silence_end('%1','k',now()::timestamp)").arg(a),
          QStringLiteral("SELECT * FROM quorvex_silence_end_open('%1',now()::timestamp)").arg(a)})
        QVERIFY2(!query.exec(statement), qPrintable(statement));

    TAlertSettings alerts;
    TFleetFeed feed(Viewer(), alerts);
    std::shared_ptr<const TFleetSnapshot> read;
    QString failure;
    connect(&feed, &TFleetFeed::Ready, this,
            [&read](std::shared_ptr<const TFleetSnapshot> snapshot) { read = snapshot; });
    connect(&feed, &TFleetFeed::Failed, this, [&failure](const QString &reason) { failure = reason; });
    feed.Read(QStringList(), QString(), 31);
    QTRY_VERIFY_WITH_TIMEOUT(read || !failure.isEmpty(), TIMEOUT_MSEC);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(int(read->stations.size()), 2);
}

// The watcher stores a silence only as the server knows it: after the station's last
// heartbeat, never later than now, ended after it began, heard again only at a heartbeat.
// It writes nothing else.
void TTestCentralRoles::Watcher_Stores_Only_Real_Silence()
{
    const QString a = d_setup.stations.at(QStringLiteral("CMM-A")).Station_Id();
    QSqlQuery admin(d_server.Connection(d_database));
    QVERIFY(admin.exec(QStringLiteral("UPDATE stations SET time_zone='UTC', utc_offset=0, heartbeat=now() "
                                      "WHERE station_id='%1'")
                           .arg(a)));
    QSqlQuery query(Login(QStringLiteral("login-watcher"), d_setup.watcher_user, d_setup.watcher_password));
    const auto call = [&](const QString &function, const QString &arguments)
    {
        const bool done =
            query.exec(QStringLiteral("SELECT %1('%2',%3)").arg(function, a, arguments)) && query.next();
        return done ? QVariant(query.value(0).toBool()) : QVariant(query.lastError().text());
    };
    const QString now = QDateTime::currentDateTimeUtc().toString(QStringLiteral("''yyyy-MM-dd HH:mm:ss''"));
    const QString past =
        QDateTime::currentDateTimeUtc().addSecs(-1800).toString(QStringLiteral("''yyyy-MM-dd HH:mm:ss''"));
    // Heard from just now: not silent half an hour ago.
    QCOMPARE(call(QStringLiteral("quorvex_silence_start"), QStringLiteral("'k','x',") + past),
             QVariant(false));
    QVERIFY(admin.exec(
        QStringLiteral("UPDATE stations SET heartbeat=now()-interval '1 hour' WHERE station_id='%1'")
            .arg(a)));
    QVERIFY(call(QStringLiteral("quorvex_silence_start"), QStringLiteral("'k','x','2100-01-01'"))
                .toString()
                .contains(QStringLiteral("later than now")));
    QCOMPARE(call(QStringLiteral("quorvex_silence_start"), QStringLiteral("'k','x',") + past),
             QVariant(true));
    QVERIFY(call(QStringLiteral("quorvex_silence_end"), QStringLiteral("'k','2000-01-01'"))
                .toString()
                .contains(QStringLiteral("before it started")));
    // Not heard again since: an open silence stays open.
    QVERIFY(
        query.exec(QStringLiteral("SELECT count(*) FROM quorvex_silence_end_open('%1',%2)").arg(a, now)) &&
        query.next());
    QCOMPARE(query.value(0).toInt(), 0);
    QCOMPARE(call(QStringLiteral("quorvex_silence_end"), QStringLiteral("'k',") + now), QVariant(true));
    for (const QString &statement :
         {QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started) "
                         "VALUES('%1','p','silent','',now())")
              .arg(a),
          QStringLiteral("UPDATE alerts SET ended=NULL"),
          QStringLiteral("UPDATE stations SET heartbeat=now()"), QStringLiteral("DELETE FROM alerts"),
          QStringLiteral("SELECT * FROM station_logins")})
        QVERIFY2(!query.exec(statement), qPrintable(statement));
    QVERIFY(admin.exec(QStringLiteral("DELETE FROM alerts WHERE station_id='%1'").arg(a)));
}

// A page read with the viewer's login shows a silent station as silent and stores nothing;
// the watcher's stores it and says it, once.
void TTestCentralRoles::Only_The_Watcher_Stores_A_Silence()
{
    const QString a = d_setup.stations.at(QStringLiteral("CMM-A")).Station_Id();
    TShiftCalendar always;
    for (int day = 1; day <= 7; ++day)
        always.Set_Shifts(day, {{QTime(0, 0), QTime()}});
    QSqlQuery admin(d_server.Connection(d_database));
    QVERIFY(admin.exec(
        QStringLiteral("UPDATE stations SET shift_calendar='%1', heartbeat=now()-interval '1 hour' "
                       "WHERE station_id='%2'")
            .arg(always.Line(), a)));
    TAlertSettings alerts;
    alerts.silent_minutes = 10;
    const auto read = [&](const TCentralSettings &settings, int *said) -> TStationActivity
    {
        TFleetFeed feed(settings, alerts);
        std::shared_ptr<const TFleetSnapshot> snapshot;
        connect(&feed, &TFleetFeed::Ready, this,
                [&](std::shared_ptr<const TFleetSnapshot> s) { snapshot = s; });
        connect(&feed, &TFleetFeed::Failed, this,
                [](const QString &reason) { qWarning("%s", qPrintable(reason)); });
        connect(&feed, &TFleetFeed::Alert, this, [said]() { ++*said; });
        feed.Read(QStringList(), QString(), 1);
        if (!QTest::qWaitFor([&]() { return bool(snapshot); }, TIMEOUT_MSEC))
            return TStationActivity::OFF;
        for (const TFleetSnapshot::TStation &station : snapshot->stations)
            if (station.id == a)
                return station.state;
        return TStationActivity::OFF;
    };
    const QString stored = QStringLiteral("SELECT count(*) FROM alerts WHERE kind='silent'");
    int said = 0;
    QCOMPARE(read(Viewer(), &said), TStationActivity::SILENT);
    QCOMPARE(said, 0);
    QCOMPARE(d_server.Count(d_database, stored), 0);
    TCentralSettings watcher = d_setup.stations.at(QStringLiteral("CMM-A"));
    watcher.Set_Watcher(d_setup.watcher_user, d_setup.watcher_password);
    QCOMPARE(read(watcher.Watcher(), &said), TStationActivity::SILENT);
    QCOMPARE(said, 1);
    QCOMPARE(d_server.Count(d_database, stored), 1);
    QVERIFY(admin.exec(QStringLiteral("DELETE FROM alerts WHERE station_id='%1'").arg(a)));
}

// Run again: a station added, one adopted by its id, nothing of the rows lost.
void TTestCentralRoles::Setup_Again_Adds_And_Keeps()
{
    const QString id = d_setup.stations.at(QStringLiteral("CMM-A")).Station_Id();
    TCentralSetup again;
    QVERIFY(again.Run(d_server, d_database, {QStringLiteral("CMM-A=") + id, QStringLiteral("CMM-C")}));
    QCOMPARE(again.stations.at(QStringLiteral("CMM-A")).Station_Id(), id);
    QVERIFY2(!again.output.contains(QStringLiteral("Password=") +
                                    d_setup.stations.at(QStringLiteral("CMM-A")).Password()),
             "a password is printed once");
    QVERIFY(again.viewer_password.isEmpty());
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions")), 60);
    const TCentralSettings &c = again.stations.at(QStringLiteral("CMM-C"));
    TCentralStation station(d_home->File_Path(QStringLiteral("CMM-C")), c);
    station.Store(3, QDateTime(QDate(2026, 12, 8), QTime(6, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM executions")),
                              63, TIMEOUT_MSEC);
}

// A station meets tables older than it knows and may not upgrade them: it says what to run.
void TTestCentralRoles::Older_Tables_Named_To_The_Station()
{
    QSqlQuery admin(d_server.Connection(d_database));
    QVERIFY(admin.exec(QStringLiteral("UPDATE quorvex_schema SET version=1")));
    const TCentralSettings &b = d_setup.stations.at(QStringLiteral("CMM B"));
    TCentralStation station(d_home->File_Path(QStringLiteral("older")), b);
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1,
                              TIMEOUT_MSEC);
    const QString line = station.d_said.filter(QStringLiteral("unreachable")).first();
    QVERIFY2(line.contains(
                 QStringLiteral("of version 1, older than this Quorvex (%1)").arg(TCentralSchema::VERSION)) &&
                 line.contains(QStringLiteral("scripts/central-setup")),
             qPrintable(line));
    QVERIFY(admin.exec(QStringLiteral("UPDATE quorvex_schema SET version=%1").arg(TCentralSchema::VERSION)));
}

QTEST_MAIN(TTestCentralRoles)
#include "tst_centralroles.moc"
