#include "src/central/central.h"
#include "src/central/forwarder.h"
#include "src/centraldb/centralsettings.h"
#include "src/common/leftthreads.h"
#include "src/fleet/fleetfeed.h"
#include "tests/support/centralstation.h"
#include "tests/support/postgresserver.h"
#include "tests/support/stallingproxy.h"
#include "tests/support/testcertificates.h"
#include "tests/support/testhome.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace
{
const int FORWARD_TIMEOUT_MSEC = 30000;
} // namespace

// The link to the central database as a plant's network and IT meet it: the
// password kept protected, a link gone silent, a station cut inside a
// transaction, and encryption with the server checked.
class TTestCentralLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Link_Gone_Silent();
    void Reader_Left_Behind_Ends();
    void Cut_Station_Holds_No_One_Up();
    void Encrypted_And_The_Server_Checked_data();
    void Encrypted_And_The_Server_Checked();

private:
    QString New_Database() { return d_server.New_Database(); }
    // A new database with the tables and one execution of station CMM1 in
    // them; empty when it could not be forwarded.
    QString Room_Of_One_Station();

    TPostgresServer d_server;
    std::unique_ptr<TTestHome> d_home;
};

QString TTestCentralLink::Room_Of_One_Station()
{
    const QString database = New_Database();
    TCentralStation station(d_home->File_Path(QStringLiteral("room")),
                            d_server.Settings(database, QStringLiteral("CMM1")));
    station.Store(1, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    return QTest::qWaitFor([&station]() { return station.d_waiting == 0; }, FORWARD_TIMEOUT_MSEC) ? database
                                                                                                  : QString();
}

void TTestCentralLink::init()
{
    d_home.reset(new TTestHome);
    QVERIFY(d_home->Is_Valid());
}

void TTestCentralLink::cleanup()
{
    d_home.reset();
}

// A link that goes silent after the station connected (nothing refused,
// nothing answered): the panel says so once, the status bar counts what
// waits, all of it is sent once when the link is back, and closing does not
// wait for the network.
void TTestCentralLink::Link_Gone_Silent()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = New_Database();
    TStallingProxy proxy(d_server.Port());
    QVERIFY(proxy.Listen());
    TCentralSettings settings = d_server.Settings(database, QStringLiteral("CMM1"));
    settings.Set_Host(QStringLiteral("127.0.0.1"));
    settings.Set_Port(proxy.Port());
    TCentralStation station(d_home->File_Path(QStringLiteral("silent")), settings);
    station.d_central->Set_Answer_Limit(2000);
    const QString count =
        QStringLiteral("SELECT count(*) FROM executions WHERE station_id='%1'").arg(station.Id());
    const QDateTime start(QDate(2026, 12, 7), QTime(6, 0));
    station.Store(5, start);
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, count), 5, FORWARD_TIMEOUT_MSEC);
    // Held between cycles: a commit whose answer is still on its way would leave the rows waiting here too.
    const int cycles = station.d_cycles;
    QTRY_VERIFY_WITH_TIMEOUT(station.d_cycles > cycles && station.d_waiting == 0, FORWARD_TIMEOUT_MSEC);

    proxy.Hold();
    QElapsedTimer silent;
    silent.start();
    station.Store(3, start.addDays(1));
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1,
                              FORWARD_TIMEOUT_MSEC);
    qInfo("unreachable said %lld ms after the link went silent (limit 2000 ms)", silent.elapsed());
    QTRY_COMPARE(station.d_waiting_text, QStringLiteral("Central: 3 executions waiting"));
    QVERIFY2(station.d_said.last().endsWith(QStringLiteral(": no answer for 2 s")),
             qPrintable(station.d_said.last()));

    proxy.Release();
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(database, count), 8, FORWARD_TIMEOUT_MSEC);
    QTRY_COMPARE(station.Said(QStringLiteral("INF:  Central database reachable again")), 1);
    QTRY_COMPARE(station.d_waiting_text, QString());
    QCOMPARE(station.Said(QStringLiteral("WAR:  Central database unreachable")), 1);

    // Silent again, and the window closes while a request waits.
    proxy.Hold();
    station.Store(1, start.addDays(2));
    QTRY_VERIFY(station.d_central->Forwarder()->Busy_Since() != 0 &&
                QDateTime::currentMSecsSinceEpoch() - station.d_central->Forwarder()->Busy_Since() > 500);
    QElapsedTimer closing;
    closing.start();
    station.d_central->Stop();
    qInfo("closing waited %lld ms on the silent link", closing.elapsed());
    QVERIFY2(closing.elapsed() < 3 * TCentralSettings::CLOSE_LIMIT_MSEC,
             qPrintable(QString::number(closing.elapsed())));
    // The thread left behind ends by itself with the link still silent: its socket was shut.
    QElapsedTimer ending;
    ending.start();
    QTRY_COMPARE_WITH_TIMEOUT(TLeftThreads::Running(), 0, 5000);
    qInfo("the thread left behind ended %lld ms after the close", ending.elapsed());
    proxy.Release();
}

