#include "tests/support/sqliteshell.h"

#include <QProcess>

bool TSqliteShell::Run(const QString &file, const QString &script, QString *output)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-bail"), file});
    if (!shell.waitForStarted())
        return false;
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(shell.readAllStandardOutput());
    return true;
}
