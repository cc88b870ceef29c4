#include "src/pending/pendingfile.h"
#include "tests/support/filecheck.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

// The process may die at any moment (power, task manager): after each kill the
// file is whole, holds no half entry, and the next start works.
class TTestCrash : public QObject
{
    Q_OBJECT

private slots:
    void Killed_At_Random_Moments();
    void Killed_While_Entries_Wait();

private:
    static QString Busy_Shift(const TTestHome &home, const QString &prefix);
    static QProcessEnvironment Environment(const TTestHome &home);
    static bool Run_Quick_Shift(const TTestHome &home);
    static bool Kill_At_Random(const TTestHome &home, const QString &script, QRandomGenerator *random);
};

// The demo on a shift, killed at a random moment, whatever it is doing.
bool TTestCrash::Kill_At_Random(const TTestHome &home, const QString &script, QRandomGenerator *random)
{
    QProcess demo;
    demo.setProcessEnvironment(Environment(home));
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
    if (!demo.waitForStarted())
        return false;
    QTest::qWait(int(random->bounded(600, 2200)));
    demo.kill(); // SIGKILL, or TerminateProcess on Windows: no chance to clean up
    return demo.waitForFinished(30000) && demo.exitStatus() == QProcess::CrashExit;
}

QString TTestCrash::Busy_Shift(const TTestHome &home, const QString &prefix)
{
    const QString script = home.File_Path(prefix + QStringLiteral(".txt"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("software-start\nmonitor\nwait 50\n");
    for (int i = 0; i < 400; ++i)
        file.write(
            QStringLiteral("open CMM1 A %1_%2\nstart\nhit\nhit\nerror fault\nlearn\nend\nclose\nwait 3\n")
                .arg(prefix)
                .arg(i)
                .toUtf8());
    file.write("quit\n");
    return script;
}

QProcessEnvironment TTestCrash::Environment(const TTestHome &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

// After the kills the program starts, stores one more entry and stops as usual.
bool TTestCrash::Run_Quick_Shift(const TTestHome &home)
{
    const QString quick = home.File_Path(QStringLiteral("quick.txt"));
    QFile file(quick);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("software-start\nmonitor\nwait 50\nopen CMM1 A AFTER\nhit\nclose\nquit\n");
    file.close();
    QProcess demo;
    demo.setProcessEnvironment(Environment(home));
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), quick});
    return demo.waitForFinished(60000) && demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0;
}

void TTestCrash::Killed_At_Random_Moments()
{
    TTestHome home;
    const QString script = Busy_Shift(home, QStringLiteral("PART"));
    const QString database = home.Demo_Folder() + QStringLiteral("/database.db");
    const quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    const int KILLS = 20;
    int stored_before = 0;
    for (int kill = 1; kill <= KILLS; ++kill)
    {
        QVERIFY(Kill_At_Random(home, script, &random));
        const QString fault = TFileCheck::Faults(database);
        QVERIFY2(fault.isEmpty(),
                 qPrintable(QStringLiteral("kill %1, seed %2: %3").arg(kill).arg(seed).arg(fault)));
        QString count;
        TSqliteShell::Run(database, QStringLiteral("SELECT count(*) FROM program;\n"), &count);
        QVERIFY(count.trimmed().toInt() >= stored_before);
        stored_before = count.trimmed().toInt();
    }
    QVERIFY2(stored_before > KILLS,
             qPrintable(QStringLiteral("only %1 entries were stored").arg(stored_before)));

    QVERIFY(Run_Quick_Shift(home));
    QVERIFY(TFileCheck::Faults(database).isEmpty());
    QString after;
    TSqliteShell::Run(database, QStringLiteral("SELECT count(*) FROM program WHERE name='AFTER';\n"), &after);
    QCOMPARE(after, QStringLiteral("1\n"));
    qInfo("%d kills survived, %d entries stored, seed %u", KILLS, stored_before, seed);
}

// The database refuses every write (the file is not one); whatever waits in
// the pending folder when the process dies is whole, and all of it arrives.
void TTestCrash::Killed_While_Entries_Wait()
{
    TTestHome home;
    QVERIFY(QDir().mkpath(home.Demo_Folder()));
    const QString database = home.Demo_Folder() + QStringLiteral("/database.db");
    const QString pending = home.Demo_Folder() + QStringLiteral("/pending");
    {
        QFile garbage(database);
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(8192, 'x')) == 8192);
    }
    const quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    QStringList waiting;
    for (int kill = 1; kill <= 3; ++kill)
        QVERIFY(Kill_At_Random(home, Busy_Shift(home, QStringLiteral("RUN%1").arg(kill)), &random));
    for (const QString &name : QDir(pending).entryList({QStringLiteral("*.entry")}, QDir::Files, QDir::Name))
    {
        TPendingFile entry = TPendingFile::Execution(TExecution());
        QString error;
        QVERIFY2(TPendingFile::Read(pending + QLatin1Char('/') + name, &entry, &error),
                 qPrintable(QStringLiteral("seed %1, %2: %3").arg(seed).arg(name, error)));
        waiting << entry.Item().Name();
    }
    QVERIFY2(waiting.size() > 3,
             qPrintable(QStringLiteral("seed %1: only %2 waiting").arg(seed).arg(waiting.size())));

    QVERIFY(QFile::remove(database));
    QVERIFY(Run_Quick_Shift(home));
    QVERIFY(TFileCheck::Faults(database).isEmpty());
    QString stored;
    TSqliteShell::Run(database, QStringLiteral("SELECT name FROM program ORDER BY program_id;\n"), &stored);
    QCOMPARE(stored,
             (waiting + QStringList{QStringLiteral("AFTER")}).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(QDir(pending).entryList({QStringLiteral("*.entry"), QStringLiteral("*.usage")}, QDir::Files),
             QStringList());
    qInfo("%d waiting entries survived 3 kills, seed %u", int(waiting.size()), seed);
}

QTEST_GUILESS_MAIN(TTestCrash)
#include "tst_crash.moc"
