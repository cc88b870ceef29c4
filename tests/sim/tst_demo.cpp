#include "sim/demo.h"
#include "src/app/quorvex.h"
#include "src/app/trayicon.h"
#include "src/browse/datawidget.h"
#include "src/report/ui/reportview.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

// quorvex-demo runs a scripted shift end to end and leaves exactly its records,
// in a data folder of its own: never in the real program's record.
class TTestDemo : public QObject
{
    Q_OBJECT

private slots:
    void Scripted_Shift_Keeps_To_Its_Own_Folder_data();
    void Scripted_Shift_Keeps_To_Its_Own_Folder();
    void Unknown_Line_Stops_Before_Anything();
    void Sample_Shift_Shows_The_Whole_Road();

private:
    // HOME_ONLY: the home folder comes from HOME alone, as for a user who set nothing.
    int Run(const TTestHome &home, const QString &script, QString *errors = nullptr, bool home_only = false);
    static QStringList Snapshot(const QString &folder);
};

int TTestDemo::Run(const TTestHome &home, const QString &script, QString *errors, bool home_only)
{
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    home.Apply(&environment);
    if (home_only)
        environment.remove(QLatin1String(THomeFolder::VARIABLE));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(QUORVEX_DEMO), {QStringLiteral("--script"), script});
    if (!demo.waitForFinished(120000) || demo.exitStatus() != QProcess::NormalExit)
        return -1;
    if (errors)
        *errors = QString::fromLocal8Bit(demo.readAllStandardError());
    return demo.exitCode();
}

