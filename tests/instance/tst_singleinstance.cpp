#include "src/app/startclaim.h"
#include "src/common/homefolder.h"
#include "src/instance/singleinstance.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

// One program a data folder, across processes: quorvex-demo is the other
// start, on the same home as the test. Another user on a shared folder is a
// start with a key of its own.
class TTestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void Second_Start_Brings_The_First_Forward();
    void Lock_Of_A_Killed_Program_Is_Taken_Over();
    void Name_Is_The_Users_Own();
    void Folder_Held_By_Another_User_Is_Said();
#ifndef Q_OS_WIN
    void Start_At_Logon_Says_Why_In_The_Event_Log();
    void Name_Taken_Is_Said();
#endif

private:
    static void Start_Demo(const TTestHome &home, QProcess *demo, const QString &script,
                           const QStringList &more = QStringList(), const QString &data_home = QString());
    // A script file of LINES in HOME, named NAME.
    static QString Script(const TTestHome &home, const char *name, const QByteArray &lines);
    // A demo that holds HOME's demo folder until killed.
    static void Hold_Folder(const TTestHome &home, QProcess *demo);
};

QString TTestSingleInstance::Script(const TTestHome &home, const char *name, const QByteArray &lines)
{
    QFile script(home.File_Path(QLatin1String(name)));
    if (!script.open(QIODevice::WriteOnly) || script.write(lines) != lines.size())
        qFatal("%s cannot be written", qPrintable(script.fileName()));
    return script.fileName();
}

void TTestSingleInstance::Start_Demo(const TTestHome &home, QProcess *demo, const QString &script,
                                     const QStringList &more, const QString &data_home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    if (!data_home.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data_home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo->setProcessEnvironment(environment);
    demo->setProcessChannelMode(QProcess::ForwardedChannels);
    demo->start(QStringLiteral(QUORVEX_DEMO), QStringList{QStringLiteral("--script"), script} + more);
}

void TTestSingleInstance::Hold_Folder(const TTestHome &home, QProcess *demo)
{
    Start_Demo(home, demo, Script(home, "long.txt", "software-start\nmonitor\nwait 600000\n"));
    const QString lock = home.Demo_Folder() + QStringLiteral("/quorvex.lock");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 60000);
    // The lock comes before the socket: a start now may find no one to call yet.
    TSingleInstance probe(home.Demo_Folder());
    QTRY_COMPARE_WITH_TIMEOUT(probe.Claim(), TSingleInstance::TClaim::FORWARDED, 60000);
}

void TTestSingleInstance::Second_Start_Brings_The_First_Forward()
{
    TTestHome home;
    TSingleInstance first(home.Demo_Folder());
    QCOMPARE(first.Claim(), TSingleInstance::TClaim::OURS);
    QCOMPARE(first.Listen_Error(), QString());
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
    Hold_Folder(home, &killed);
    killed.kill();
    QVERIFY(killed.waitForFinished(10000));
    QVERIFY(QFile::exists(home.Demo_Folder() + QStringLiteral("/quorvex.lock")));
    TSingleInstance next(home.Demo_Folder());
    QCOMPARE(next.Claim(), TSingleInstance::TClaim::OURS);
}

// The name later starts call by is made from the folder and the user's own
// key, kept where only the user reads it: another user on the same folder
// cannot work it out, so cannot take it first.
void TTestSingleInstance::Name_Is_The_Users_Own()
{
    TTestHome home;
    const QString folder = home.Demo_Folder();
    const QString mine = home.File_Path(QStringLiteral("mine/instance.key"));
    const QString name = TSingleInstance(folder, mine).Server_Name();
    QCOMPARE(TSingleInstance(folder, mine).Server_Name(), name);
    QVERIFY(TSingleInstance(folder, home.File_Path(QStringLiteral("other/instance.key"))).Server_Name() !=
            name);
    QVERIFY(TSingleInstance(home.File_Path(QStringLiteral("elsewhere")), mine).Server_Name() != name);
    // Not the folder's hash alone, which anyone could make.
    const QByteArray folder_hash =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha256).toHex();
    QVERIFY(!name.contains(QString::fromLatin1(folder_hash.left(24))));
    QFile key(mine);
    QVERIFY(key.open(QIODevice::ReadOnly));
    QCOMPARE(key.readAll().size(), 64);
    key.close();
    // A key cut short is made again, once.
    QVERIFY(key.resize(10));
    const QString remade = TSingleInstance(folder, mine).Server_Name();
    QVERIFY(remade != name);
    QCOMPARE(TSingleInstance(folder, mine).Server_Name(), remade);
