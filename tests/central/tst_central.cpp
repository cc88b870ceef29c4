#include "src/alerts/stationalerts.h"
#include "src/central/central.h"
#include "src/central/forwarder.h"
#include "src/centraldb/centralschema.h"
#include "src/centraldb/centralsettings.h"
#include "src/database/database.h"
#include "src/database/stoprecord.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/recorder.h"
#include "tests/support/centralstation.h"
#include "tests/support/hostiletexts.h"
#include "tests/support/postgresserver.h"
#include "tests/support/testhome.h"

#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <memory>

namespace
{
const int FORWARD_TIMEOUT_MSEC = 30000;

// Every row of the station's own tables, as text: what a central fault must leave as it was.
QStringList Local_Rows(const QString &file)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("local-rows"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery query(db);
        for (const char *table : {"program", "program_data", "program_message", "usage"})
        {
            query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table)));
            while (query.next())
            {
                QStringList cells{QLatin1String(table)};
                for (int i = 0; i < query.record().count(); ++i)
                    cells << query.value(i).toString();
                rows << cells.join(QLatin1Char('|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("local-rows"));
    return rows;
}
} // namespace

// Stations forward what they store to a real PostgreSQL server of the test's
// own, through faults of the network and the server.
class TTestCentral : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Forwards_Executions_Usage_And_State();
    void Forwards_In_Order_And_Texts_As_Stored();
    void Sent_Again_Doubles_Nothing();
    void Stations_Write_At_Once();
    void Server_Stopped_Mid_Shift();
    void Connection_Cut_Mid_Transaction();
    void Bad_Settings_Lose_Nothing_data();
    void Bad_Settings_Lose_Nothing();
    void Newer_Schema_Is_Refused();
    void Station_Alerts_Arrive();
    void Stops_Arrive_And_Follow_Their_Changes();
    void Refused_Row_Holds_Up_Nothing();

private:
    QString New_Database() { return d_server.New_Database(); }
    // A station of its own database that stored the hostile texts and 300
    // executions more, a usage period, and executes BRACKET; all forwarded.
    std::unique_ptr<TCentralStation> Forwarded_Station(const QString &database);
    // A station CMM1 of DATABASE that stored COUNT executions from Monday 06:00, all of them forwarded.
    std::unique_ptr<TCentralStation> Station_That_Forwarded(const QString &database, int count);

    TPostgresServer d_server;
    std::unique_ptr<TTestHome> d_home;
};

void TTestCentral::init()
{
    d_home.reset(new TTestHome);
    QVERIFY(d_home->Is_Valid());
}

void TTestCentral::cleanup()
{
    d_home.reset();
}

namespace
{
const int EXTRA_EXECUTIONS = 300;
int Stored()
{
    return THostileTexts::All().size() + EXTRA_EXECUTIONS;
}
QString Of_Station(const TCentralStation &station)
{
    return QStringLiteral(" WHERE station_id='%1'").arg(station.Id());
}
} // namespace