// A station cut inside a transaction leaves its session idle in it, holding
// its locks: a station that connects meanwhile makes nothing of the tables
// (they are of its version) and so waits for none of them.
void TTestCentralLink::Cut_Station_Holds_No_One_Up()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    const QString database = Room_Of_One_Station();
    QVERIFY(!database.isEmpty());
    QSqlDatabase session = QSqlDatabase::cloneDatabase(d_server.Connection(database), QStringLiteral("cut"));
    QVERIFY(session.open());
    QSqlQuery cut(session);
    QVERIFY(cut.exec(QStringLiteral("BEGIN")));
    QVERIFY(cut.exec(
        QStringLiteral("INSERT INTO executions(station_id,local_id,name,revision,date_text,time_text,"
                       "execution_seconds,idle_seconds,point_count,message_count) VALUES('cut',1,'X',"
                       "'','','',0,0,0,0)")));
    QVERIFY(cut.exec(QStringLiteral("UPDATE stations SET program='held'")));

    TCentralStation next(d_home->File_Path(QStringLiteral("next")),
                         d_server.Settings(database, QStringLiteral("CMM2")));
    next.Store(3, QDateTime(QDate(2026, 12, 7), QTime(7, 0)));
    QTRY_COMPARE_WITH_TIMEOUT(next.d_waiting, 0, FORWARD_TIMEOUT_MSEC);
    QCOMPARE(next.Said(QStringLiteral("WAR:  Central database unreachable")), 0);
    QCOMPARE(
        d_server.Count(database, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE state='idle in "
                                                "transaction'")),
        1);
    QVERIFY(cut.exec(QStringLiteral("ROLLBACK")));
    cut = QSqlQuery();
    session.close();
    session = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("cut"));
}

void TTestCentralLink::Encrypted_And_The_Server_Checked_data()
{
    QTest::addColumn<QString>("authority");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("the server's authority")
        << QStringLiteral("ca") << QStringLiteral("127.0.0.1") << QString();
    QTest::newRow("another authority") << QStringLiteral("other") << QStringLiteral("127.0.0.1")
                                       << QStringLiteral("certificate verify failed");
    QTest::newRow("another host name") << QStringLiteral("ca") << QStringLiteral("localhost")
                                       << QStringLiteral("does not match host name \"localhost\"");
}

// With the authority's certificate the connection is encrypted and the server
// checked against it: the right one connects, a wrong authority or host name
// is refused, saying why.
void TTestCentralLink::Encrypted_And_The_Server_Checked()
{
    QFETCH(QString, authority);
    QFETCH(QString, host);
    QFETCH(QString, refusal);
    QUORVEX_REQUIRE_SERVER(d_server);
    if (TPostgresServer::External() && TTestCertificates::Made_For_The_Run().isEmpty())
        QSKIP("the server runs outside this test without TLS: it is not the test's to reconfigure");
    QString ca;
    QString other;
    QVERIFY2(d_server.Enable_Ssl(&ca, &other), qPrintable(d_server.Last_Error()));
    const QString database = New_Database();
    TCentralSettings settings = d_server.Settings(database, QStringLiteral("CMM1"));
    settings.Set_Host(host);
    settings.Set_Ssl_Root_Cert(authority == QLatin1String("ca") ? ca : other);
    {
        // Read as a station reads it: verify-full is the mode the certificate brings.
        QSettings ini(d_home->File_Path(QStringLiteral("tls.ini")), QSettings::IniFormat);
        settings.Write(&ini);
        ini.remove(QStringLiteral("Central/SSL_Mode"));
        settings.Read(&ini);
        QCOMPARE(settings.Ssl_Mode(), QStringLiteral("verify-full"));
    }
    TCentralStation station(d_home->File_Path(QStringLiteral("tls-") + authority + host), settings);
    station.Store(2, QDateTime(QDate(2026, 12, 7), QTime(6, 0)));
    if (refusal.isEmpty())
    {
        QTRY_COMPARE_WITH_TIMEOUT(station.d_waiting, 0, FORWARD_TIMEOUT_MSEC);
        QCOMPARE(station.Said(QStringLiteral("WAR:")), 0);
        QCOMPARE(d_server.Count(database, QStringLiteral("SELECT count(*) FROM executions")), 2);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(station.Said(QStringLiteral("WAR:  Central database unreachable: ")), 1,
                              FORWARD_TIMEOUT_MSEC);
    QVERIFY2(station.d_said.last().contains(refusal), qPrintable(station.d_said.last()));
}

// The Fleet page's reader, caught in a read on a silent link when the window
// closes: the close waits about two seconds, and the reader left behind ends
// at once, its socket shut.
void TTestCentralLink::Reader_Left_Behind_Ends()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    // A fleet to read, so that the reader's connection stays open between reads.
    const QString database = Room_Of_One_Station();
    QVERIFY(!database.isEmpty());
    TStallingProxy proxy(d_server.Port());
    QVERIFY(proxy.Listen());
    TCentralSettings settings = d_server.Settings(database, QStringLiteral("VIEWER"));
    settings.Set_Host(QStringLiteral("127.0.0.1"));
    settings.Set_Port(proxy.Port());
    auto feed = std::make_unique<TFleetFeed>(settings, TAlertSettings());
    int read = 0;
    connect(feed.get(), &TFleetFeed::Ready, this, [&read]() { ++read; });
    feed->Read({}, QString(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(read, 1, FORWARD_TIMEOUT_MSEC);
    proxy.Hold();
    feed->Read({}, QString(), 1);
    QTRY_VERIFY(proxy.Held_Requests() > 0);
    QElapsedTimer closing;
    closing.start();
    feed.reset();
    // Caught indeed: the close waited its limit, and no more.
    QVERIFY2(closing.elapsed() >= TCentralSettings::CLOSE_LIMIT_MSEC - 100 &&
                 closing.elapsed() < 3 * TCentralSettings::CLOSE_LIMIT_MSEC,
             qPrintable(QString::number(closing.elapsed())));
    QElapsedTimer ending;
    ending.start();
    QTRY_COMPARE_WITH_TIMEOUT(TLeftThreads::Running(), 0, 5000);
    qInfo("the reader left behind ended %lld ms after the close", ending.elapsed());
    proxy.Release();
}

QTEST_MAIN(TTestCentralLink)
#include "tst_centrallink.moc"
