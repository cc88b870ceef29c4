#include "src/database/database.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/recorder.h"
#include "tests/support/fakeclock.h"
#include "tests/support/testhome.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(TRecorder::TConnection)

namespace
{
const QString CONNECTION = QStringLiteral("quorvex_database");
} // namespace

// What the recorder stores for each order of events, exact to the second, on
// a clock the test moves: the rules for execution, idle and usage time.
class TTestRecorder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Shift_Stores_Exact_Times_data();
    void Shift_Stores_Exact_Times();
    void Shown_Times_Follow_The_Clock();
    void Activity_Follows_Connection_And_Execution();
    void Refused_Execution_Is_Kept_And_Said();

private:
    // One step a word: on, off, watch, watcher-end, attach, gone, close-window,
    // open NAME, offline, close, close-offline, start, end, hit, learn,
    // error TEXT, wait MS, tick.
    void Run(const QString &script);
    QString Stored() const;
    QString Usage();

    std::unique_ptr<TTestHome> d_home;
    std::unique_ptr<TDatabase> d_database;
    std::unique_ptr<TPendingJournal> d_journal;
    std::unique_ptr<TFakeClock> d_clock;
    std::unique_ptr<TRecorder> d_recorder;
    QStringList d_said;
    QList<QList<int>> d_shown;
};

void TTestRecorder::init()
{
    d_home.reset(new TTestHome);
    d_database.reset(new TDatabase);
    QVERIFY(d_database->Open(d_home->File_Path(QStringLiteral("database.db"))) &&
            d_database->Create_Tables());
    d_journal.reset(new TPendingJournal(d_database.get()));
    QVERIFY(d_journal->Open(d_home->File_Path(QStringLiteral("pending"))));
    d_clock.reset(new TFakeClock);
    d_recorder.reset(new TRecorder(d_journal.get(), d_clock.get()));
    d_said.clear();
    d_shown.clear();
    connect(d_recorder.get(), &TRecorder::Message, this, [this](const QString &text) { d_said << text; });
    connect(d_recorder.get(), &TRecorder::Times_Changed, this,
            [this](int open, int execution, int idle) {
                d_shown << QList<int>{open, execution, idle};
            });
}

void TTestRecorder::cleanup()
{
    d_recorder.reset();
    d_journal.reset();
    d_database.reset();
    d_home.reset();
}

void TTestRecorder::Run(const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    {
        const QString word = step.section(QLatin1Char(' '), 0, 0);
        const QString rest = step.section(QLatin1Char(' '), 1);
        if (word == QLatin1String("on"))
            d_recorder->Switch_On();
        else if (word == QLatin1String("off"))
            d_recorder->Switch_Off();
        else if (word == QLatin1String("watch"))
            d_recorder->Watcher_Started();
        else if (word == QLatin1String("watcher-end"))
            d_recorder->Watcher_Finished();
        else if (word == QLatin1String("attach"))
            d_recorder->Attached();
        else if (word == QLatin1String("gone"))
            d_recorder->Gone();
        else if (word == QLatin1String("close-window"))
            d_recorder->Close();
        else if (word == QLatin1String("asked"))
            d_recorder->Count_Usage_Now();
        else if (word == QLatin1String("open"))
            d_recorder->Program_Opened(rest, QStringLiteral("A"), true);
        else if (word == QLatin1String("offline"))
            d_recorder->Program_Opened(QStringLiteral("OFFLINE"), QStringLiteral("A"), false);
        else if (word == QLatin1String("close"))
            d_recorder->Program_Closed(true);
        else if (word == QLatin1String("close-offline"))
            d_recorder->Program_Closed(false);
        else if (word == QLatin1String("start"))
            d_recorder->Execution_Started();
        else if (word == QLatin1String("end"))
            d_recorder->Execution_Ended();
        else if (word == QLatin1String("hit"))
            d_recorder->Machine_Event(QStringLiteral("ExecuteHit"), QString());
        else if (word == QLatin1String("learn"))
            d_recorder->Machine_Event(QStringLiteral("LearnHit"), QString());
        else if (word == QLatin1String("error"))
            d_recorder->Machine_Event(QStringLiteral("ErrorMsg"), rest);
        else if (word == QLatin1String("wait"))
            d_clock->Advance(rest.toLongLong());
        else if (word == QLatin1String("tick"))
            d_recorder->Tick();
        else
            QFAIL(qPrintable(QStringLiteral("unknown step '%1'").arg(step)));
    }
}

// name|execution|idle|points|messages, one entry after the other.
QString TTestRecorder::Stored() const
{
    QSqlQuery query(QSqlDatabase::database(CONNECTION));
    query.exec(QStringLiteral(
        "SELECT name,execution_time,idle_time,point_count,"
        "(SELECT group_concat(message,'+') FROM program_message m WHERE m.program_id=p.program_id) "
        "FROM program p JOIN program_data USING(program_id) ORDER BY program_id"));
    QStringList rows;
    while (query.next())
        rows << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                            query.value(3).toString(), query.value(4).toString()}
                    .join(QLatin1Char('|'));
    return rows.join(QLatin1Char(';'));
}

