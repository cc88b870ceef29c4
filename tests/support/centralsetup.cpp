#include "tests/support/centralsetup.h"

#include "tests/support/postgresserver.h"

#include <QProcess>

bool TCentralSetup::Run(const TPostgresServer &server, const QString &database, const QStringList &arguments,
                        const QString &path_first)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGHOST"), server.Host());
    environment.insert(QStringLiteral("PGPORT"), QString::number(server.Port()));
    environment.insert(QStringLiteral("PGUSER"), TPostgresServer::ADMIN);
    environment.insert(QStringLiteral("PGPASSWORD"), TPostgresServer::PASSWORD);
    if (!path_first.isEmpty())
        environment.insert(QStringLiteral("PATH"),
                           path_first + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUORVEX_SOURCE "/scripts/central-setup"),
                  QStringList{QStringLiteral("--database"), database} + arguments);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(60000);
    said = QString::fromUtf8(process.readAllStandardError());
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    {
        qWarning("central-setup: %s", qPrintable(said));
        return false;
    }
    output = QString::fromUtf8(process.readAllStandardOutput());
    TCentralSettings current;
    QString name;
    for (const QString &line : output.split(QLatin1Char('\n')))
    {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == QLatin1String("Host"))
            current = server.Settings(database, QString());
        else if (key == QLatin1String("User"))
            current.Set_User(value);
        else if (key == QLatin1String("Password"))
            current.Set_Password(value);
        else if (key == QLatin1String("Station_Name"))
            name = value, current.Set_Station_Name(value);
        else if (key == QLatin1String("Station_Id"))
            current.Set_Station_Id(value), stations[name] = current;
        else if (key == QLatin1String("Group"))
            stations[name].Set_Group(value);
        else if (key == QLatin1String("Viewer_User"))
            viewer_user = value;
        else if (key == QLatin1String("Viewer_Password"))
            viewer_password = value;
        else if (key == QLatin1String("Watcher_User"))
            watcher_user = value;
        else if (key == QLatin1String("Watcher_Password"))
            watcher_password = value;
    }
    return true;
}
