#include "sim/measurementsoftware.h"
#include "src/browse/datawidget.h"
#include "src/monitor/monitorprocess.h"
#include "src/app/quorvex.h"
#include "tests/support/filecheck.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QListView>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <vector>

// A randomised shift of the whole monitor: thousands of actions in any order
// on the simulator and the real window, with the file checked after each one.
// QUORVEX_SOAK_ACTIONS sets how many (default 1500), QUORVEX_SOAK_SEED the
// seed (default from the clock); a failure names both so it can be repeated.
class TTestSoak : public QObject
{
    Q_OBJECT

private slots:
    void Random_Shift();

private:
    void Act();
    QString Check();
    QString Check_New_Entries();
    void Open_Window();
    void Toggle_Monitor();
    void Quit_Software();
    void Close_Right_After_Switching_Off();
    void Select(TDataWidget *list);
    int Random_Program();
    QString Describe() const;

    QRandomGenerator d_random;
    TMeasurementSoftware *d_software = nullptr;
    TQuorvex *d_window = nullptr;
    QSqlDatabase d_check;
    qint64 d_monitor_total = 0;
    qint64 d_run_total = 0;
    qint64 d_last_entry = 0;
    // Whether monitoring is on, as the test switched it, and the watcher's last report.
    bool d_monitor_on = false;
    bool d_seen_visible = false;
    // When the window saw the software go: no entry spans such a moment.
    std::vector<QDateTime> d_software_gone;
    quint32 d_seed = 0;
    int d_step = 0;
    QString d_last_action;
};

QString TTestSoak::Describe() const
{
    return QStringLiteral("seed %1, step %2 (%3)").arg(d_seed).arg(d_step).arg(d_last_action);
}

void TTestSoak::Open_Window()
{
    d_window = new TQuorvex;
    d_monitor_on = false;
    d_seen_visible = false;
    // Queued after the window's own slot for the same report.
    connect(d_window->findChild<TMonitorProcess *>(), &TMonitorProcess::Class_Visible, this,
            [this](bool visible) { d_seen_visible = visible; });
}

void TTestSoak::Toggle_Monitor()
{
    for (QAction *action : d_window->findChildren<QAction *>())
        if (action->text() == QLatin1String("Monitor"))
            action->trigger();
    d_monitor_on = !d_monitor_on;
    if (!d_monitor_on)
        d_seen_visible = false;
}

// The software goes, and the window is given the time to see it, as it would
// be in a real shift where a restart takes longer than the watcher's poll.
void TTestSoak::Quit_Software()
{
    d_software->Quit();
    if (!d_monitor_on || !d_seen_visible)
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!d_seen_visible, 5000);
    d_software_gone.push_back(QDateTime::currentDateTime());
}

// Monitoring on for 3.2 s, switched off and the window closed at once: the
// period must be counted (whole seconds, less what the pieces drop).
void TTestSoak::Close_Right_After_Switching_Off()
{
    if (!d_monitor_on)
        Toggle_Monitor();
    QTest::qWait(3200);
    Toggle_Monitor();
    QVERIFY(d_window->close());
    delete d_window;
    const qint64 before = d_monitor_total;
    const QString faults = Check();
    QVERIFY2(faults.isEmpty(), qPrintable(faults + QStringLiteral(" ") + Describe()));
    QVERIFY2(d_monitor_total >= before + 1, qPrintable(QStringLiteral("monitor time lost at close, ") + Describe()));
    Open_Window();
}

int TTestSoak::Random_Program()
{
    const QList<int> open = d_software->Open_Programs();
    return open.isEmpty() ? -1 : open.at(int(d_random.bounded(open.size())));
}

