#ifndef QUORVEX_POSTGRESSERVER_H
#define QUORVEX_POSTGRESSERVER_H

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

class TCentralSettings;

// A real PostgreSQL server of the test's own: a cluster made in a temporary
// folder with Debian's binaries, listening on a free port of 127.0.0.1 with
// password authentication, stopped and removed with the object. The
// superuser cannot run PostgreSQL: run as root, the server runs as the user
// "postgres" (which the package makes). Where QUORVEX_TEST_SERVER names
// "host:port" (the Windows tests under Wine, whose server runs outside), that
// server is used instead, and cannot be stopped by the test.
class TPostgresServer
{
public:
    static const QString ADMIN;
    static const QString PASSWORD;

    TPostgresServer();
    ~TPostgresServer();
    TPostgresServer(const TPostgresServer &) = delete;
    TPostgresServer &operator=(const TPostgresServer &) = delete;

    // Why no server can be made here (no PostgreSQL installed, no QPSQL
    // driver); empty when one can.
    static QString Missing();
    // Makes the cluster on the first call; false with Last_Error() on failure.
    bool Start();
    bool Stop();
    // A server run outside the test (QUORVEX_TEST_SERVER).
    static bool External();
    QString Last_Error() const { return d_last_error; }

    QString Host() const { return d_host; }
    int Port() const { return d_port; }
    // Settings that point a station at DATABASE (made when missing) as the admin.
    TCentralSettings Settings(const QString &database, const QString &station_name) const;
    // Switches the running server to TLS with a certificate for 127.0.0.1
    // signed by an authority made here (its file in CA_FILE), and makes a
    // second authority that signed nothing (OTHER_CA_FILE). A server outside
    // the test has TLS from its start, with the certificates made for the run.
    bool Enable_Ssl(QString *ca_file, QString *other_ca_file);
    bool Create_Database(const QString &name);
    // A database of a new name ("room_1", "room_2", ...; with a token of
    // the run's on a server outside the test), made.
    QString New_Database();
    // A new database with the central tables made, as a station makes them; empty on failure.
    QString New_Central_Database();
    // A connection of the test's own to DATABASE, opened (named after it).
    QSqlDatabase Connection(const QString &database);
    // The first column of the first row of STATEMENT in DATABASE; -1 when it fails.
    int Count(const QString &database, const QString &statement);
    // What the server wrote to its log so far; empty for a server outside the test.
    QString Log() const;

private:
    void Forget_Connections();
    void Watch_Test_Process();
    bool Run(const QString &program, const QStringList &arguments, int timeout_msec = 60000);
    // True once the server says TLS is on, within ten seconds.
    bool Ssl_On();

    QTemporaryDir d_dir;
    int d_databases = 0;
    QString d_bin;
    QString d_host;
    int d_port;
    bool d_made;
    bool d_running;
    bool d_watched;
    QString d_last_error;
};

// Skips a test, loudly, where no server can run; fails it where one should and cannot be reached.
#define QUORVEX_REQUIRE_SERVER(server)                                                                       \
    do                                                                                                       \
    {                                                                                                        \
        /* A server made for the tests (under Wine) and no way to reach it is a fault, not a skip. */        \
        if (!TPostgresServer::Missing().isEmpty() && TPostgresServer::External())                            \
            QFAIL(qPrintable(TPostgresServer::Missing()));                                                   \
        if (!TPostgresServer::Missing().isEmpty())                                                           \
            QSKIP(qPrintable(QStringLiteral("NO POSTGRESQL SERVER CAN RUN HERE: ") +                         \
                             TPostgresServer::Missing()));                                                   \
        QVERIFY2((server).Start(), qPrintable((server).Last_Error()));                                       \
    } while (false)

#endif
