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
        // The Windows shell ends its lines with CR LF.
        *output = QString::fromUtf8(shell.readAllStandardOutput())
                      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return true;
}

QString TSqliteShell::Output(const QString &file, const QString &script)
{
    QString output;
    return Run(file, script, &output) ? output : QStringLiteral("<sqlite3 failed>");
}
