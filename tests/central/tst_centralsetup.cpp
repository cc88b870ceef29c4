#include "tests/support/centralsetup.h"
#include "tests/support/centralstation.h"
#include "tests/support/postgresserver.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace
{
const int TIMEOUT_MSEC = 30000;
}

// The administrator's setup of the central database as a plant's security
// officer reads it: what it sends, what it refuses, and what it leaves to
// the stations, checked against the real server.
class TTestCentralSetup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void Passwords_Never_In_The_Open();
    void Names_That_Share_A_Login_Refused();
    void Name_And_Group_Are_The_Setups();

private:
    QString Query(const QString &statement);

    TPostgresServer d_server;
    std::unique_ptr<TTestHome> d_home;
    TCentralSetup d_setup;
    const QString d_database = QStringLiteral("plant");
    // Every command line psql was given during the first setup.
    QString d_arguments;
};

QString TTestCentralSetup::Query(const QString &statement)
{
    QSqlQuery query(d_server.Connection(d_database));
    if (!query.exec(statement) || !query.next())
        return QStringLiteral("(failed: %1)").arg(query.lastError().text());
    return query.value(0).toString();
}

// The first setup, with the server logging every statement the administrator's
// sessions send, and psql found first as a program that writes down its
// command line before it runs the real one.
void TTestCentralSetup::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("the setup is a script the administrator runs beside the server, on its system");
#endif
    QUORVEX_REQUIRE_SERVER(d_server);
    d_home = std::make_unique<TTestHome>();
    const QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    QVERIFY2(!psql.isEmpty(), "psql is not installed");
    QVERIFY(d_server.Create_Database(QStringLiteral("logging")));
    QSqlQuery admin(d_server.Connection(QStringLiteral("logging")));
    QVERIFY2(
        admin.exec(QStringLiteral("ALTER ROLE %1 SET log_statement = 'all'").arg(TPostgresServer::ADMIN)),
        qPrintable(admin.lastError().text()));
    const QString shims = d_home->File_Path(QStringLiteral("shims"));
    QVERIFY(QDir().mkpath(shims));
    QFile shim(shims + QStringLiteral("/psql"));
    QVERIFY(shim.open(QIODevice::WriteOnly));
    shim.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '%1'\nexec '%2' \"$@\"\n")
                   .arg(d_home->File_Path(QStringLiteral("arguments")), psql)
                   .toUtf8());
    shim.close();
    QVERIFY(shim.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(d_setup.Run(d_server, d_database,
                        {QStringLiteral("CMM-A"), QStringLiteral("--group"), QStringLiteral("Plant  2 "),
                         QStringLiteral("CMM B")},
                        shims));
    QFile arguments(d_home->File_Path(QStringLiteral("arguments")));
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    d_arguments = QString::fromUtf8(arguments.readAll());
    QVERIFY(admin.exec(QStringLiteral("ALTER ROLE %1 RESET log_statement").arg(TPostgresServer::ADMIN)));
}

// No password made by the setup is in a command line or in the server's log of
// statements: the server was sent verifiers, and each login works with its password.
void TTestCentralSetup::Passwords_Never_In_The_Open()
{
    QVERIFY2(d_arguments.contains(QStringLiteral("ON_ERROR_STOP")), "psql was not run through the shim");
    const QString log = d_server.Log();
    QStringList passwords{d_setup.viewer_password, d_setup.watcher_password};
    for (const auto &[name, settings] : d_setup.stations)
        passwords << settings.Password();
    for (const QString &password : passwords)
    {
        QVERIFY2(password.isEmpty() || !d_arguments.contains(password), "a password on psql's command line");
        QVERIFY2(password.isEmpty() || !log.contains(password), "a password in the server's log");
    }
    if (!TPostgresServer::External())
        QVERIFY2(log.contains(QStringLiteral("PASSWORD 'SCRAM-SHA-256$4096:")), "the log holds no verifier");
    QCOMPARE(passwords.filter(QRegularExpression(QStringLiteral("^.{20,}$"))).size(), 4);
    for (const auto &[name, settings] : d_setup.stations)
    {
        QString error;
        const QString connection = QStringLiteral("login-") + name;
        QVERIFY2(settings.Open_Connection(connection, &error), qPrintable(error));
        QSqlDatabase::removeDatabase(connection);
    }
    for (const auto &[user, password] : {std::make_pair(d_setup.viewer_user, d_setup.viewer_password),
                                         std::make_pair(d_setup.watcher_user, d_setup.watcher_password)})
    {
        TCentralSettings login = d_setup.stations.begin()->second;
        login.Set_User(user);
        login.Set_Password(password);
        QString error;
        QVERIFY2(login.Open_Connection(QStringLiteral("login-reader"), &error), qPrintable(error));
        QSqlDatabase::removeDatabase(QStringLiteral("login-reader"));
    }
}

