#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <windows.h>

#include <vector>

namespace
{
const int TIMEOUT_MSEC = 120000;

struct TWindowsOf
{
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM data)
{
    TWindowsOf *windows = reinterpret_cast<TWindowsOf *>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == windows->pid)
        windows->found.push_back(window);
    return TRUE;
}

// The end of a logoff as the system delivers it: every top-level window of PID
// is asked whether the session may end, then told whether it ends, which it
// does not where another program REFUSED. True when PID's windows all said yes.
bool End_Session(qint64 pid, bool refused)
{
    TWindowsOf windows{DWORD(pid), {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    bool yes = !windows.found.empty();
    for (HWND window : windows.found)
    {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 30000,
                                 &answer) ||
            !answer)
            yes = false;
    }
    for (HWND window : windows.found)
        SendMessageTimeoutW(window, WM_ENDSESSION, WPARAM(yes && !refused), ENDSESSION_LOGOFF,
                            SMTO_ABORTIFHUNG, 30000, nullptr);
    return yes;
}
} // namespace

// A Windows session asked to end while a program executes: another program
// refuses, and monitoring goes on; later the session ends, and what a close
// stores is stored. The demo runs on Windows' own platform, whose windows the
// system asks.
class TTestSessionEnd : public QObject
{
    Q_OBJECT

private slots:
    void Refused_End_Keeps_Monitoring();

private:
    static QString Stored(const TTestHome &home, const QString &statement);
};

QString TTestSessionEnd::Stored(const TTestHome &home, const QString &statement)
{
    QString output;
    if (!TSqliteShell::Run(home.Demo_Folder() + QStringLiteral("/database.db"), statement, &output))
        return QStringLiteral("(the shell failed)");
    return output.trimmed();
}

void TTestSessionEnd::Refused_End_Keeps_Monitoring()
{
    TTestHome home;
    const QString script = home.File_Path(QStringLiteral("session.txt"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("software-start\nmonitor\nwait attached\nopen CMM1 A LAST_PART\nstart\nhit\nminimise\n"
               "say first hit\nwait 3000\nhit\nsay second hit\nwait 600000\n");
    file.close();
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("windows"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::SeparateChannels);
    QByteArray said;
    connect(&demo, &QProcess::readyReadStandardOutput, this, [&]() { said += demo.readAllStandardOutput(); });
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
    QVERIFY(demo.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(said.contains("first hit"), TIMEOUT_MSEC);

    QVERIFY2(End_Session(demo.processId(), true), "the demo refused the end itself");
    // Stored at the question: the window's settings; the program is still collected, not stored.
    QVERIFY(QSettings(home.Demo_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat)
                .contains(QStringLiteral("Mainwindow_Size")));
    QCOMPARE(Stored(home, QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("0"));
    QTRY_VERIFY_WITH_TIMEOUT(said.contains("second hit"), TIMEOUT_MSEC);
    QCOMPARE(demo.state(), QProcess::Running);

    QVERIFY(End_Session(demo.processId(), false));
    QVERIFY2(demo.waitForFinished(TIMEOUT_MSEC), "the demo did not end with the session");
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    // The hit after the refusal counts: monitoring went on.
    QCOMPARE(Stored(home, QStringLiteral("SELECT name||'|'||point_count FROM program JOIN program_data "
                                         "USING(program_id);")),
             QStringLiteral("LAST_PART|2"));
    QCOMPARE(Stored(home, QStringLiteral("SELECT sum(software_monitor_time) >= 3 FROM usage;")),
             QStringLiteral("1"));
}

QTEST_MAIN(TTestSessionEnd)
#include "tst_sessionend.moc"
