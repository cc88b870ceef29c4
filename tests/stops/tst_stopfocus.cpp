#include "src/stops/ui/stopprompt.h"
#include "tests/support/stopstation.h"
#include "tests/support/testhome.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

// The question comes while the operator types in another program: the
// keyboard stays where it is. On a real display (a virtual X server here,
// Wine's windows on Windows' side), where focus is the window system's.
class TTestStopFocus : public QObject
{
    Q_OBJECT

private slots:
    void Prompt_Leaves_The_Focus_Where_It_Is();

private:
    TTestHome d_home;
};

void TTestStopFocus::Prompt_Leaves_The_Focus_Where_It_Is()
{
    TStopStation station(d_home.Path(), TStopStation::Calendar(1, QStringLiteral("06:00-22:00")),
                         TStopStation::At(7, 6));
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Quorvex"));
    owner.show();
    TStopPrompt prompt(station.tracker.get(), &owner);
    connect(station.tracker.get(), &TStopTracker::Ask, &prompt, &TStopPrompt::Ask);

    QWidget software;
    software.setWindowTitle(QStringLiteral("measurement software"));
    auto *editor = new QLineEdit(&software);
    software.show();
    software.activateWindow();
    editor->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&software));
    QTest::keyClicks(editor, QStringLiteral("X 12"));

    station.Set(TStopStation::At(7, 7), TStationActivity::IDLE);
    station.Run_To(TStopStation::At(7, 7, 5));
    QVERIFY(prompt.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&prompt));
    // A focus change would follow the window's mapping; nothing signals its absence.
    QTest::qWait(500);
    QCOMPARE(QApplication::activeWindow(), &software);
    QCOMPARE(QApplication::focusWidget(), editor);
    QTest::keyClicks(editor, QStringLiteral(".5"));
    QCOMPARE(editor->text(), QStringLiteral("X 12.5"));
    // Still a window a click answers.
    QVERIFY(prompt.Answer(QStringLiteral("Probe qualification")));
    QVERIFY(prompt.isHidden());
}

#ifndef Q_OS_WIN
namespace
{
const int READY_TIMEOUT_MSEC = 30000;
const int READY_POLL_MSEC = 50;

// A child process running PROGRAM with ARGUMENTS, which says it is ready
// through the named pipe "FD" stands for in the arguments.
pid_t Start_Ready(const char *program, QByteArrayList arguments, QByteArray *said)
{
    static int made = 0;
    const QByteArray fifo = QDir::tempPath().toLocal8Bit() + "/quorvex-ready-" +
                            QByteArray::number(getpid()) + "-" + QByteArray::number(++made);
    if (mkfifo(fifo.constData(), 0600) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0)
    {
        std::vector<char *> argv{const_cast<char *>(program)};
        for (QByteArray &argument : arguments)
        {
            argument.replace("FD", fifo);
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        execvp(program, argv.data());
        // The reader learns of the failure from an empty pipe.
        open(fifo.constData(), O_WRONLY);
        _exit(127);
    }
    // Read without waiting, until the child says it is ready, ends, or takes too long: a
    // program that dies before it opens the pipe would otherwise hold the test for ever.
    const int reader = child < 0 ? -1 : open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    char text[64] = {};
    ssize_t got = -1;
    for (int waited = 0; reader >= 0 && got <= 0 && waited < READY_TIMEOUT_MSEC; waited += READY_POLL_MSEC)
    {
        got = read(reader, text, sizeof text - 1);
        int status = 0;
        if (got <= 0 && waitpid(child, &status, WNOHANG) == child)
            break;
        if (got <= 0)
            usleep(READY_POLL_MSEC * 1000);
    }
    if (reader >= 0)
        close(reader);
    unlink(fifo.constData());
    if (child < 0 || got <= 0)
        return -1;
    *said = QByteArray(text, int(got)).trimmed();
    return child;
}

// A virtual X server of the test's own, and a window manager on it that keeps
// the focus where the user put it unless a new window asks for it.
bool Start_Display(std::vector<pid_t> *children)
{
    QByteArray display;
    const pid_t server = Start_Ready("sh",
                                     {"-c", "exec Xvfb -displayfd 3 3>FD \"$@\"", "Xvfb", "-nolisten", "tcp",
                                      "-screen", "0", "1280x800x24"},
                                     &display);
    if (server < 0)
        return false;
    children->push_back(server);
    qputenv("DISPLAY", QByteArray(":") + display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QByteArray ready;
    const pid_t manager =
        Start_Ready("openbox", {"--sm-disable", "--startup", "sh -c 'echo ready > FD'"}, &ready);
    if (manager < 0)
        return false;
    children->push_back(manager);
    return ready == "ready";
}
} // namespace
#endif

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    std::vector<pid_t> children;
    if (!Start_Display(&children))
    {
        std::fputs("Xvfb and openbox could not be started (scripts/deps installs them)\n", stderr);
        return 1;
    }
#else
    // The system's own windows (Wine's under test), not the suite's offscreen stand-in.
    qputenv("QT_QPA_PLATFORM", "windows");
#endif
    int result;
    {
        QApplication application(argc, argv);
        TTestStopFocus test;
        result = QTest::qExec(&test, argc, argv);
    }
#ifndef Q_OS_WIN
    for (auto child = children.rbegin(); child != children.rend(); ++child)
    {
        kill(*child, SIGTERM);
        waitpid(*child, nullptr, 0);
    }
#endif
    return result;
}

#include "tst_stopfocus.moc"
