#include "tests/support/testcertificates.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

bool TTestCertificates::Make(const QString &folder, const TRun &run, QString *error)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
    {
        *error = QStringLiteral("openssl is not installed (scripts/deps installs it)");
        return false;
    }
    const QDir dir(folder);
    const auto file = [&dir](const char *name) { return dir.filePath(QLatin1String(name)); };
    const auto authority = [&](const char *key, const char *certificate, const char *name)
    {
        return run(openssl,
                   {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"), QLatin1String(name),
                    QStringLiteral("-keyout"), file(key), QStringLiteral("-out"), file(certificate)});
    };
    const bool made =
        authority("ca.key", "ca.crt", "/CN=Quorvex test authority") &&
        authority("other.key", "other.crt", "/CN=Another authority") &&
        run(openssl,
            {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
             QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
             QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
             QStringLiteral("-keyout"), file("server.key"), QStringLiteral("-out"), file("server.csr")}) &&
        run(openssl,
            {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), file("server.csr"),
             QStringLiteral("-CA"), file("ca.crt"), QStringLiteral("-CAkey"), file("ca.key"),
             QStringLiteral("-CAcreateserial"), QStringLiteral("-copy_extensions"), QStringLiteral("copyall"),
             QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-out"), file("server.crt")});
    if (!made)
        *error = QStringLiteral("openssl could not make the test's certificates in ") + folder;
    return made;
}

bool TTestCertificates::Run_Here(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