// Names that make one login ("CMM-1" and "CMM 1", or "cmm-b" after "CMM B") would be one
// station, the second's rows dropped as already there: refused, saying which, with
// nothing made. A name set up before is said to be so.
void TTestCentralSetup::Names_That_Share_A_Login_Refused()
{
    const int logins = d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM station_logins"));
    TCentralSetup merged;
    QVERIFY(!merged.Run(d_server, d_database, {QStringLiteral("CMM-1"), QStringLiteral("CMM 1")}));
    QVERIFY2(merged.said.contains(
                 QStringLiteral("\"CMM-1\" and \"CMM 1\" would share the login quorvex_station_cmm_1")),
             qPrintable(merged.said));
    TCentralSetup taken;
    QVERIFY(!taken.Run(d_server, d_database, {QStringLiteral("CMM-D"), QStringLiteral("cmm-b")}));
    QVERIFY2(taken.said.contains(QStringLiteral(
                 "\"cmm-b\" would share the login quorvex_station_cmm_b with \"CMM B\", set up before")),
             qPrintable(taken.said));
    QCOMPARE(d_server.Count(d_database, QStringLiteral("SELECT count(*) FROM station_logins")), logins);
    TCentralSetup again;
    QVERIFY(again.Run(d_server, d_database, {QStringLiteral("CMM B")}));
    QVERIFY2(again.said.contains(QStringLiteral("\"CMM B\" is set up already (quorvex_station_cmm_b)")),
             qPrintable(again.said));
    QCOMPARE(again.stations.at(QStringLiteral("CMM B")).Station_Id(),
             d_setup.stations.at(QStringLiteral("CMM B")).Station_Id());
}

// A station's name is its login's and its group the setup's: what the station tells, or writes
// itself, changes neither. The administrator moves it by the setup; run again without a group,
// it keeps the one it has.
void TTestCentralSetup::Name_And_Group_Are_The_Setups()
{
    TCentralSettings b = d_setup.stations.at(QStringLiteral("CMM B"));
    QCOMPARE(b.Group(), QStringLiteral("Plant 2"));
    const QString of_b = QStringLiteral(" FROM stations WHERE station_id='%1'").arg(b.Station_Id());
    b.Set_Station_Name(QStringLiteral("CMM-A"));
    b.Set_Group(QStringLiteral("Plant 9"));
    {
        TCentralStation station(d_home->File_Path(QStringLiteral("b")), b);
        station.Store(1, QDateTime(QDate(2026, 12, 8), QTime(6, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(
            d_server.Count(
                d_database,
                QStringLiteral("SELECT count(*) FROM executions WHERE station_id='%1'").arg(b.Station_Id())),
            1, TIMEOUT_MSEC);
    }
    QCOMPARE(Query(QStringLiteral("SELECT name || '/' || group_name") + of_b),
             QStringLiteral("CMM B/Plant 2"));
    QSqlDatabase login = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("login-b"));
    login.setHostName(d_server.Host());
    login.setPort(d_server.Port());
    login.setDatabaseName(d_database);
    login.setUserName(b.User());
    login.setPassword(b.Password());
    QVERIFY2(login.open(), qPrintable(login.lastError().text()));
    QSqlQuery query(login);
    QVERIFY2(query.exec(QStringLiteral("UPDATE stations SET name='CMM-A', group_name='Plant 9'")),
             qPrintable(query.lastError().text()));
    QCOMPARE(Query(QStringLiteral("SELECT name || '/' || group_name") + of_b),
             QStringLiteral("CMM B/Plant 2"));
    login.close();
    QSqlDatabase::removeDatabase(QStringLiteral("login-b"));

    TCentralSetup moved;
    QVERIFY(moved.Run(d_server, d_database,
                      {QStringLiteral("--group"), QStringLiteral("Plant 3"), QStringLiteral("CMM B")}));
    QCOMPARE(moved.stations.at(QStringLiteral("CMM B")).Group(), QStringLiteral("Plant 3"));
    QCOMPARE(Query(QStringLiteral("SELECT group_name") + of_b), QStringLiteral("Plant 3"));
    TCentralSetup again;
    QVERIFY(again.Run(d_server, d_database, {QStringLiteral("CMM B"), QStringLiteral("CMM-A")}));
    QCOMPARE(again.stations.at(QStringLiteral("CMM B")).Group(), QStringLiteral("Plant 3"));
    QCOMPARE(again.stations.at(QStringLiteral("CMM-A")).Group(), QString());
}

QTEST_MAIN(TTestCentralSetup)
#include "tst_centralsetup.moc"