std::unique_ptr<TCentralStation> TTestCentral::Station_That_Forwarded(const QString &database, int count)
{
    auto station = std::make_unique<TCentralStation>(d_home->File_Path(QStringLiteral("cmm1")),
                                                     d_server.Settings(database, QStringLiteral("CMM1")));
    station->Store(count, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    const bool forwarded = QTest::qWaitFor(
        [&]()
        { return d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")) == count; },
        FORWARD_TIMEOUT_MSEC);
    return forwarded ? std::move(station) : nullptr;
}

std::unique_ptr<TCentralStation> TTestCentral::Forwarded_Station(const QString &database)
{
    auto station = std::make_unique<TCentralStation>(d_home->File_Path(QStringLiteral("cmm1")),
                                                     d_server.Settings(database, QStringLiteral("CMM1")));
    const QStringList texts = THostileTexts::All();
    const QDateTime start(QDate(2026, 12, 7), QTime(6, 0));
    for (int i = 0; i < texts.size(); ++i)
    {
        TExecution item;
        item.Set_Name(texts.at(i));
        item.Set_Revision(texts.value(i + 1));
        item.Set_Date_Time(start.addSecs(i));
        item.Set_Execution_Time(100 + i);
        item.Add_Error_Message(texts.at(i));
        item.Add_Error_Message(texts.value(i + 2));
        station->Store(item);
    }
    station->Store(EXTRA_EXECUTIONS, start.addDays(1));
    if (station->d_journal->Add_Usage(TDatabase::MONITOR_TIME, 3600) != TPendingJournal::WRITTEN)
    {
        qWarning("the usage period was not written: %s", qPrintable(station->d_journal->Last_Error()));
        return nullptr;
    }
    station->d_recorder->Switch_On();
    station->d_recorder->Attached();
    station->d_recorder->Program_Opened(QStringLiteral("BRACKET"), QStringLiteral("B"), true);
    station->d_recorder->Execution_Started();
    const QString of_station = Of_Station(*station);
    const bool forwarded = QTest::qWaitFor(
        [&]()
        {
            return d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions") + of_station) ==
                       Stored() &&
                   station->d_waiting == 0;
        },
        FORWARD_TIMEOUT_MSEC);
    if (!forwarded)
        qWarning("not all forwarded: %d waiting; said: %s", station->d_waiting,
                 qPrintable(station->d_said.join(QStringLiteral(" / "))));
    return forwarded ? std::move(station) : nullptr;
}

void TTestCentral::Forwards_Executions_Usage_And_State()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    const std::unique_ptr<TCentralStation> station = Forwarded_Station(database);
    QVERIFY(station);
    const QString of_station = Of_Station(*station);
    QTRY_COMPARE_WITH_TIMEOUT(
        d_server.Count(database, QStringLiteral("SELECT sum(seconds) FROM usage_periods") + of_station), 3600,
        FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(
        d_server.Count(database, QStringLiteral("SELECT count(*) FROM stations WHERE state='executing' AND "
                                                "program='BRACKET' AND name='CMM1'")),
        1, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(station->Said(QStringLiteral("WAR:  Central database unreachable")), 0);
    // Asked for no encryption (the test's server has none here): said once.
    QCOMPARE(station->Said(QStringLiteral("WAR:  The connection to the central database is not encrypted (")),
             1);
}

// In the order stored, and every text as stored (a zero character as U+FFFD).
void TTestCentral::Forwards_In_Order_And_Texts_As_Stored()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    const std::unique_ptr<TCentralStation> station = Forwarded_Station(database);
    QVERIFY(station);
    const QStringList texts = THostileTexts::All();
    QSqlQuery query(d_server.Connection(database));
    QVERIFY(query.exec(
        QStringLiteral("SELECT local_id,name,revision,execution_seconds,message_count FROM executions") +
        Of_Station(*station) + QStringLiteral(" ORDER BY arrival")));
    qint64 previous = 0;
    int row = 0;
    while (query.next())
    {
        QVERIFY(query.value(0).toLongLong() > previous);
        previous = query.value(0).toLongLong();
        if (row < texts.size())
        {
            QString name = texts.at(row);
            name.replace(QChar(0), QChar(0xFFFD));
            QCOMPARE(query.value(1).toString(), name);
            QCOMPARE(query.value(3).toInt(), 100 + row);
            QCOMPARE(query.value(4).toInt(), 2);
        }
        ++row;
    }
    QCOMPARE(row, Stored());
    QVERIFY(query.exec(QStringLiteral("SELECT message FROM execution_messages") + Of_Station(*station) +
                       QStringLiteral(" AND local_id=3 AND position=0")) &&
            query.next());
    QCOMPARE(query.value(0).toString(), texts.at(2));
}

// A station killed after the central commit and before noting its progress
// sends it all again: nothing doubles.
void TTestCentral::Sent_Again_Doubles_Nothing()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    std::unique_ptr<TCentralStation> station = Forwarded_Station(database);
    QVERIFY(station);
    QTRY_COMPARE_WITH_TIMEOUT(
        d_server.Count(database, QStringLiteral("SELECT sum(seconds) FROM usage_periods")), 3600,
        FORWARD_TIMEOUT_MSEC);
    const TCentralSettings same = station->d_central->Settings();
    const QString folder = station->d_folder;
    station.reset();
    {
        QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("progress"));
        local.setDatabaseName(folder + QStringLiteral("/database.db"));
        QVERIFY(local.open());
        QSqlQuery reset(local);
        QVERIFY2(reset.exec(QStringLiteral("UPDATE central_progress SET last_id=0")),
                 qPrintable(reset.lastError().text()));
        QVERIFY(reset.numRowsAffected() >= 2);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("progress"));
    TCentralStation again(folder, same);
    QTRY_VERIFY_WITH_TIMEOUT(again.d_cycles >= 2 && again.d_waiting == 0, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")), Stored());
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM execution_messages")),
             2 * THostileTexts::All().size() + EXTRA_EXECUTIONS / 2);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT sum(seconds) FROM usage_periods")), 3600);
}