void TTestSoak::Select(TDataWidget *list)
{
    QListView *view = list->findChild<QListView *>();
    const int rows = view->model()->rowCount();
    QItemSelection selection;
    for (int row = 0; row < rows; ++row)
        if (d_random.bounded(3) == 0)
            selection.select(view->model()->index(row, 0), view->model()->index(row, 0));
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TTestSoak::Act()
{
    static const char *const NAMES[] = {"BRACKET_A", "HOUSING", "COVER", "SHAFT 'B'", "Flansch \u00e9", "%1 PLATE",
                                        "", "GEAR"};
    static const char *const MESSAGES[] = {"Probe hit unexpected", "Axis X\nlimit   reached", "'); DROP TABLE x; --",
                                           "Air pressure low", "", "\u00c4rger %2"};
    static const char *const MACHINES[] = {"CMM1", "cmm-2", "CMM3", "Bench", "Offline"};

    const struct
    {
        int weight;
        const char *name;
        std::function<void()> action;
    } actions[] = {
        {3, "software start", [this]() { d_software->Start(); }},
        // Quitting and switching off are rarer, so that the window is attached for long stretches.
        {1, "software quit", [this]() {
             if (d_random.bounded(4) == 0)
                 Quit_Software();
         }},
        {1, "software quit mid-program",
         [this]()
         {
             if (d_random.bounded(3) != 0)
                 return;
             d_software->Open_Program(QStringLiteral("CMM1"), QStringLiteral("Q"), QStringLiteral("QUITTING"));
             if (d_random.bounded(2) == 0)
                 d_software->Start_Execution(Random_Program());
             QTest::qWait(int(300 + d_random.bounded(1200)));
             Quit_Software();
             // Back again, attached, and a tick of the clocks later.
             if (!d_monitor_on || d_random.bounded(2) == 0)
                 return;
             d_software->Start();
             QTRY_VERIFY_WITH_TIMEOUT(d_seen_visible, 5000);
             QTest::qWait(1200);
         }},
        {2, "monitor",
         [this]()
         {
             if (d_random.bounded(3) == 0)
                 Toggle_Monitor();
         }},
        {1, "close right after switching off",
         [this]()
         {
             if (d_random.bounded(8) == 0)
                 Close_Right_After_Switching_Off();
         }},
        {16, "open",
         [this]()
         {
             d_software->Open_Program(QString::fromUtf8(MACHINES[d_random.bounded(5)]),
                                      QStringLiteral("R%1").arg(d_random.bounded(3)),
                                      QString::fromUtf8(NAMES[d_random.bounded(8)]));
         }},
        {8, "start", [this]() { d_software->Start_Execution(Random_Program()); }},
        {8, "end", [this]() { d_software->End_Execution(Random_Program()); }},
        {15, "hit", [this]() { d_software->Hit(Random_Program()); }},
        {5, "learn", [this]() { d_software->Learn_Hit(Random_Program()); }},
        {5, "error", [this]() { d_software->Error_Message(Random_Program(), QString::fromUtf8(MESSAGES[d_random.bounded(6)])); }},
        {10, "close", [this]() { d_software->Close_Program(Random_Program()); }},
        {3, "select dates", [this]() { Select(d_window->findChild<TDataWidget *>(QStringLiteral("date_list"))); }},
        {3, "select programs", [this]() { Select(d_window->findChild<TDataWidget *>(QStringLiteral("program_list"))); }},
        {3, "wait", [this]() { QTest::qWait(int(d_random.bounded(d_random.bounded(10) == 0 ? 2500 : 400))); }},
    };
    int total = 0;
    for (const auto &action : actions)
        total += action.weight;
    int pick = int(d_random.bounded(total));
    for (const auto &action : actions)
    {
        if (pick < action.weight)
        {
            d_last_action = QLatin1String(action.name);
            action.action();
            break;
        }
        pick -= action.weight;
    }
    QCoreApplication::processEvents();
}

// The file's invariants, and usage totals that never go down.
QString TTestSoak::Check()
{
    const QString faults = TFileCheck::Faults(d_check);
    if (!faults.isEmpty())
        return faults;
    QSqlQuery query(d_check);
    const auto number = [&query](const char *statement) {
        return query.exec(QLatin1String(statement)) && query.next() ? query.value(0).toLongLong() : -1;
    };
    const qint64 monitor = number("SELECT software_monitor_time FROM usage");
    const qint64 run = number("SELECT software_run_time FROM usage");
    if (monitor < d_monitor_total || run < d_run_total)
        return QStringLiteral("a usage total went down");
    d_monitor_total = monitor;
    d_run_total = run;
    return Check_New_Entries();
}

// An entry's times fit between its opening and the moment it was stored, and
// that moment comes no later than the software's going.
QString TTestSoak::Check_New_Entries()
{
    QSqlQuery query(d_check);
    if (!query.exec(QStringLiteral("SELECT program_id,date,time,execution_time,idle_time FROM program JOIN "
                                   "program_data USING(program_id) WHERE program_id>%1 ORDER BY program_id")
                        .arg(d_last_entry)))
        return QStringLiteral("entries unreadable");
    const QDateTime now = QDateTime::currentDateTime();
    while (query.next())
    {
        d_last_entry = query.value(0).toLongLong();
        const QDateTime opened =
            QLocale::c().toDateTime(query.value(1).toString() + QLatin1Char(' ') + query.value(2).toString(),
                                    QStringLiteral("yyyy MMM dd hh mm ss ap"));
        // The stored open time is cut to the second: a going within that
        // second may have come before the opening itself.
        QDateTime end = now;
        for (const QDateTime &gone : d_software_gone)
            if (gone >= opened.addSecs(1) && gone < end)
                end = gone;
        const qint64 seconds = query.value(3).toLongLong() + query.value(4).toLongLong();
        if (!opened.isValid() || seconds > opened.secsTo(end) + 1)
            return QStringLiteral("entry %1 holds %2 s, open for at most %3 s")
                .arg(d_last_entry)
                .arg(seconds)
                .arg(opened.secsTo(end));
    }
    return QString();
}

void TTestSoak::Random_Shift()
{
    const int actions = qEnvironmentVariableIsSet("QUORVEX_SOAK_ACTIONS") ? qEnvironmentVariableIntValue("QUORVEX_SOAK_ACTIONS") : 1500;
    d_seed = qEnvironmentVariableIsSet("QUORVEX_SOAK_SEED") ? quint32(qEnvironmentVariableIntValue("QUORVEX_SOAK_SEED"))
                                                             : quint32(QDateTime::currentMSecsSinceEpoch());
    d_random.seed(d_seed);
    qInfo("soak: %d actions, seed %u", actions, d_seed);

    TTestHome home;
    d_software = new TMeasurementSoftware;
    Open_Window();
    d_check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("quorvex_soak_check"));
    d_check.setDatabaseName(home.Settings_Folder() + QStringLiteral("/database.db"));
    d_check.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
    QVERIFY(d_check.open());

    for (d_step = 1; d_step <= actions; ++d_step)
    {
        Act();
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("after ") + Describe()));
        const QString fault = Check();
        QVERIFY2(fault.isEmpty(), qPrintable(fault + QStringLiteral(" after ") + Describe()));
        if (d_step % 10000 == 0)
            qInfo("soak: %d actions clean so far", d_step);
    }
    d_last_action = QStringLiteral("window closed");
    QVERIFY(d_window->close());
    delete d_window;
    delete d_software;
    const QString fault = Check();
    QVERIFY2(fault.isEmpty(), qPrintable(fault + QStringLiteral(" after ") + Describe()));
    QSqlQuery count(d_check);
    QVERIFY(count.exec(QStringLiteral("SELECT count(*) FROM program")) && count.next());
    qInfo("soak: %d actions clean, %lld entries stored, seed %u", actions, count.value(0).toLongLong(), d_seed);
    d_check.close();
    d_check = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("quorvex_soak_check"));
}

QTEST_MAIN(TTestSoak)
#include "tst_soak.moc"