QString TTestRecorder::Usage()
{
    bool monitor_valid = false;
    bool run_valid = false;
    const int monitor = d_database->Software_Monitor_Time(&monitor_valid);
    const int run = d_database->Software_Run_Time(&run_valid);
    return monitor_valid && run_valid ? QStringLiteral("%1|%2").arg(monitor).arg(run) : QStringLiteral("?");
}

void TTestRecorder::Shift_Stores_Exact_Times_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<TRecorder::TConnection>("state");
    const auto off = TRecorder::TConnection::OFF;
    const auto attached = TRecorder::TConnection::CONNECTED;
    const QString begin = QStringLiteral("on;watch;attach;");
    QTest::newRow("one execution")
        << begin + "wait 300;open A;wait 1500;start;hit;hit;wait 2400;end;wait 700;close;wait 500;off"
        << "A|2|2|2|"
        << "5|5"
        << QStringList{"INF:  Open part program - Online",
                       "INF:  Creating new database entry",
                       "INF:  Application Event: OnStartExecution",
                       "INF:  Machine Event:     ExecuteHit",
                       "INF:  Application Event: OnEndExecution",
                       "INF:  Close part program - Online",
                       "INF:  Database entry written."}
        << off;
    QTest::newRow("executions of one open add up")
        << begin + "open TWICE;start;wait 1100;end;start;wait 1100;end;close"
        << "TWICE|2|0|0|"
        << "0|0" << QStringList{} << attached;
    // The software gone: the program is stored there, the time away counts for no program.
    QTest::newRow("software gone mid-program")
        << begin +
               "open GONE;wait 1500;gone;wait 6000;attach;wait 2500;open BACK;start;wait 1200;end;close;off"
        << "GONE|0|1|0|;BACK|1|0|0|"
        << "10|4"
        << QStringList{"WAR:  PC-DMIS gone; the open part program is stored.",
                       "INF:  Database entry written."}
        << off;
    QTest::newRow("software gone while waiting") << "on;watch;wait 2500;gone;wait 1000"
                                                 << ""
                                                 << "2|0" << QStringList{} << TRecorder::TConnection::WAITING;
    QTest::newRow("offline open leaves the online record")
        << begin + "open ONLINE;start;wait 1200;offline;hit;wait 1200;close-offline;end;close"
        << "ONLINE|2|0|1|"
        << "0|0"
        << QStringList{"WAR:  Ignoring offline part program.", "WAR:  Ignoring offline part program.",
                       "INF:  Database entry written."}
        << attached;
    QTest::newRow("a new open stores the one collected")
        << begin + "open FIRST;wait 1200;open SECOND;wait 1000;close"
        << "FIRST|0|1|0|;SECOND|0|1|0|"
        << "0|0" << QStringList{} << attached;
    QTest::newRow("an execution started before the open is not its")
        << begin + "start;wait 3000;open LATE;wait 1000;end;close"
        << "LATE|0|1|0|"
        << "0|0" << QStringList{} << attached;
    QTest::newRow("hits and messages")
        << begin + "open PARTS;hit;learn;error   drive \n  fault ;error probe;close"
        << "PARTS|0|0|2|drive fault+probe"
        << "0|0" << QStringList{"INF:  Machine Event:     LearnHit", "INF:  Machine Event:     ErrorMsg"}
        << attached;
    QTest::newRow("an end without a start adds nothing") << begin + "open ENDS;wait 1500;end;end;close"
                                                         << "ENDS|0|1|0|"
                                                         << "0|0" << QStringList{} << attached;
    // Reported as opened while attaching, its execution under way was not seen to start.
    QTest::newRow("a program open at attach is taken up")
        << "on;watch;open EARLY;attach;hit;wait 1500;end;close"
        << "EARLY|0|1|1|"
        << "0|0" << QStringList{} << attached;
    QTest::newRow("switching off stores and counts") << begin + "open OPEN;hit;wait 1100;off"
                                                     << "OPEN|0|1|1|"
                                                     << "1|1" << QStringList{} << off;
    QTest::newRow("closing the window stores and counts")
        << begin + "open AT_CLOSE;learn;wait 1100;close-window"
        << "AT_CLOSE|0|1|1|"
        << "1|1" << QStringList{} << off;
    QTest::newRow("a program without a name is not stored")
        << begin + "open ;wait 2000;close"
        << ""
        << "0|0" << QStringList{"INF:  Open part program - Online"} << attached;
    QTest::newRow("open for a month") << begin + "open LONG;start;wait 2600000000;end;wait 1000500;close"
                                      << "LONG|2600000|1000|0|"
                                      << "0|0" << QStringList{} << attached;
    // Monitoring time: counted at the switch-off, and once.
    QTest::newRow("window closed right after switching off") << "on;watch;wait 3500;off;close-window"
                                                             << ""
                                                             << "3|0" << QStringList{} << off;
    QTest::newRow("window closed while attached") << begin + "wait 2500;close-window"
                                                  << ""
                                                  << "2|2" << QStringList{} << off;
    QTest::newRow("the watcher's end after switching off adds nothing")
        << "on;watch;wait 3500;off;wait 2000;watcher-end;close-window"
        << ""
        << "3|0" << QStringList{} << off;
    // Asked whether the session may end: the seconds so far count at once, their fractions later, and
    // the program goes on being collected.
    QTest::newRow("the session's end asked about")
        << begin + "open ASKED;start;wait 2600;asked;wait 500;asked;wait 1000;end;close;off"
        << "ASKED|4|0|0|"
        << "4|4" << QStringList{} << off;
    QTest::newRow("the watcher ending on its own counts")
        << "on;watch;wait 4200;watcher-end;wait 3000;close-window"
        << ""
        << "4|0" << QStringList{} << off;
}