void TTestCentral::Stations_Write_At_Once()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    // A fresh database: the three make its tables at the same moment.
    const QString database = New_Database();
    std::vector<std::unique_ptr<TCentralStation>> stations;
    for (int i = 1; i <= 3; ++i)
        stations.emplace_back(
            new TCentralStation(d_home->File_Path(QStringLiteral("cmm%1").arg(i)),
                                d_server.Settings(database, QStringLiteral("CMM%1").arg(i))));
    for (int round = 0; round < 4; ++round)
        for (auto &station : stations)
            station->Store(50, QDateTime(QDate(2026, 12, 7), QTime(6 + round, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")),
                              600, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM quorvex_schema")), 1);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM stations")), 3);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(DISTINCT local_id) FROM executions")),
             200);
    // In order per station: arrival follows the local key.
    QCOMPARE(d_server.Count(
                 database,
                 QStringLiteral("SELECT count(*) FROM (SELECT local_id, lag(local_id) OVER (PARTITION BY "
                                "station_id ORDER BY arrival) AS before FROM executions) AS ordered "
                                "WHERE before >= local_id")),
             0);
    for (auto &station : stations)
        QCOMPARE(station->Said(QStringLiteral("WAR:  Central database unreachable")), 0);
}

void TTestCentral::Server_Stopped_Mid_Shift()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    if (TPostgresServer::External())
        QSKIP("the server runs outside this test (under Wine, on the Linux side): it is not the test's to "
              "stop");
    const QString database = New_Database();
    const std::unique_ptr<TCentralStation> forwarding = Station_That_Forwarded(database, 20);
    QVERIFY(forwarding);
    TCentralStation &station = *forwarding;
    const QDateTime start(QDate(2026, 12, 7), QTime(6, 0));

    QVERIFY2(d_server.Stop(), qPrintable(d_server.Last_Error()));
    station.Store(30, start.addSecs(3600));
    QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 30, FORWARD_TIMEOUT_MSEC);
    // Said once, however often forwarding tries again meanwhile.
    const int cycles = station.d_cycles;
    QTRY_VERIFY_WITH_TIMEOUT(station.d_cycles >= cycles + 3, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1);
    QCOMPARE(station.d_waiting_text, QStringLiteral("Central: 30 executions waiting"));
    const QStringList local = Local_Rows(station.File());
    QCOMPARE(local.filter(QStringLiteral("program|")).size(), 50);

    QVERIFY2(d_server.Start(), qPrintable(d_server.Last_Error()));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")), 50,
                              FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("INF:  Central database reachable again")), 1,
                              FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 0, FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE(station.d_waiting_text, QString());
    QCOMPARE(Local_Rows(station.File()), local);
}

void TTestCentral::Connection_Cut_Mid_Transaction()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    const std::unique_ptr<TCentralStation> forwarding = Station_That_Forwarded(database, 1);
    QVERIFY(forwarding);
    TCentralStation &station = *forwarding;
    const QDateTime start(QDate(2026, 12, 7), QTime(6, 0));

    // The test holds the table, so the station's next batch waits inside its
    // transaction; its connection is then ended by the server.
    QSqlDatabase admin =
        QSqlDatabase::cloneDatabase(d_server.Connection(database), QStringLiteral("test-central-hold"));
    QVERIFY(admin.open());
    QSqlQuery hold(admin);
    QVERIFY(admin.transaction());
    QVERIFY2(hold.exec(QStringLiteral("LOCK TABLE executions IN ACCESS EXCLUSIVE MODE")),
             qPrintable(hold.lastError().text()));
    station.Store(40, start.addSecs(3600));
    QSqlDatabase watcher = d_server.Connection(QStringLiteral("postgres"));
    const QString waiting_backend =
        QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name='Quorvex' "
                       "AND wait_event_type='Lock' AND datname='%1'")
            .arg(database);
    QTRY_COMPARE_WITH_TIMEOUT(
        d_server.Count(QStringLiteral("postgres"),
                       QStringLiteral("SELECT count(*) FROM (") + waiting_backend + QStringLiteral(") AS w")),
        1, FORWARD_TIMEOUT_MSEC);
    QSqlQuery cut(watcher);
    QVERIFY2(cut.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM (") + waiting_backend +
                      QStringLiteral(") AS w")),
             qPrintable(cut.lastError().text()));
    QVERIFY(admin.rollback());

    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")), 41,
                              FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 0, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(DISTINCT local_id) FROM executions")), 41);
    QCOMPARE(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1);
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("INF:  Central database reachable again")), 1,
                              FORWARD_TIMEOUT_MSEC);
}

