#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QProcess>
#include <QtTest>

// quorvex-demo runs a scripted shift end to end and leaves exactly its records.
class TTestDemo : public QObject
{
    Q_OBJECT

private slots:
    void Scripted_Shift();
    void Unknown_Line_Stops_Before_Anything();

private:
    int Run(const TTestHome &home, const QString &script, QString *errors = nullptr);
};

int TTestDemo::Run(const TTestHome &home, const QString &script, QString *errors)
{
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
    if (!demo.waitForFinished(120000) || demo.exitStatus() != QProcess::NormalExit)
        return -1;
    if (errors)
        *errors = QString::fromLocal8Bit(demo.readAllStandardError());
    return demo.exitCode();
}

void TTestDemo::Scripted_Shift()
{
    TTestHome home;
    QCOMPARE(Run(home, QStringLiteral(QUORVEX_SOURCE "/sim/scripts/shift.txt")), 0);
    const QString database = home.Settings_Folder() + QStringLiteral("/database.db");
    QString output;
    QVERIFY(TSqliteShell::Run(database,
                              QStringLiteral("SELECT name,revision,point_count,execution_time>=0 AND idle_time>=0 FROM "
                                             "program JOIN program_data USING(program_id) ORDER BY program_id;\n"
                                             "SELECT program_id,message FROM program_message;\n"
                                             "PRAGMA integrity_check;\n"),
                              &output));
    QCOMPARE(output, QStringLiteral("BRACKET_A|A|3|1\nHOUSING|C|1|1\nCOVER|D|1|1\n"
                                    "1|Probe hit unexpected at X\nok\n"));
    QVERIFY(TSqliteShell::Run(database, QStringLiteral("SELECT software_monitor_time>=5, software_run_time>=2 FROM usage;\n"),
                              &output));
    QCOMPARE(output, QStringLiteral("1|1\n"));
}

void TTestDemo::Unknown_Line_Stops_Before_Anything()
{
    TTestHome home;
    const QString script = home.File_Path(QStringLiteral("bad.txt"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# comment\n\nsoftware-start\nmonitor\nwait soon\nquit\n");
    file.close();
    QString errors;
    QCOMPARE(Run(home, script, &errors), 2);
    QVERIFY2(errors.contains(QStringLiteral("bad.txt:5: unknown line: wait soon")), qPrintable(errors));
    QVERIFY(!QFileInfo::exists(home.Settings_Folder()));
}

QTEST_GUILESS_MAIN(TTestDemo)
#include "tst_demo.moc"