void TTestRecorder::Shift_Stores_Exact_Times()
{
    QFETCH(QString, script);
    QFETCH(QStringList, said);
    Run(script);
    QTEST(Stored(), "stored");
    QTEST(Usage(), "usage");
    // What the panel says, in this order (other lines between).
    int at = 0;
    for (const QString &line : said)
    {
        at = d_said.indexOf(line, at);
        QVERIFY2(at >= 0,
                 qPrintable(QStringLiteral("'%1' not said in order: %2").arg(line, d_said.join(" / "))));
        ++at;
    }
    QTEST(d_recorder->Connection(), "state");
}

// The one answer to what the station is doing, which its stops, alerts and
// heartbeat follow: told after each step, and every change signalled.
void TTestRecorder::Activity_Follows_Connection_And_Execution()
{
    const QStringList steps{"on",    "watch", "attach", "open P", "start", "end",
                            "start", "gone",  "attach", "open Q", "start", "off"};
    QStringList changes;
    connect(d_recorder.get(), &TRecorder::Activity_Changed, this,
            [&]() { changes << QString::number(int(d_recorder->Activity())); });
    QStringList after;
    for (const QString &step : steps)
    {
        Run(step);
        after << QString::number(int(d_recorder->Activity()));
        QVERIFY2(changes.isEmpty() || changes.last() == after.last(), qPrintable(step));
    }
    const auto text = [](std::initializer_list<TStationActivity> activities)
    {
        QStringList texts;
        for (TStationActivity activity : activities)
            texts << QString::number(int(activity));
        return texts;
    };
    using A = TStationActivity;
    QCOMPARE(after, text({A::WAITING, A::WAITING, A::IDLE, A::IDLE, A::EXECUTING, A::IDLE, A::EXECUTING,
                          A::WAITING, A::IDLE, A::IDLE, A::EXECUTING, A::OFF}));
}

// What the panel shows: whole seconds of the clocks, brought up at each tick.
void TTestRecorder::Shown_Times_Follow_The_Clock()
{
    Run(QStringLiteral("on;watch;attach;open SHOWN;wait 1999;tick"));
    QCOMPARE(d_shown.last(), (QList<int>{1, 0, 1}));
    Run(QStringLiteral("start;wait 1001;tick;wait 999;tick"));
    QCOMPARE(d_shown.last(), (QList<int>{3, 2, 1}));
    QCOMPARE(d_recorder->Open_Seconds(), 3);
    Run(QStringLiteral("end;wait 5000;tick"));
    QCOMPARE(d_shown.last(), (QList<int>{8, 2, 6}));
    Run(QStringLiteral("close"));
    QCOMPARE(Stored(), QStringLiteral("SHOWN|2|6|0|"));
    // Nothing open: the ticks show nothing new.
    const int shown = d_shown.size();
    Run(QStringLiteral("wait 3000;tick"));
    QCOMPARE(d_shown.size(), shown);
}

// A database that refuses the entry: the journal keeps it, the panel says so,
// and the window is told to look at what is pending.
void TTestRecorder::Refused_Execution_Is_Kept_And_Said()
{
    QList<bool> journal_changes;
    connect(d_recorder.get(), &TRecorder::Journal_Changed, this,
            [&journal_changes](bool entry) { journal_changes << entry; });
    Run(QStringLiteral("on;watch;attach;open KEPT;wait 1000"));
    d_database->Close();
    Run(QStringLiteral("close;wait 1000;off"));
    QVERIFY2(d_said.filter(QStringLiteral("ERR:  Database entry not written: ")).size() == 1,
             qPrintable(d_said.join(" / ")));
    QVERIFY(d_said.contains(
        QStringLiteral("WAR:  Database entry kept; it is written when the database accepts it.")));
    QCOMPARE(journal_changes, (QList<bool>{true, false, false}));
    QCOMPARE(d_journal->Pending_Entries(), 1);
    QVERIFY(d_database->Open(d_home->File_Path(QStringLiteral("database.db"))));
    QCOMPARE(d_journal->Write_Pending(), 1);
    QCOMPARE(Stored(), QStringLiteral("KEPT|0|1|0|"));
    QCOMPARE(Usage(), QStringLiteral("2|2"));
}

QTEST_GUILESS_MAIN(TTestRecorder)

#include "tst_recorder.moc"
