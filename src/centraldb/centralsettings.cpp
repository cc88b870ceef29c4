#include "src/centraldb/centralsettings.h"

#include "src/common/groupname.h"

#include "src/centraldb/protectedtext.h"
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>
#include <QUuid>

namespace
{

const int DEFAULT_PORT = 5432;
const int CONNECT_TIMEOUT_SECONDS = 5;
// A link that drops packets without a word (a pulled cable, a VPN gone) is
// noticed within about half a minute, idle or not: keepalives while idle, the
// socket's own limit on unanswered data while a request waits.
const int KEEPALIVE_IDLE_SECONDS = 10;
const int KEEPALIVE_INTERVAL_SECONDS = 5;
const int KEEPALIVE_COUNT = 3;
const int TCP_USER_TIMEOUT_MSEC = 20000;
// The server ends what a station or viewer leaves hanging: a statement, a
// wait for a lock (a cut station's transaction holding one), a session cut
// inside a transaction.
const int STATEMENT_TIMEOUT_MSEC = 60000;
const int LOCK_TIMEOUT_MSEC = 10000;
const int IDLE_IN_TRANSACTION_MSEC = 60000;
const QStringList SSL_MODES = {QStringLiteral("disable"),   QStringLiteral("allow"),
                               QStringLiteral("prefer"),    QStringLiteral("require"),
                               QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

// The fields of one password-file line, escapes undone.
QStringList Password_Fields(const QString &line)
{
    QStringList fields;
    QString field;
    for (int i = 0; i < line.size(); ++i)
    {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\\') && i + 1 < line.size())
            field += line.at(++i);
        else if (c == QLatin1Char(':') && fields.size() < 4)
            fields << field, field.clear();
        else
            field += c;
    }
    fields << field;
    return fields;
}

bool Field_Matches(const QString &pattern, const QString &value)
{
    return pattern == QLatin1String("*") || pattern == value;
}
} // namespace

TCentralSettings::TCentralSettings()
    : d_port(DEFAULT_PORT), d_database(QStringLiteral("quorvex")), d_ssl_mode(QStringLiteral("prefer"))
{
}

// A password as the system keeps it: KEY_Protected holds it; a clear KEY
// written by hand is taken once and replaced by the protected form.
QString TCentralSettings::Read_Secret(QSettings *settings, const QString &key)
{
    const QString protected_key = key + QStringLiteral("_Protected");
    const QString clear = settings->value(key).toString();
    if (!clear.isEmpty())
    {
        Write_Secret(settings, key, clear);
        return clear;
    }
    QString read;
    if (!TProtectedText::Unprotect(settings->value(protected_key).toString(), &read))
        return QString();
    return read;
}

void TCentralSettings::Write_Secret(QSettings *settings, const QString &key, const QString &clear)
{
    if (clear.isEmpty())
        return;
    const QString protected_text = TProtectedText::Protect(clear);
    // Where the system cannot protect it, it stays as it was written.
    if (protected_text.isEmpty())
    {
        settings->setValue(key, clear);
        return;
    }
    settings->setValue(key + QStringLiteral("_Protected"), protected_text);
    settings->remove(key);
}

void TCentralSettings::Read(QSettings *settings)
{
    settings->beginGroup(QStringLiteral("Central"));
    d_host = settings->value(QStringLiteral("Host")).toString().trimmed();
    bool valid = false;
    const int port = settings->value(QStringLiteral("Port"), DEFAULT_PORT).toInt(&valid);
    d_port = valid && port > 0 && port < 65536 ? port : DEFAULT_PORT;
    d_database = settings->value(QStringLiteral("Database"), QStringLiteral("quorvex")).toString();
    d_user = settings->value(QStringLiteral("User")).toString();
    d_password = Read_Secret(settings, QStringLiteral("Password"));
    d_password_file = settings->value(QStringLiteral("Password_File")).toString();
    d_viewer_user = settings->value(QStringLiteral("Viewer_User")).toString();
    d_viewer_password = Read_Secret(settings, QStringLiteral("Viewer_Password"));
    d_watcher_user = settings->value(QStringLiteral("Watcher_User")).toString();
    d_watcher_password = Read_Secret(settings, QStringLiteral("Watcher_Password"));
    d_station_name = settings->value(QStringLiteral("Station_Name")).toString().trimmed();
    if (d_station_name.isEmpty())
        d_station_name = QHostInfo::localHostName();
    d_group = TGroupName::Clean(settings->value(QStringLiteral("Group")).toString());
    d_ssl_root_cert = settings->value(QStringLiteral("SSL_Root_Cert")).toString();
    // With the certificate of the server's authority, the server is checked by it unless said otherwise.
    d_ssl_mode =
        settings
            ->value(QStringLiteral("SSL_Mode"),
                    d_ssl_root_cert.isEmpty() ? QStringLiteral("prefer") : QStringLiteral("verify-full"))
            .toString()
            .toLower();
    if (!SSL_MODES.contains(d_ssl_mode))
        d_ssl_mode = QStringLiteral("prefer");
    d_station_id = settings->value(QStringLiteral("Station_Id")).toString();
    // Made only for a station that forwards: a file without a central database stays as it was.
    if (QUuid(d_station_id).isNull() && Is_Set())
    {
        d_station_id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        settings->setValue(QStringLiteral("Station_Id"), d_station_id);
    }
    settings->endGroup();
}

void TCentralSettings::Write(QSettings *settings) const
{
    settings->beginGroup(QStringLiteral("Central"));
    settings->setValue(QStringLiteral("Host"), d_host);
    settings->setValue(QStringLiteral("Port"), d_port);
    settings->setValue(QStringLiteral("Database"), d_database);
    settings->setValue(QStringLiteral("User"), d_user);
    Write_Secret(settings, QStringLiteral("Password"), d_password);
    if (!d_password_file.isEmpty())
        settings->setValue(QStringLiteral("Password_File"), d_password_file);
    if (!d_viewer_user.isEmpty())
        settings->setValue(QStringLiteral("Viewer_User"), d_viewer_user);
    Write_Secret(settings, QStringLiteral("Viewer_Password"), d_viewer_password);
    if (!d_watcher_user.isEmpty())
        settings->setValue(QStringLiteral("Watcher_User"), d_watcher_user);
    Write_Secret(settings, QStringLiteral("Watcher_Password"), d_watcher_password);
    settings->setValue(QStringLiteral("Station_Name"), d_station_name);
    if (!d_group.isEmpty())
        settings->setValue(QStringLiteral("Group"), d_group);
    settings->setValue(QStringLiteral("Station_Id"), d_station_id);
    settings->setValue(QStringLiteral("SSL_Mode"), d_ssl_mode);
    if (!d_ssl_root_cert.isEmpty())
        settings->setValue(QStringLiteral("SSL_Root_Cert"), d_ssl_root_cert);
    settings->endGroup();
}

QString TCentralSettings::Password() const
{
    if (!d_password.isEmpty() || d_password_file.isEmpty())
        return d_password;
    QFile file(d_password_file);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString port = QString::number(d_port);
    while (!file.atEnd())
    {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = Password_Fields(line);
        if (fields.size() == 5 && Field_Matches(fields.at(0), d_host) && Field_Matches(fields.at(1), port) &&
            Field_Matches(fields.at(2), d_database) && Field_Matches(fields.at(3), d_user))
            return fields.at(4);
    }
    return QString();
}

TCentralSettings TCentralSettings::As(const QString &user, const QString &password) const
{
    TCentralSettings reader = *this;
    reader.d_user = user;
    reader.d_password = password;
    reader.d_password_file = password.isEmpty() ? d_password_file : QString();
    return reader;
}

TCentralSettings TCentralSettings::Viewer() const
{
    return d_viewer_user.isEmpty() ? *this : As(d_viewer_user, d_viewer_password);
}

TCentralSettings TCentralSettings::Watcher() const
{
    return d_watcher_user.isEmpty() ? Viewer() : As(d_watcher_user, d_watcher_password);
}

QString TCentralSettings::Connect_Options() const
{
    const QStringList options{
        QStringLiteral("connect_timeout=%1").arg(CONNECT_TIMEOUT_SECONDS),
        QStringLiteral("sslmode=") + d_ssl_mode,
        QStringLiteral("application_name=Quorvex"),
        QStringLiteral("keepalives=1"),
        QStringLiteral("keepalives_idle=%1").arg(KEEPALIVE_IDLE_SECONDS),
        QStringLiteral("keepalives_interval=%1").arg(KEEPALIVE_INTERVAL_SECONDS),
        QStringLiteral("keepalives_count=%1").arg(KEEPALIVE_COUNT),
        QStringLiteral("tcp_user_timeout=%1").arg(TCP_USER_TIMEOUT_MSEC),
        QStringLiteral(
            "options='-c statement_timeout=%1 -c lock_timeout=%2 -c idle_in_transaction_session_timeout=%3'")
            .arg(STATEMENT_TIMEOUT_MSEC)
            .arg(LOCK_TIMEOUT_MSEC)
            .arg(IDLE_IN_TRANSACTION_MSEC)};
    if (d_ssl_root_cert.isEmpty())
        return options.join(QLatin1Char(';'));
    // A quoted value of the connection string: backslashes and quotes escaped.
    QString path = QDir::toNativeSeparators(d_ssl_root_cert);
    path.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return (options + QStringList{QStringLiteral("sslrootcert='%1'").arg(path)}).join(QLatin1Char(';'));
}

bool TCentralSettings::Password_File_Private(QString *error) const
{
#ifdef Q_OS_WIN
    // Its folder's access list keeps it, as the password client of the server does there.
    Q_UNUSED(error);
    return true;
#else
    if (!d_password.isEmpty() || d_password_file.isEmpty())
        return true;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileInfo file(d_password_file);
    if (!file.exists() || !(file.permissions() & others))
        return true;
    *error = QStringLiteral("the password file %1 may be read by others than its owner; it is not used until "
                            "only its owner may read it (chmod 600)")
                 .arg(QDir::toNativeSeparators(d_password_file));
    return false;
#endif
}

bool TCentralSettings::Open_Connection(const QString &name, QString *error) const
{
    if (!Password_File_Private(error))
    {
        *error = Describe() + QStringLiteral(": ") + *error;
        return false;
    }
    // The driver splits its options at semicolons, whatever quotes them.
    if (d_ssl_root_cert.contains(QLatin1Char(';')))
    {
        *error = Describe() + QStringLiteral(": the SSL_Root_Cert path may not hold a semicolon");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
    {
        *error = QStringLiteral("the PostgreSQL driver (Qt's QPSQL) is not installed with this program");
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(d_host);
        db.setPort(d_port);
        db.setDatabaseName(d_database);
        db.setUserName(d_user);
        db.setPassword(Password());
        db.setConnectOptions(Connect_Options());
        if (db.open())
            return true;
        *error = Describe() + QStringLiteral(": ") + db.lastError().text().trimmed();
    }
    QSqlDatabase::removeDatabase(name);
    return false;
}

QString TCentralSettings::Describe() const
{
    return d_user + QLatin1Char('@') + d_host + QLatin1Char(':') + QString::number(d_port) +
           QLatin1Char('/') + d_database;
}