void TTestCentral::Bad_Settings_Lose_Nothing_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("said");
    QTest::addColumn<bool>("open_password_file");
    QTest::newRow("wrong password") << QString() << QStringLiteral("wrong")
                                    << QStringLiteral("password authentication failed") << false;
    QTest::newRow("unknown host") << QStringLiteral("no-such-host.invalid") << QString()
                                  << QStringLiteral("no-such-host.invalid") << false;
#ifndef Q_OS_WIN
    // The right password, in a file anyone may read.
    QTest::newRow("password file open to others")
        << QString() << QString() << QStringLiteral("may be read by others than its owner; it is not used")
        << true;
#endif
}

void TTestCentral::Bad_Settings_Lose_Nothing()
{
    QFETCH(QString, host);
    QFETCH(QString, password);
    QFETCH(QString, said);
    QFETCH(bool, open_password_file);
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    TCentralSettings settings = d_server.Settings(database, QStringLiteral("CMM1"));
    if (!host.isEmpty())
        settings.Set_Host(host);
    if (open_password_file)
    {
        QFile file(d_home->File_Path(QStringLiteral("pgpass")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("*:*:*:*:" + TPostgresServer::PASSWORD.toUtf8() + "\n");
        file.close();
        QVERIFY(
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        settings.Set_Password(QString());
        settings.Set_Password_File(file.fileName());
    }
    if (!password.isEmpty())
        settings.Set_Password(password);
    TCentralStation station(d_home->File_Path(QStringLiteral("cmm1")), settings);
    station.Store(12, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 12, FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1,
                              FORWARD_TIMEOUT_MSEC);
    const QString line = station.d_said.filter(QStringLiteral("unreachable")).first();
    QVERIFY2(line.contains(said), qPrintable(line));
    QVERIFY2(!line.contains(TPostgresServer::PASSWORD), qPrintable(line));
    QCOMPARE(Local_Rows(station.File()).filter(QStringLiteral("program|")).size(), 12);
    QCOMPARE(d_server.Count(database,
                            QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename='executions'")),
             0);
}

void TTestCentral::Newer_Schema_Is_Refused()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    QSqlQuery query(d_server.Connection(database));
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE quorvex_schema(version integer NOT NULL)")));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO quorvex_schema VALUES(99)")));
    TCentralStation station(d_home->File_Path(QStringLiteral("cmm1")),
                            d_server.Settings(database, QStringLiteral("CMM1")));
    station.Store(3, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(
        station.Said(QStringLiteral("ERR:  The central database's tables are of version 99, "
                                    "newer than this Quorvex knows (%1)")
                         .arg(TCentralSchema::VERSION)),
        1, FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 3, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database,
                            QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename='executions'")),
             0);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT max(version) FROM quorvex_schema")), 99);
}

// The station's own alerts, judged between forwarding cycles as they always
// are, are noted in its file and reach the central table, started and resolved.
void TTestCentral::Station_Alerts_Arrive()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    TCentralStation station(d_home->File_Path(QStringLiteral("alerting")),
                            d_server.Settings(database, QStringLiteral("CMM1")));
    TAlertSettings settings;
    settings.message_count = 2;
    TShiftCalendar calendar;
    QVector<TShiftCalendar::TShift> shifts;
    TShiftCalendar::Parse(QStringLiteral("06:00-22:00"), &shifts);
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, shifts);
    TStationAlerts alerts(settings, calendar, station.d_recorder.get(), &station.d_clock,
                          QStringLiteral("CMM1"));
    connect(&alerts, &TStationAlerts::Alert, station.d_central.get(), &TCentral::Record_Alert);
    // Between cycles: the first has ended before anything is judged.
    QTRY_VERIFY_WITH_TIMEOUT(station.d_cycles > 0, FORWARD_TIMEOUT_MSEC);

    TRecorder *recorder = station.d_recorder.get();
    recorder->Switch_On();
    recorder->Attached();
    recorder->Program_Opened(QStringLiteral("BRACKET"), QStringLiteral("A"), true);
    recorder->Execution_Started();
    for (int i = 0; i < 3; ++i)
        recorder->Machine_Event(QStringLiteral("ErrorMsg"), QStringLiteral("Probe hit unexpected %1").arg(i));
    recorder->Execution_Ended();
    station.d_clock.Advance(31 * 60 * 1000);
    alerts.Advance();
    recorder->Execution_Started();

    const QString ended = QStringLiteral(
        "SELECT count(*) FROM alerts WHERE kind='%1' AND ended IS NOT NULL AND station_id='%2'");
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, ended.arg(QStringLiteral("messages"), station.Id())),
                              1, FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, ended.arg(QStringLiteral("idle"), station.Id())), 1,
                              FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM alerts")), 2);
    QCOMPARE(station.Said(QStringLiteral("WAR:  Central database unreachable")), 0);
}

