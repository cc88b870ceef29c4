#include "sim/demoscript.h"
#include "sim/measurementsoftware.h"
#include "src/app/quorvex.h"
#include "src/browse/datawidget.h"
#include "src/database/database.h"
#include "src/monitor/monitorprocess.h"
#include "src/monitor/ui/activeprogramwidget.h"
#include "src/report/ui/reportview.h"
#include "tests/support/listclicks.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

// The whole road from the measurement software's events to stored records,
// through the simulator and the real window.
class TTestMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Shift_Is_Recorded_data();
    void Shift_Is_Recorded();
    void Panel_Follows_The_Program();
    void Switching_Off_Stores_And_Counts();
    void Software_Quitting_And_Returning();
    void Late_Report_After_Switching_Off();
    void Quick_Off_And_On_Leaves_A_Watcher();
    void Closing_The_Window_Stores_And_Counts();
    void Software_Gone_Ends_The_Program();
    void Offline_Open_Leaves_The_Online_Record();
    void Closing_Right_After_Switching_Off_Counts();
    void Selection_Survives_A_Stored_Execution();

private:
    void Monitor_On(const QString &before = QString());
    bool Run(const QString &script);
    void Toggle();
    QString Status() const { return d_window->statusBar()->currentMessage(); }
    QString Field(const char *name) const
    {
        return d_window->findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    QString Log() const
    {
        return d_window->findChild<QPlainTextEdit *>(QStringLiteral("messages"))->toPlainText();
    }
    TActiveProgramWidget *Panel() const { return d_window->findChild<TActiveProgramWidget *>(); }
    TMonitorProcess *Watcher() const { return d_window->findChild<TMonitorProcess *>(); }
    QString Query(const QString &sql) const;
    TDataWidget *List(const char *name) const
    {
        return d_window->findChild<TDataWidget *>(QLatin1String(name));
    }
    void Select(const char *list, const QStringList &texts) { TListClicks::Select(List(list), texts); }
    QString Summary() const
    {
        return d_window->findChild<TReportView *>(QStringLiteral("summary_view"))->Text();
    }

    TTestHome *d_home = nullptr;
    TMeasurementSoftware *d_software = nullptr;
    TQuorvex *d_window = nullptr;
    TDemoScript *d_script = nullptr;
};

void TTestMonitor::init()
{
    d_home = new TTestHome;
    d_software = new TMeasurementSoftware;
    d_window = new TQuorvex;
    d_script = new TDemoScript(d_software, d_window);
}

void TTestMonitor::cleanup()
{
    if (d_window)
        d_window->close();
    delete d_window;
    d_window = nullptr;
    delete d_software;
    delete d_home;
}

QString TTestMonitor::Query(const QString &sql) const
{
    QString output;
    TSqliteShell::Run(d_home->Settings_Folder() + QStringLiteral("/database.db"), sql + QLatin1Char('\n'),
                      &output);
    return output.trimmed();
}

void TTestMonitor::Toggle()
{
    for (QAction *action : d_window->findChildren<QAction *>())
        if (action->text() == QLatin1String("Monitor"))
            action->trigger();
}

// The software runs before monitoring starts, so that the first report attaches at once.
void TTestMonitor::Monitor_On(const QString &before)
{
    d_software->Start();
    QVERIFY(Run(before));
    Toggle();
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Connected"));
}

// Lines of the demo's script language ("open CMM1 A NAME", "hit", "close" ...), separated by ';'.
// One script object for the test, so that "hit" and "close" reach the program last opened by any run.
bool TTestMonitor::Run(const QString &script)
{
    if (!d_script->Parse(script.split(QLatin1Char(';'))))
        return false;
    QSignalSpy finished(d_script, &TDemoScript::Finished);
    d_script->Start(d_window);
    return finished.wait(10000);
}

void TTestMonitor::Shift_Is_Recorded_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("ignored");
    QTest::newRow("one execution") << ""
                                   << "open CMM1 B BRACKET_A;start;hit;hit;learn;end;close"
                                   << "BRACKET_A|B|3|1|" << 0;
    QTest::newRow("online means CMM in any case")
        << ""
        << "open cmm-7 A LOWER;close;open Offline A OFF;hit;close;open XCMM A OFF;close;open CM A OFF;close"
        << "LOWER|A|0|1|" << 6;
    QTest::newRow("an offline close leaves the online program")
        << ""
        << "open Bench A BENCH;open CMM1 A KEPT;hit;close BENCH;hit;close KEPT"
        << "KEPT|A|2|1|" << 1;
    QTest::newRow("messages are one line each")
        << ""
        << "open CMM1 A MSG;error Probe\\n  hit \t  twice;error Second;close"
        << "MSG|A|0|1|Probe hit twice;Second" << 0;
    QTest::newRow("a second open stores the first")
        << ""
        << "open CMM1 A FIRST;hit;open CMM2 A SECOND;hit;hit;close SECOND;close FIRST"
        << "FIRST|A|1|1|\nSECOND|A|2|1|" << 0;
    QTest::newRow("an end without a start adds nothing") << ""
                                                         << "open CMM1 A ENDS;end;end;close"
                                                         << "ENDS|A|0|1|" << 0;
    // The execution under way at attach was not seen to start: its end adds no time.
    QTest::newRow("a program open at attach is taken up") << "open CMM2 R EARLY;start"
                                                          << "hit;end;close"
                                                          << "EARLY|R|1|1|" << 0;
}