// Every file under FOLDER with its size, time and content.
QStringList TTestDemo::Snapshot(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
    {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("unreadable: ") + file.fileName()};
        files << QStringLiteral("%1 %2 %3 %4")
                     .arg(file.fileName())
                     .arg(file.size())
                     .arg(it.fileInfo().lastModified().toMSecsSinceEpoch())
                     .arg(QString::fromLatin1(
                         QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
    }
    files.sort();
    return files;
}

void TTestDemo::Scripted_Shift_Keeps_To_Its_Own_Folder_data()
{
    QTest::addColumn<bool>("home_only");
    QTest::newRow("home folder named by QUORVEX_HOME") << false;
    QTest::newRow("home folder of the user") << true;
}

void TTestDemo::Scripted_Shift_Keeps_To_Its_Own_Folder()
{
    QFETCH(bool, home_only);
#ifdef Q_OS_WIN
    if (home_only)
        QSKIP("Windows gives the profile folder of the account whatever HOME says: a test cannot move it");
#endif
    TTestHome home;
    // The real program's record of the same user, beside the demo's.
    QVERIFY(QDir().mkpath(home.Settings_Folder()));
    QVERIFY(
        TSqliteShell::Run(home.Settings_Folder() + QStringLiteral("/database.db"),
                          QStringLiteral("CREATE TABLE program(program_id INTEGER PRIMARY KEY, name TEXT);\n"
                                         "INSERT INTO program(name) VALUES('REAL_PART');\n")));
    QFile settings(home.Settings_Folder() + QStringLiteral("/Settings.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("[General]\nExport_Path=/real\n") > 0);
    settings.close();
    const QStringList real = Snapshot(home.Settings_Folder());
    QCOMPARE(real.size(), 2);

    QCOMPARE(Run(home, QStringLiteral(QUORVEX_SOURCE "/sim/scripts/shift.txt"), nullptr, home_only), 0);
    QCOMPARE(Snapshot(home.Settings_Folder()), real);
    const QString database = home.Demo_Folder() + QStringLiteral("/database.db");
    QString output;
    QVERIFY(TSqliteShell::Run(
        database,
        QStringLiteral("SELECT name,revision,point_count,execution_time>=0 AND idle_time>=0 FROM "
                       "program JOIN program_data USING(program_id) ORDER BY program_id;\n"
                       "SELECT program_id,message FROM program_message;\n"
                       "SELECT DISTINCT reason,source,open FROM stops;\n"
                       "PRAGMA integrity_check;\n"),
        &output));
    QCOMPARE(output, QStringLiteral("BRACKET_A|A|3|1\nHOUSING|C|1|1\nCOVER|D|1|1\n"
                                    "1|Probe hit unexpected at X\nWaiting for parts|operator|0\nok\n"));
    // The script's waits after "monitor" sum to 4.9 s, counted in whole seconds
    // from the moment monitoring started, which a busy machine delays.
    QVERIFY(TSqliteShell::Run(
        database, QStringLiteral("SELECT software_monitor_time>=4, software_run_time>=2 FROM usage;\n"),
        &output));
    QCOMPARE(output, QStringLiteral("1|1\n"));
}

void TTestDemo::Unknown_Line_Stops_Before_Anything()
{
    TTestHome home;
    const QString script = home.File_Path(QStringLiteral("bad.txt"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# comment\n\nsoftware-start\nmonitor on\nwait attached\nwait soon\nquit\n");
    file.close();
    QString errors;
    QCOMPARE(Run(home, script, &errors), 2);
    QVERIFY2(errors.contains(QStringLiteral("bad.txt:6: unknown line: wait soon")), qPrintable(errors));
    QVERIFY(!QFileInfo::exists(home.Demo_Folder()));
}

// What a new user sees: the hint on a first start, then the sample shift's
// entries stored, the lists filled and the report made; the hint only once.
void TTestDemo::Sample_Shift_Shows_The_Whole_Road()
{
    TTestHome home;
    const QStringList names{QStringLiteral("BRACKET_A"), QStringLiteral("COVER"), QStringLiteral("HOUSING"),
                            QStringLiteral("SHAFT_40")};
    {
        TDemo demo;
        demo.Show(home.Demo_Folder());
        TQuorvex *window = demo.Window();
        QVERIFY(window->windowTitle().contains(QStringLiteral("demo")));
        const QPlainTextEdit *panel = window->findChild<QPlainTextEdit *>(QStringLiteral("messages"));
        QVERIFY(panel->toPlainText().contains(TDemo::FIRST_START_HINT));

        TTrayIcon *tray = window->findChild<TTrayIcon *>();
        QCOMPARE(tray->Text(), QStringLiteral("Quorvex: not connected"));
        QStringList states;
        connect(tray, &TTrayIcon::Text_Changed, this, [&states](const QString &text) { states << text; });
        QSignalSpy finished(&demo, &TDemo::Sample_Finished);
        QVERIFY(demo.Play_Sample(4));
        QVERIFY(!demo.Play_Sample(4));
        QVERIFY(finished.wait(60000));
        // The tray followed the monitor through the shift.
        states.removeDuplicates();
        for (const char *state : {"waiting for the measurement software", "attached", "collecting a program"})
            QVERIFY2(states.contains(QStringLiteral("Quorvex: ") + QLatin1String(state)),
                     qPrintable(states.join(QStringLiteral(", "))));
        QStringList selected = window->findChild<TDataWidget *>(QStringLiteral("program_list"))->Selection();
        selected.sort();
        QCOMPARE(selected, names);
        const TReportView *view = window->findChild<TReportView *>(QStringLiteral("summary_view"));
        // The report is written in the background.
        QTRY_VERIFY_WITH_TIMEOUT(view->Text().contains(QStringLiteral("SHAFT_40")), 10000);
        const QString report = view->Text();
        for (const QString &name : names)
            QVERIFY2(report.contains(name), qPrintable(name));
        QVERIFY(report.contains(QStringLiteral("Probe hit unexpected at X 12.405 Y -3.220")));
        QVERIFY(demo.Play_Sample(4));
        window->close();
    }
    QString output;
    QVERIFY(TSqliteShell::Run(home.Demo_Folder() + QStringLiteral("/database.db"),
                              QStringLiteral("SELECT DISTINCT name FROM program ORDER BY name;\n"), &output));
    QCOMPARE(output, names.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QVERIFY(!QFileInfo::exists(home.Settings_Folder()));

    TDemo again;
    again.Show(home.Demo_Folder());
    QVERIFY(!again.Window()
                 ->findChild<QPlainTextEdit *>(QStringLiteral("messages"))
                 ->toPlainText()
                 .contains(TDemo::FIRST_START_HINT));
    again.Window()->close();
}

QTEST_MAIN(TTestDemo)

#include "tst_demo.moc"
