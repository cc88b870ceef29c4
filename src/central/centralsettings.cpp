#include "src/central/centralsettings.h"

#include <QFile>
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
const QStringList SSL_MODES = {QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
                               QStringLiteral("require"), QStringLiteral("verify-ca"),
                               QStringLiteral("verify-full")};

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

TCentralSettings::TCentralSettings() : d_port(DEFAULT_PORT), d_database(QStringLiteral("quorvex")),
    d_ssl_mode(QStringLiteral("prefer"))
{
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
    d_password = settings->value(QStringLiteral("Password")).toString();
    d_password_file = settings->value(QStringLiteral("Password_File")).toString();
    d_station_name = settings->value(QStringLiteral("Station_Name")).toString().trimmed();
    if (d_station_name.isEmpty())
        d_station_name = QHostInfo::localHostName();
    d_ssl_mode = settings->value(QStringLiteral("SSL_Mode"), QStringLiteral("prefer")).toString().toLower();
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
    if (!d_password.isEmpty())
        settings->setValue(QStringLiteral("Password"), d_password);
    if (!d_password_file.isEmpty())
        settings->setValue(QStringLiteral("Password_File"), d_password_file);
    settings->setValue(QStringLiteral("Station_Name"), d_station_name);
    settings->setValue(QStringLiteral("Station_Id"), d_station_id);
    settings->setValue(QStringLiteral("SSL_Mode"), d_ssl_mode);
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

QString TCentralSettings::Connect_Options() const
{
    return QStringLiteral("connect_timeout=%1;sslmode=%2;application_name=Quorvex")
        .arg(CONNECT_TIMEOUT_SECONDS)
        .arg(d_ssl_mode);
}

bool TCentralSettings::Open_Connection(const QString &name, QString *error) const
{
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
    return d_user + QLatin1Char('@') + d_host + QLatin1Char(':') + QString::number(d_port) + QLatin1Char('/') +
           d_database;
}
