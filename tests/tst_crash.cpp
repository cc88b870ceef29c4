#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>

// The process may die at any moment (power, task manager): after each kill the
// file is whole, holds no half entry, and the next start works.
class TTestCrash : public QObject
{
    Q_OBJECT

private slots:
    void Killed_At_Random_Moments();

private:
    QString Check(const QString &database);
};

QString TTestCrash::Check(const QString &database)
{
    QString output;
    if (!TSqliteShell::Run(database,
                           QStringLiteral("PRAGMA integrity_check;\n"
                                          "SELECT count(*) FROM program p WHERE (SELECT count(*) FROM program_data d "
                                          "WHERE d.program_id=p.program_id)<>1;\n"
                                          "SELECT count(*) FROM program_message WHERE program_id NOT IN (SELECT "
                                          "program_id FROM program);\n"
                                          "SELECT count(*) FROM program;\n"),
                           &output))
        return QStringLiteral("the shell could not read the file");
    const QStringList lines = output.split(QLatin1Char('\n'));
    if (lines.value(0) != QLatin1String("ok"))
        return QStringLiteral("integrity check: ") + output;
    if (lines.value(1) != QLatin1String("0") || lines.value(2) != QLatin1String("0"))
        return QStringLiteral("a partial entry: ") + output;
    return QString();
}

void TTestCrash::Killed_At_Random_Moments()
{
    TTestHome home;
    // A busy shift: programs open, run, hit, report and close without pause.
    const QString script = home.File_Path(QStringLiteral("busy.txt"));
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text = "software-start\nmonitor\nwait 50\n";
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("open CMM1 A PART_%1\nstart\nhit\nhit\nerror fault %1\nlearn\nerror again\nend\n"
                                   "close\nwait 3\n")
                        .arg(i)
                        .toUtf8();
        text += "quit\n";
        file.write(text);
    }
    const QString database = home.Settings_Folder() + QStringLiteral("/database.db");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.Path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    const int KILLS = 20;
    int stored_before = 0;
    for (int kill = 1; kill <= KILLS; ++kill)
    {
        QProcess demo;
        demo.setProcessEnvironment(environment);
        demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
        QVERIFY(demo.waitForStarted());
        // The random moment: the process is killed, whatever it is doing.
        QTest::qWait(int(random.bounded(600, 2200)));
        ::kill(pid_t(demo.processId()), SIGKILL);
        QVERIFY(demo.waitForFinished(30000));
        QCOMPARE(demo.exitStatus(), QProcess::CrashExit);

        const QString fault = Check(database);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("kill %1, seed %2: %3").arg(kill).arg(seed).arg(fault)));
        QString count;
        TSqliteShell::Run(database, QStringLiteral("SELECT count(*) FROM program;\n"), &count);
        QVERIFY(count.trimmed().toInt() >= stored_before);
        stored_before = count.trimmed().toInt();
    }
    QVERIFY2(stored_before > KILLS, qPrintable(QStringLiteral("only %1 entries were stored").arg(stored_before)));

    // After the last kill the program starts and stops as usual.
    const QString quick = home.File_Path(QStringLiteral("quick.txt"));
    {
        QFile file(quick);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("software-start\nmonitor\nwait 50\nopen CMM1 A AFTER\nhit\nclose\nquit\n");
    }
    QProcess demo;
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), quick});
    QVERIFY(demo.waitForFinished(60000));
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(demo.exitCode(), 0);
    QVERIFY(Check(database).isEmpty());
    QString after;
    TSqliteShell::Run(database, QStringLiteral("SELECT count(*) FROM program WHERE name='AFTER';\n"), &after);
    QCOMPARE(after, QStringLiteral("1\n"));
    qInfo("%d kills survived, %d entries stored, seed %u", KILLS, stored_before, seed);
}

QTEST_GUILESS_MAIN(TTestCrash)
#include "tst_crash.moc"
