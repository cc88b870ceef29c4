#ifndef QUORVEX_TESTCERTIFICATES_H
#define QUORVEX_TESTCERTIFICATES_H

#include <QString>
#include <QStringList>

#include <functional>

// An authority and a server certificate for 127.0.0.1 signed by it, and a
// second authority that signed nothing, made with the openssl command in a
// folder: the files ca.crt, other.crt, server.crt and server.key.
class TTestCertificates
{
public:
    // Runs PROGRAM with ARGUMENTS (as whichever user must own the files); true when it succeeded.
    using TRun = std::function<bool(const QString &program, const QStringList &arguments)>;

    // False with ERROR when openssl is missing or fails.
    static bool Make(const QString &folder, const TRun &run, QString *error);
    // Runs a program as the calling user.
    static bool Run_Here(const QString &program, const QStringList &arguments);
};

#endif