void TTestMonitor::Shift_Is_Recorded()
{
    QFETCH(QString, before);
    QFETCH(QString, script);
    Monitor_On(before);
    QVERIFY(Run(script));
    QTEST(Query(QStringLiteral(
              "SELECT name,revision,point_count,execution_time=0,(SELECT group_concat(message,';') "
              "FROM program_message m WHERE m.program_id=p.program_id) FROM program p JOIN "
              "program_data USING(program_id) ORDER BY program_id;")),
          "stored");
    QTEST(int(Log().count(QStringLiteral("WAR:  Ignoring offline part program."))), "ignored");
}

void TTestMonitor::Panel_Follows_The_Program()
{
    Monitor_On();
    const int program =
        d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("B"), QStringLiteral("BRACKET_A"));
    QCOMPARE(Field("program_name"), QStringLiteral("BRACKET_A"));
    QCOMPARE(Field("program_revision"), QStringLiteral("B"));
    QCOMPARE(d_window->findChild<QTabWidget *>()->currentWidget(), Panel());
    d_software->Hit(program);
    d_software->Error_Message(program, QStringLiteral("Last"));
    QCOMPARE(Field("point_count"), QStringLiteral("1"));
    QCOMPARE(Field("last_error_message"), QStringLiteral("Last"));
    QVERIFY(Log().contains(QStringLiteral("INF:  Machine Event:     ExecuteHit")));
    // The machine's other events are not asked for.
    QVERIFY(!Log().contains(QStringLiteral("ReadoutUpdate")));
    // Hits on a machine whose program is no longer collected do not count.
    const int second =
        d_software->Open_Program(QStringLiteral("CMM2"), QStringLiteral("A"), QStringLiteral("SECOND"));
    d_software->Hit(program);
    QCOMPARE(Field("point_count"), QStringLiteral("0"));
    d_software->Close_Program(second);
}

