#include "tests/support/postgresserver.h"

#include "tests/support/testcertificates.h"

#include "src/centraldb/centralschema.h"
#include "src/centraldb/centralsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QUuid>
#include <QtTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

const QString TPostgresServer::ADMIN = QStringLiteral("quorvex_admin");
const QString TPostgresServer::PASSWORD = QStringLiteral("it's \"secret\" ;%1");

namespace
{
bool Superuser()
{
#ifdef Q_OS_WIN
    return false;
#else
    return geteuid() == 0;
#endif
}

// The newest installed server's binaries.
QString Binaries()
{
    const QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QString newest;
    int newest_number = -1;
    for (const QString &version : versions)
    {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        if (version.toInt() > newest_number && QFile::exists(bin + QStringLiteral("/initdb")))
            newest = bin, newest_number = version.toInt();
    }
    return newest;
}

int Free_Port()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}
} // namespace

TPostgresServer::TPostgresServer()
    : d_host(QStringLiteral("127.0.0.1")), d_port(0), d_made(false), d_running(false), d_watched(false)
{
    const QString external = qEnvironmentVariable("QUORVEX_TEST_SERVER");
    if (External())
    {
        d_host = external.section(QLatin1Char(':'), 0, 0);
        d_port = external.section(QLatin1Char(':'), 1).toInt();
    }
}

bool TPostgresServer::External()
{
    return !qEnvironmentVariableIsEmpty("QUORVEX_TEST_SERVER");
}

TPostgresServer::~TPostgresServer()
{
    Forget_Connections();
    if (d_running && !External())
        Run(d_bin + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), d_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString TPostgresServer::Missing()
{
    if (!External() && Binaries().isEmpty())
        return QStringLiteral("PostgreSQL's server is not installed (no /usr/lib/postgresql/*/bin/initdb); "
                              "scripts/deps installs Debian's postgresql");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("Qt's PostgreSQL driver QPSQL is not installed (Debian's libqt5sql5-psql)");
    return QString();
}

bool TPostgresServer::Run(const QString &program, const QStringList &arguments, int timeout_msec)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The superuser cannot run PostgreSQL's programs: they run as its own user.
    if (Superuser())
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                             QStringLiteral("--"), program} +
                                                     arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(timeout_msec) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
    {
        d_last_error =
            QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool TPostgresServer::Start()
{
    if (!Missing().isEmpty())
    {
        d_last_error = Missing();
        return false;
    }
    if (d_running)
        return true;
    if (External())
    {
        d_running = true;
        return true;
    }
    const QString data = d_dir.filePath(QStringLiteral("data"));
    if (!d_made)
    {
        d_bin = Binaries();
        d_port = Free_Port();
        QFile password(d_dir.filePath(QStringLiteral("password")));
        if (!password.open(QIODevice::WriteOnly) || password.write(PASSWORD.toUtf8() + "\n") < 0)
            return false;
        password.close();
        if (Superuser() &&
            QProcess::execute(QStringLiteral("chown"),
                              {QStringLiteral("-R"), QStringLiteral("postgres"), d_dir.path()}) != 0)
        {
            d_last_error = QStringLiteral("the test's folder cannot be given to the user postgres");
            return false;
        }
        if (!Run(d_bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), ADMIN, QStringLiteral("--pwfile"),
                  password.fileName(), QStringLiteral("--auth-local=scram-sha-256"),
                  QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}))
            return false;
        d_made = true;
    }
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(d_port)
                                .arg(d_dir.path());
    if (!Run(d_bin + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), data, QStringLiteral("-l"), d_dir.filePath(QStringLiteral("server.log")),
              QStringLiteral("-o"), options, QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
              QStringLiteral("start")}))
        return false;
    d_running = true;
    Watch_Test_Process();
    return true;
}

// A test that crashes never runs the destructor: a watcher outside it stops
// the server and removes its folder once the test's process is gone.
void TPostgresServer::Watch_Test_Process()
{
#ifndef Q_OS_WIN
    if (d_watched)
        return;
    const QString stop =
        (Superuser() ? QStringLiteral("runuser -u postgres -- ") : QString()) + d_bin +
        QStringLiteral("/pg_ctl -D '%1' -m immediate -w stop").arg(d_dir.filePath(QStringLiteral("data")));
    d_watched = QProcess::startDetached(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 2; done; %2 >/dev/null 2>&1; "
                        "rm -rf '%3'")
             .arg(QCoreApplication::applicationPid())
             .arg(stop, d_dir.path())});
#endif
}

void TPostgresServer::Forget_Connections()
{
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith(QStringLiteral("test-central-")))
            QSqlDatabase::removeDatabase(name);
}

