#include "tests/support/testcertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

bool TTestCertificates::Make(const QString &folder, const TRun &run, QString *error)
{
#ifdef Q_OS_WIN
    Q_UNUSED(run);
    const QDir made(Made_For_The_Run());
    if (Made_For_The_Run().isEmpty())
    {
        *error = QStringLiteral("no certificates were made for this run (QUORVEX_TEST_CERTIFICATES); "
                                "the Windows tests have no openssl of their own");
        return false;
    }
    for (const char *name : {"ca.crt", "other.crt", "server.crt", "server.key"})
    {
        const QString target = QDir(folder).filePath(QLatin1String(name));
        QFile::remove(target);
        if (!QFile::copy(made.filePath(QLatin1String(name)), target))
        {
            *error = QStringLiteral("%1 could not be copied from %2").arg(QLatin1String(name), made.path());
            return false;
        }
    }
    return true;
#else
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
    {
        *error = QStringLiteral("openssl is not installed (scripts/deps installs it)");
        return false;
    }
    // Passed as text: the user who must own the files may not enter the checkout.
    QFile script(QStringLiteral(QUORVEX_SOURCE "/tests/support/make-certificates"));
    if (!script.open(QIODevice::ReadOnly))
    {
        *error = script.fileName() + QStringLiteral(": ") + script.errorString();
        return false;
    }
    const bool made =
        run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(script.readAll()),
                                        QStringLiteral("make-certificates"), folder});
    if (!made)
        *error = QStringLiteral("openssl could not make the test's certificates in ") + folder;
    return made;
#endif
}

bool TTestCertificates::Run_Here(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QString TTestCertificates::Made_For_The_Run()
{
    return qEnvironmentVariable("QUORVEX_TEST_CERTIFICATES");
}
