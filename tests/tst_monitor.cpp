#include "sim/measurementsoftware.h"
#include "src/activeprogramwidget.h"
#include "src/database.h"
#include "src/monitorprocess.h"
#include "src/quorvex.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QLineEdit>
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
    void Execution_Is_Recorded();
    void Executions_Of_One_Open_Add_Up();
    void Online_Means_CMM_In_Any_Case();
    void Controller_Message_Is_One_Line();
    void Switching_Off_Stores_The_Open_Program();
    void Software_Quitting_And_Returning();
    void Program_Open_At_Attach_Is_Taken_Up();
    void End_Without_Start_Adds_Nothing();
    void Late_Report_After_Switching_Off();
    void Quick_Off_And_On_Leaves_A_Watcher();
    void Run_Time_Counted_When_Switched_Off();
    void Second_Open_Stores_The_First();
    void Failed_Store_Is_Reported();
    void Closing_The_Window_Stores_And_Counts();

private:
    void Monitor_On();
    void Toggle();
    QString Status() const { return d_window->statusBar()->currentMessage(); }
    QString Field(const char *name) const
    {
        return d_window->findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    QString Log() const { return d_window->findChild<QPlainTextEdit *>(QStringLiteral("messages"))->toPlainText(); }
    TActiveProgramWidget *Panel() const { return d_window->findChild<TActiveProgramWidget *>(); }
    TMonitorProcess *Watcher() const { return d_window->findChild<TMonitorProcess *>(); }
    QString Query(const QString &sql) const;

    TTestHome *d_home = nullptr;
    TMeasurementSoftware *d_software = nullptr;
    TQuorvex *d_window = nullptr;
};

void TTestMonitor::init()
{
    d_home = new TTestHome;
    d_software = new TMeasurementSoftware;
    d_window = new TQuorvex;
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
    TSqliteShell::Run(d_home->Settings_Folder() + QStringLiteral("/database.db"), sql + QLatin1Char('\n'), &output);
    return output.trimmed();
}

void TTestMonitor::Toggle()
{
    for (QAction *action : d_window->findChildren<QAction *>())
        if (action->text() == QLatin1String("Monitor"))
            action->trigger();
}

// The software runs before monitoring starts, so that the first report attaches at once.
void TTestMonitor::Monitor_On()
{
    d_software->Start();
    Toggle();
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Connected"));
}

void TTestMonitor::Execution_Is_Recorded()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("B"), QStringLiteral("BRACKET_A"));
    QCOMPARE(Field("program_name"), QStringLiteral("BRACKET_A"));
    QCOMPARE(Field("program_revision"), QStringLiteral("B"));
    QCOMPARE(d_window->findChild<QTabWidget *>()->currentWidget(), Panel());
    d_software->Start_Execution(program);
    for (int hit = 0; hit < 3; ++hit)
        d_software->Hit(program);
    QCOMPARE(Field("point_count"), QStringLiteral("3"));
    d_software->End_Execution(program);
    d_software->Close_Program(program);

    QVERIFY(Log().endsWith(QStringLiteral("INF:  Database entry written.")));
    QCOMPARE(Query(QStringLiteral("SELECT name,revision,execution_time,idle_time,point_count FROM program JOIN "
                                  "program_data USING(program_id);")),
             QStringLiteral("BRACKET_A|B|%1|%2|3").arg(Panel()->Execution_Time()).arg(Panel()->Idle_Time()));
    // The lists show the new entry.
    const QString date = TDatabase::Stored_Date_Text(QDate::currentDate());
    QCOMPARE(Query(QStringLiteral("SELECT date FROM program;")), date);
    QVERIFY(Log().contains(QStringLiteral("INF:  Machine Event:     ExecuteHit")));
    // The machine's other events are not asked for.
    QVERIFY(!Log().contains(QStringLiteral("ReadoutUpdate")));
}