void TTestMonitor::Switching_Off_Stores_And_Counts()
{
    Monitor_On();
    QVERIFY(Run(QStringLiteral("open CMM1 A OPEN;hit;wait 1100")));
    Toggle();
    QCOMPARE(Status(), QStringLiteral("INF:  Disconnected."));
    QCOMPARE(
        Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
        QStringLiteral("OPEN|1"));
    QVERIFY(Query(QStringLiteral("SELECT software_run_time FROM usage;")).toInt() >= 1);
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Monitor Stopped"));
    QTRY_VERIFY(!Watcher()->Is_Running());
    QVERIFY(Query(QStringLiteral("SELECT software_monitor_time FROM usage;")).toInt() >= 1);
    // Events of the software no longer reach the window.
    QVERIFY(Run(QStringLiteral("hit;close")));
    QCOMPARE(Query(QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("1"));
}

void TTestMonitor::Software_Quitting_And_Returning()
{
    Monitor_On();
    QTest::qWait(1100);
    d_software->Quit();
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Waiting for PC-DMIS software..."), 4000);
    QVERIFY(Query(QStringLiteral("SELECT software_run_time FROM usage;")).toInt() >= 1);

    d_software->Start();
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Connected"), 5000);
    QVERIFY(Run(QStringLiteral("open CMM1 A BACK;close")));
    QCOMPARE(Query(QStringLiteral("SELECT name FROM program;")), QStringLiteral("BACK"));
}

void TTestMonitor::Late_Report_After_Switching_Off()
{
    d_software->Start();
    Toggle();
    Toggle();
    QCOMPARE(Status(), QStringLiteral("INF:  Disconnected."));
    // The watcher's report of the visible window arrives after the switch-off and changes nothing.
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Monitor Stopped"));
    QTRY_VERIFY(!Watcher()->Is_Running());
    QVERIFY(Run(QStringLiteral("open CMM1 A UNSEEN;close")));
    QCOMPARE(Query(QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("0"));
    QVERIFY(Field("program_name").isEmpty());
}

void TTestMonitor::Quick_Off_And_On_Leaves_A_Watcher()
{
    d_software->Start();
    Toggle();
    Toggle();
    Toggle();
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Connected"));
    QVERIFY(Watcher()->Is_Running());
    d_software->Quit();
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Waiting for PC-DMIS software..."), 4000);
}

void TTestMonitor::Closing_The_Window_Stores_And_Counts()
{
    Monitor_On();
    QVERIFY(Run(QStringLiteral("open CMM1 A AT_CLOSE;learn;wait 1100")));
    QVERIFY(d_window->close());
    QVERIFY(!Watcher()->Is_Running());
    QCOMPARE(
        Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
        QStringLiteral("AT_CLOSE|1"));
    const QStringList usage = Query(QStringLiteral("SELECT * FROM usage;")).split('|');
    QVERIFY2(usage.value(0).toInt() >= 1 && usage.value(1).toInt() >= 1, qPrintable(usage.join('|')));
}

// The times themselves are the recorder's, tested exactly on a clock of its
// own; here only that the window's parts pass on what happens.

void TTestMonitor::Software_Gone_Ends_The_Program()
{
    Monitor_On();
    QVERIFY(Run(QStringLiteral("open CMM1 A GONE;hit;software-quit")));
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Waiting for PC-DMIS software..."), 4000);
    // Stored when the software went.
    QCOMPARE(
        Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
        QStringLiteral("GONE|1"));
    QVERIFY(Log().contains(QStringLiteral("WAR:  PC-DMIS gone; the open part program is stored.")));

    QVERIFY(Run(QStringLiteral("software-start")));
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Connected"), 5000);
    QVERIFY(Run(QStringLiteral("open CMM1 B BACK;start;end;close")));
    QCOMPARE(Query(QStringLiteral("SELECT name FROM program ORDER BY program_id;")),
             QStringLiteral("GONE\nBACK"));
}

void TTestMonitor::Offline_Open_Leaves_The_Online_Record()
{
    Monitor_On();
    QVERIFY(Run(QStringLiteral("open CMM1 A ONLINE;start;hit;open Bench B OFF;hit;close OFF;close ONLINE")));
    QCOMPARE(Query(QStringLiteral("SELECT name,revision,point_count FROM program JOIN program_data "
                                  "USING(program_id);")),
             QStringLiteral("ONLINE|A|1"));
    QCOMPARE(Log().count(QStringLiteral("WAR:  Ignoring offline part program.")), 2);
    QVERIFY(Log().contains(QStringLiteral("INF:  Database entry written.")));
}

// Counted at the switch-off, once: the watcher's late end adds nothing.
void TTestMonitor::Closing_Right_After_Switching_Off_Counts()
{
    QVERIFY(Run(QStringLiteral("software-start;monitor;wait 1100;monitor")));
    QVERIFY(d_window->close());
    const QStringList usage = Query(QStringLiteral("SELECT * FROM usage;")).split('|');
    QVERIFY2(usage.value(0).toInt() >= 1, qPrintable(usage.join('|')));
    delete d_window;
    d_window = nullptr;
    QCOMPARE(Query(QStringLiteral("SELECT * FROM usage;")).split('|'), usage);
}

void TTestMonitor::Selection_Survives_A_Stored_Execution()
{
    Monitor_On();
    QVERIFY(Run(QStringLiteral("open CMM1 A FIRST;close;open CMM1 A OTHER;close")));
    const QString today = Query(QStringLiteral("SELECT date FROM program LIMIT 1;"));
    Select("date_list", {today});
    QTRY_VERIFY(List("program_list")->isEnabled());
    Select("program_list", {QStringLiteral("FIRST")});
    QTRY_COMPARE(Summary().count(QStringLiteral("Program Name:")), 1);

    QVERIFY(Run(QStringLiteral("wait 1100;open CMM1 A FIRST;hit;close")));
    // What the user chose stays chosen, the report takes in the new entry, and
    // the export refers to what is shown.
    QTRY_COMPARE(Summary().count(QStringLiteral("Program Name:")), 2);
    QCOMPARE(List("date_list")->Selection(), QStringList{today});
    QTRY_VERIFY(List("program_list")->isEnabled());
    QCOMPARE(List("program_list")->Selection(), QStringList{QStringLiteral("FIRST")});
    QCOMPARE(List("program_list")->findChild<QListView *>()->model()->rowCount(), 2);
    for (QAction *action : d_window->findChildren<QAction *>())
        if (action->text() == QLatin1String("Export CSV"))
            QVERIFY(action->isEnabled());

    // A new date selection clears the program chosen, in the list as well.
    Select("date_list", {});
    QVERIFY(List("program_list")->Selection().isEmpty());
    QTRY_COMPARE(Summary(), QStringLiteral("No summary available."));
}

QTEST_MAIN(TTestMonitor)
#include "tst_monitor.moc"