#ifndef Q_OS_WIN
    // Qt's owner bits are 0x7000, the group's 0x0070 and the others' 0x0007.
    QCOMPARE(int(key.permissions() & 0x7077), 0x6000);
#endif
    // The default place is the user's data folder of the system, outside the data folder.
    TSingleInstance by_default(folder);
    QCOMPARE(TSingleInstance(folder).Server_Name(), by_default.Server_Name());
    QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A shared data folder held by another user's Quorvex: the start cannot call
// it forward, so it says why and ends with a failure, never silently.
void TTestSingleInstance::Folder_Held_By_Another_User_Is_Said()
{
    TTestHome home;
    QProcess holder;
    Hold_Folder(home, &holder);
    TSingleInstance other_user(home.Demo_Folder(), home.File_Path(QStringLiteral("other-user/instance.key")));
    QString said;
    int icon = -1;
    TModalAnswer answer(
        [&](QWidget *modal)
        {
            QMessageBox *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return;
            said = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
    int exit_code = -1;
    QVERIFY(!TStartClaim::Claim(&other_user, false, &exit_code));
    QVERIFY(answer.Answered());
    QCOMPARE(exit_code, 1);
    QCOMPARE(icon, int(QMessageBox::Critical));
    QVERIFY2(said.contains(QStringLiteral("Quorvex did not start: its data folder ")), qPrintable(said));
    QVERIFY2(said.contains(QDir::toNativeSeparators(home.Demo_Folder()).toHtmlEscaped()), qPrintable(said));
    QVERIFY(said.contains(QStringLiteral("QUORVEX_HOME")));
    // Not started at logon: nothing in the event log.
    QVERIFY(!QFile::exists(home.File_Path(QStringLiteral(".eventlog/Application.log"))));
    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
}

#ifndef Q_OS_WIN
// The logon start of another user on the shared folder, as a process: where
// no one may be at the screen it also writes why in the event log (Windows'
// own log keeps no file to read here).
void TTestSingleInstance::Start_At_Logon_Says_Why_In_The_Event_Log()
{
    TTestHome home;
    QProcess holder;
    Hold_Folder(home, &holder);
    QProcess at_logon;
    Start_Demo(home, &at_logon, Script(home, "shift.txt", "software-start\nmonitor\nquit\n"),
               {QLatin1String(TStartClaim::AT_LOGON)}, home.File_Path(QStringLiteral("other-user")));
    QFile log(home.File_Path(QStringLiteral(".eventlog/Application.log")));
    QTRY_VERIFY_WITH_TIMEOUT(log.exists() && log.size() > 0 && at_logon.state() == QProcess::Running, 60000);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString line = QString::fromUtf8(log.readAll());
    QVERIFY2(line.contains(QStringLiteral(" Quorvex Error 1: ") + TStartClaim::Refusal(home.Demo_Folder())),
             qPrintable(line));
    // Its message box waits for someone.
    at_logon.kill();
    QVERIFY(at_logon.waitForFinished(10000));
    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
}

// A socket name held by what this user cannot remove: the start runs, and
// knows that later starts cannot call it.
void TTestSingleInstance::Name_Taken_Is_Said()
{
    TTestHome home;
    TSingleInstance first(home.Demo_Folder());
    const QString taken = QDir::tempPath() + QLatin1Char('/') + first.Server_Name();
    QVERIFY(QDir().mkpath(taken + QStringLiteral("/in-use")));
    QCOMPARE(first.Claim(), TSingleInstance::TClaim::OURS);
    QDir(taken).removeRecursively();
    QVERIFY2(first.Listen_Error().startsWith(first.Server_Name() + QStringLiteral(": ")),
             qPrintable(first.Listen_Error()));
}
#endif

QTEST_MAIN(TTestSingleInstance)
#include "tst_singleinstance.moc"