void TTestMonitor::Executions_Of_One_Open_Add_Up()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("TWICE"));
    for (int run = 0; run < 2; ++run)
    {
        d_software->Start_Execution(program);
        d_software->Hit(program);
        QTest::qWait(1100);
        d_software->End_Execution(program);
    }
    d_software->Close_Program(program);
    const QStringList stored = Query(QStringLiteral("SELECT execution_time,point_count FROM program_data;")).split('|');
    QCOMPARE(stored.value(1), QStringLiteral("2"));
    QVERIFY2(stored.value(0).toInt() >= 2, qPrintable(stored.join('|')));
    QCOMPARE(stored.value(0).toInt(), Panel()->Execution_Time());
}

void TTestMonitor::Online_Means_CMM_In_Any_Case()
{
    Monitor_On();
    const int lower = d_software->Open_Program(QStringLiteral("cmm-7"), QStringLiteral("A"), QStringLiteral("LOWER"));
    d_software->Close_Program(lower);
    for (const char *machine : {"Offline", "XCMM", "CM"})
    {
        const int offline = d_software->Open_Program(QLatin1String(machine), QStringLiteral("A"), QStringLiteral("OFF"));
        d_software->Hit(offline);
        d_software->Close_Program(offline);
    }
    QCOMPARE(Query(QStringLiteral("SELECT name FROM program;")), QStringLiteral("LOWER"));
    QCOMPARE(Log().count(QStringLiteral("WAR:  Ignoring offline part program.")), 6);

    // Closing an offline program while an online one is collected changes nothing else.
    const int offline = d_software->Open_Program(QStringLiteral("Bench"), QStringLiteral("A"), QStringLiteral("BENCH"));
    const int online = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("KEPT"));
    d_software->Hit(online);
    d_software->Close_Program(offline);
    QCOMPARE(Field("program_name"), QStringLiteral("KEPT"));
    QCOMPARE(Query(QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("1"));
    d_software->Hit(online);
    d_software->Close_Program(online);
    QCOMPARE(Query(QStringLiteral("SELECT point_count FROM program JOIN program_data USING(program_id) WHERE "
                                  "name='KEPT';")),
             QStringLiteral("2"));
}

void TTestMonitor::Controller_Message_Is_One_Line()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("MSG"));
    d_software->Error_Message(program, QStringLiteral("  Probe\r\n  hit \t  twice  "));
    d_software->Error_Message(program, QStringLiteral("Second"));
    QCOMPARE(Field("last_error_message"), QStringLiteral("Second"));
    d_software->Close_Program(program);
    QCOMPARE(Query(QStringLiteral("SELECT message FROM program_message ORDER BY rowid;")),
             QStringLiteral("Probe hit twice\nSecond"));
}

void TTestMonitor::Switching_Off_Stores_The_Open_Program()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("OPEN"));
    d_software->Hit(program);
    Toggle();
    QCOMPARE(Status(), QStringLiteral("INF:  Disconnected."));
    QCOMPARE(Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
             QStringLiteral("OPEN|1"));
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Monitor Stopped"));
    QVERIFY(!Watcher()->isRunning());
    // Events of the software no longer reach the window.
    d_software->Hit(program);
    d_software->Close_Program(program);
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
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("BACK"));
    d_software->Close_Program(program);
    QCOMPARE(Query(QStringLiteral("SELECT name FROM program;")), QStringLiteral("BACK"));
}

void TTestMonitor::Program_Open_At_Attach_Is_Taken_Up()
{
    d_software->Start();
    const int program = d_software->Open_Program(QStringLiteral("CMM2"), QStringLiteral("R"), QStringLiteral("EARLY"));
    d_software->Start_Execution(program);
    Toggle();
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Connected"));
    QCOMPARE(Field("program_name"), QStringLiteral("EARLY"));
    d_software->Hit(program);
    // The execution under way was not seen to start: its end adds no time.
    d_software->End_Execution(program);
    QCOMPARE(Field("execution_time"), QStringLiteral("0"));
    d_software->Close_Program(program);
    QCOMPARE(Query(QStringLiteral("SELECT name,revision,execution_time,point_count FROM program JOIN program_data "
                                  "USING(program_id);")),
             QStringLiteral("EARLY|R|0|1"));
}

