#ifndef QUORVEX_TESTCERTIFICATES_H
#define QUORVEX_TESTCERTIFICATES_H

#include <QString>
#include <QStringList>

#include <functional>

// An authority and a server certificate for 127.0.0.1 signed by it, and a
// second authority that signed nothing: the files ca.crt, other.crt,
// server.crt and server.key, made by the tests' script make-certificates.
class TTestCertificates
{
public:
    // Runs PROGRAM with ARGUMENTS (as whichever user must own the files); true when it succeeded.
    using TRun = std::function<bool(const QString &program, const QStringList &arguments)>;

    // Makes them in FOLDER through RUN; false with ERROR when openssl is
    // missing or fails. Where the tests have no openssl (Windows), copies
    // those made for the run instead.
    static bool Make(const QString &folder, const TRun &run, QString *error);
    // Runs a program as the calling user.
    static bool Run_Here(const QString &program, const QStringList &arguments);
    // The folder of those made for the run on the build's machine
    // (QUORVEX_TEST_CERTIFICATES), or empty.
    static QString Made_For_The_Run();
};

#endif
