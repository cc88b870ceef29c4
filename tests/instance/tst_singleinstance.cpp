#include "src/common/homefolder.h"
#include "src/instance/singleinstance.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

// One program a data folder, across processes: quorvex-demo is the later
// start, on the same home as the test.
class TTestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void Second_Start_Brings_The_First_Forward();
    void Lock_Of_A_Killed_Program_Is_Taken_Over();

private:
    static void Start_Demo(const TTestHome &home, QProcess *demo, const QString &script);
    // A script file of LINES in HOME, named NAME.
    static QString Script(const TTestHome &home, const char *name, const QByteArray &lines);
};

QString TTestSingleInstance::Script(const TTestHome &home, const char *name, const QByteArray &lines)
{
    QFile script(home.File_Path(QLatin1String(name)));
    if (!script.open(QIODevice::WriteOnly) || script.write(lines) != lines.size())
        qFatal("%s cannot be written", qPrintable(script.fileName()));
    return script.fileName();
}

void TTestSingleInstance::Start_Demo(const TTestHome &home, QProcess *demo, const QString &script)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo->setProcessEnvironment(environment);
    demo->setProcessChannelMode(QProcess::ForwardedChannels);
    demo->start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
}

void TTestSingleInstance::Second_Start_Brings_The_First_Forward()
{
    TTestHome home;
    TSingleInstance first(home.Demo_Folder());
    QVERIFY(first.Claim());
    QSignalSpy asked(&first, &TSingleInstance::Asked_Forward);
    QProcess second;
    // Would record a shift if it ran.
    Start_Demo(home, &second,
               Script(home, "shift.txt",
                      "software-start\nmonitor\nopen CMM1 A BRACKET\nstart\nhit\nend\nclose\nquit\n"));
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 60000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(asked.count(), 1);
    // Nothing of the second start's: no record, no settings.
    QCOMPARE(QDir(home.Demo_Folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("quorvex.lock")});
}

void TTestSingleInstance::Lock_Of_A_Killed_Program_Is_Taken_Over()
{
    TTestHome home;
    QProcess killed;
    Start_Demo(home, &killed, Script(home, "long.txt", "software-start\nmonitor\nwait 600000\n"));
    const QString lock = home.Demo_Folder() + QStringLiteral("/quorvex.lock");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 60000);
    {
        TSingleInstance blocked(home.Demo_Folder());
        QVERIFY(!blocked.Claim());
    }
    killed.kill();
    QVERIFY(killed.waitForFinished(10000));
    QVERIFY(QFile::exists(lock));
    TSingleInstance next(home.Demo_Folder());
    QVERIFY(next.Claim());
}

QTEST_MAIN(TTestSingleInstance)
#include "tst_singleinstance.moc"