void TTestMonitor::End_Without_Start_Adds_Nothing()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("ENDS"));
    d_software->End_Execution(program);
    d_software->End_Execution(program);
    QCOMPARE(Field("execution_time"), QStringLiteral("0"));
    QCOMPARE(Field("idle_time"), QStringLiteral("0"));
    d_software->Close_Program(program);
    QCOMPARE(Query(QStringLiteral("SELECT execution_time,idle_time FROM program_data;")), QStringLiteral("0|0"));
}

void TTestMonitor::Late_Report_After_Switching_Off()
{
    d_software->Start();
    Toggle();
    Toggle();
    QCOMPARE(Status(), QStringLiteral("INF:  Disconnected."));
    // The watcher's report of the visible window arrives after the switch-off and changes nothing.
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Monitor Stopped"));
    QVERIFY(!Watcher()->isRunning());
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("UNSEEN"));
    d_software->Close_Program(program);
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
    QVERIFY(Watcher()->isRunning());
    d_software->Quit();
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("INF:  Waiting for PC-DMIS software..."), 4000);
}

void TTestMonitor::Run_Time_Counted_When_Switched_Off()
{
    Monitor_On();
    QTest::qWait(1100);
    Toggle();
    QVERIFY(Query(QStringLiteral("SELECT software_run_time FROM usage;")).toInt() >= 1);
    QTRY_COMPARE(Status(), QStringLiteral("INF:  Monitor Stopped"));
    QVERIFY(Query(QStringLiteral("SELECT software_monitor_time FROM usage;")).toInt() >= 1);
}

void TTestMonitor::Second_Open_Stores_The_First()
{
    Monitor_On();
    const int first = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("FIRST"));
    d_software->Hit(first);
    const int second = d_software->Open_Program(QStringLiteral("CMM2"), QStringLiteral("A"), QStringLiteral("SECOND"));
    QCOMPARE(Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
             QStringLiteral("FIRST|1"));
    // The machine events now come from the second program's machine.
    d_software->Hit(first);
    d_software->Hit(second);
    d_software->Hit(second);
    d_software->Close_Program(second);
    QCOMPARE(Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id) "
                                  "WHERE name='SECOND';")),
             QStringLiteral("SECOND|2"));
    // The first program's close finds nothing left to store.
    d_software->Close_Program(first);
    QCOMPARE(Query(QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("2"));
}

void TTestMonitor::Failed_Store_Is_Reported()
{
    Monitor_On();
    QVERIFY(TSqliteShell::Run(d_home->Settings_Folder() + QStringLiteral("/database.db"),
                              QStringLiteral("DROP TABLE program_message;\n"
                                             "CREATE TABLE program_message(program_id INTEGER,message TEXT CHECK(0));\n")));
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("LOST"));
    d_software->Error_Message(program, QStringLiteral("refused"));
    d_software->Close_Program(program);
    QVERIFY2(Log().contains(QStringLiteral("ERR:  Database entry not written: Cannot add data to table "
                                           "'program_message'.  Reason: ")),
             qPrintable(Log()));
    QVERIFY(!Log().contains(QStringLiteral("INF:  Database entry written.")));
    QCOMPARE(Query(QStringLiteral("SELECT count(*) FROM program;")), QStringLiteral("0"));
}

void TTestMonitor::Closing_The_Window_Stores_And_Counts()
{
    Monitor_On();
    const int program = d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), QStringLiteral("AT_CLOSE"));
    d_software->Learn_Hit(program);
    QTest::qWait(1100);
    QVERIFY(d_window->close());
    QVERIFY(!Watcher()->isRunning());
    QCOMPARE(Query(QStringLiteral("SELECT name,point_count FROM program JOIN program_data USING(program_id);")),
             QStringLiteral("AT_CLOSE|1"));
    const QStringList usage = Query(QStringLiteral("SELECT * FROM usage;")).split('|');
    QVERIFY2(usage.value(0).toInt() >= 1 && usage.value(1).toInt() >= 1, qPrintable(usage.join('|')));
}

QTEST_MAIN(TTestMonitor)
#include "tst_monitor.moc"