// A stop arrives when stored, again when classified, and a batch sent again
// (progress lost) neither doubles it nor takes back its reason.
void TTestCentral::Stops_Arrive_And_Follow_Their_Changes()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    TCentralStation station(d_home->File_Path(QStringLiteral("stopping")),
                            d_server.Settings(database, QStringLiteral("CMM1")));
    TStopRecord stop;
    stop.started = QDateTime(QDate(2026, 12, 7), QTime(9, 0)).toUTC();
    stop.ended = stop.started.addSecs(600);
    stop.open = true;
    QCOMPARE(station.d_journal->Put_Stop(stop), TPendingJournal::WRITTEN);
    station.d_central->Wake();
    const QString open =
        QStringLiteral("SELECT count(*) FROM stops WHERE open AND reason='' AND started='%1'")
            .arg(QDateTime(QDate(2026, 12, 7), QTime(9, 0)).toString(Qt::ISODate));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, open), 1, FORWARD_TIMEOUT_MSEC);

    stop.open = false;
    stop.ended = stop.started.addSecs(1200);
    stop.reason = QStringLiteral("Waiting for parts'); DROP TABLE stops; --");
    stop.source = TStopRecord::OPERATOR;
    QCOMPARE(station.d_journal->Put_Stop(stop), TPendingJournal::WRITTEN);
    station.d_central->Wake();
    const QString classified =
        QStringLiteral("SELECT count(*) FROM stops WHERE NOT open AND source='operator' AND "
                       "reason LIKE 'Waiting for parts''); DROP%' AND ended-started='20 min'");
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, classified), 1, FORWARD_TIMEOUT_MSEC);

    {
        // The station's file, as another program on the machine would change it (waiting for its lock).
        const auto forget =
            qScopeGuard([]() { QSqlDatabase::removeDatabase(QStringLiteral("progress_lost")); });
        QSqlDatabase file =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("progress_lost"));
        file.setDatabaseName(station.File());
        file.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        QVERIFY(file.open());
        QSqlQuery query(file);
        QVERIFY2(query.exec(QStringLiteral("DELETE FROM central_progress WHERE kind='stops'")),
                 qPrintable(query.lastError().text()));
    }
    const int cycles = station.d_cycles;
    station.d_central->Wake();
    QTRY_VERIFY_WITH_TIMEOUT(station.d_cycles > cycles + 1, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, classified), 1);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM stops")), 1);
}

// A rule of the administrator's refuses one execution: it is left out, saying
// so once, and those behind it and after it arrive; without this, the batch
// failed on every cycle and nothing more was forwarded.
void TTestCentral::Refused_Row_Holds_Up_Nothing()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    TCentralStation station(d_home->File_Path(QStringLiteral("refused")),
                            d_server.Settings(database, QStringLiteral("CMM1")));
    station.Store(1, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    const QString count = QStringLiteral("SELECT count(*) FROM executions");
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, count), 1, FORWARD_TIMEOUT_MSEC);
    QSqlQuery admin(d_server.Connection(database));
    QVERIFY2(
        admin.exec(QStringLiteral("ALTER TABLE executions ADD CONSTRAINT no_part_3 CHECK (name<>'PART_3')")),
        qPrintable(admin.lastError().text()));
    station.Store(10, QDateTime(QDate(2026, 12, 7), QTime(7, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, count), 10, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(station.Said(
                 QStringLiteral("WAR:  The central database refused a row (local key 5); it is left out: ")),
             1);
    QCOMPARE(station.Said(QStringLiteral("WAR:  Central database unreachable")), 0);
    station.Store(2, QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, count), 12, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions WHERE name='PART_3'")),
             0);
}

QTEST_MAIN(TTestCentral)
#include "tst_central.moc"