bool TPostgresServer::Stop()
{
    if (!d_running)
        return true;
    if (External())
    {
        d_last_error =
            QStringLiteral("the server runs outside the test (QUORVEX_TEST_SERVER) and is not its to stop");
        return false;
    }
    // A connection of before the stop would look open and fail afterwards.
    Forget_Connections();
    if (!Run(d_bin + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), d_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")}))
        return false;
    d_running = false;
    return true;
}

QString TPostgresServer::Log() const
{
    QFile file(d_dir.filePath(QStringLiteral("server.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TCentralSettings TPostgresServer::Settings(const QString &database, const QString &station_name) const
{
    TCentralSettings settings;
    settings.Set_Host(Host());
    settings.Set_Port(d_port);
    settings.Set_Database(database);
    settings.Set_User(ADMIN);
    settings.Set_Password(PASSWORD);
    settings.Set_Station_Name(station_name);
    settings.Set_Station_Id(QUuid::createUuid().toString(QUuid::WithoutBraces));
    settings.Set_Ssl_Mode(QStringLiteral("disable"));
    return settings;
}

QSqlDatabase TPostgresServer::Connection(const QString &database)
{
    const QString name = QStringLiteral("test-central-") + database;
    if (QSqlDatabase::contains(name))
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() || db.open())
            return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(Host());
    db.setPort(d_port);
    db.setDatabaseName(database);
    db.setUserName(ADMIN);
    db.setPassword(PASSWORD);
    if (!db.open())
        d_last_error = db.lastError().text();
    return db;
}

int TPostgresServer::Count(const QString &database, const QString &statement)
{
    QSqlQuery query(Connection(database));
    if (!query.exec(statement) || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool TPostgresServer::Create_Database(const QString &name)
{
    QSqlQuery query(Connection(QStringLiteral("postgres")));
    if (query.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name)))
        return true;
    d_last_error = query.lastError().text();
    return false;
}

bool TPostgresServer::Enable_Ssl(QString *ca_file, QString *other_ca_file)
{
    if (External())
    {
        // The run's server was started with TLS, from the certificates made for the run.
        const QDir made(TTestCertificates::Made_For_The_Run());
        if (made.path() == QLatin1String("."))
        {
            d_last_error = QStringLiteral("the server runs outside the test, and no certificates were made "
                                          "for it (QUORVEX_TEST_CERTIFICATES)");
            return false;
        }
        *ca_file = made.filePath(QStringLiteral("ca.crt"));
        *other_ca_file = made.filePath(QStringLiteral("other.crt"));
        return Ssl_On();
    }
    const auto file = [this](const char *name) { return d_dir.filePath(QLatin1String(name)); };
    // Made as the server's user, whose files they must be.
    if (!TTestCertificates::Make(
            d_dir.path(),
            [this](const QString &program, const QStringList &arguments) { return Run(program, arguments); },
            &d_last_error))
        return false;
    {
        QSqlQuery query(Connection(QStringLiteral("postgres")));
        for (const QString &statement :
             {QStringLiteral("ALTER SYSTEM SET ssl_cert_file='%1'").arg(file("server.crt")),
              QStringLiteral("ALTER SYSTEM SET ssl_key_file='%1'").arg(file("server.key")),
              QStringLiteral("ALTER SYSTEM SET ssl=on"), QStringLiteral("SELECT pg_reload_conf()")})
            if (!query.exec(statement))
            {
                d_last_error = query.lastError().text();
                return false;
            }
    }
    *ca_file = file("ca.crt");
    *other_ca_file = file("other.crt");
    return Ssl_On();
}

bool TPostgresServer::Ssl_On()
{
    // A reload is taken in by the server on its own time.
    const bool on = QTest::qWaitFor(
        [this]()
        {
            QSqlQuery query(Connection(QStringLiteral("postgres")));
            return query.exec(QStringLiteral("SHOW ssl")) && query.next() &&
                   query.value(0).toString() == QLatin1String("on");
        },
        10000);
    if (!on)
        d_last_error = QStringLiteral("the server has not switched TLS on");
    return on;
}

QString TPostgresServer::New_Database()
{
    // A server shared by several test programs (under Wine, where process ids
    // are small and soon used again) must not hand one's room to another.
    static const QString run = QString::number(QRandomGenerator::global()->generate(), 36);
    const QString name = External() ? QStringLiteral("room_%1_%2").arg(run).arg(++d_databases)
                                    : QStringLiteral("room_%1").arg(++d_databases);
    if (!Create_Database(name))
        qWarning("%s", qPrintable(d_last_error));
    return name;
}

QString TPostgresServer::New_Central_Database()
{
    const QString name = New_Database();
    int version = 0;
    QString error;
    if (TCentralSchema::Prepare(Connection(name), &version, &error) == TCentralSchema::READY)
        return name;
    qWarning("the central tables were not made: %s", qPrintable(error));
    return QString();
}
