// The central database's figures, against a PostgreSQL server the program
// starts for itself (scripts/bench --fleet):
//   forwarding a station's 100,000 executions, the cost of forwarding to the
//   GUI thread per stored entry, and the Fleet page over 20 stations of
//   50,000 executions each.
#include "bench/benchmarkfile.h"
#include "src/central/central.h"
#include "src/central/forwarder.h"
#include "src/common/localzone.h"
#include "src/database/database.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/clock.h"
#include "src/recorder/recorder.h"
#include "tests/support/postgresserver.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace
{
QTextStream out(stdout);

void Print(const QString &figure, double msec, double target_msec)
{
    out << QStringLiteral("%1 %2 ms   (target %3 ms)\n")
               .arg(figure, -52)
               .arg(msec, 10, 'f', 1)
               .arg(target_msec);
    out.flush();
}

bool Wait_For(const std::function<bool()> &done, int timeout_msec)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeout_msec)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The longest the GUI thread's event loop was held while WORK ran to its end.
double Longest_Hold(const std::function<bool()> &done, int timeout_msec)
{
    QElapsedTimer since;
    since.start();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&]() { longest = std::max(longest, since.restart()); });
    tick.start(5);
    Wait_For(done, timeout_msec);
    return double(longest);
}

TDatabaseItem Entry(int i)
{
    TDatabaseItem item;
    item.Set_Name(QStringLiteral("BENCH_%1").arg(i % 9));
    item.Set_Revision(QStringLiteral("A"));
    item.Set_Date_Time(QDateTime(QDate(2031, 1, 1), QTime(0, 0)).addSecs(i));
    item.Set_Execution_Time(60);
    item.Add_Error_Message(QStringLiteral("bench"));
    return item;
}
} // namespace

namespace
{
// A station's whole file to a new central database, batches of 500 in a transaction each.
void Measure_Forwarding(TPostgresServer &server, const QTemporaryDir &folder, const QString &file,
                        const TBenchmarkFile::TShape &shape)
{
    TDatabase database;
    database.Open(file);
    database.Create_Tables();
    TPendingJournal journal(&database);
    journal.Open(folder.filePath(QStringLiteral("pending")));
    TClock clock;
    TRecorder recorder(&journal, &clock);
    QSettings settings(folder.filePath(QStringLiteral("Settings.ini")), QSettings::IniFormat);
    server.Settings(QStringLiteral("bench"), QStringLiteral("BENCH")).Write(&settings);
    int waiting = -1;
    QElapsedTimer forwarding;
    forwarding.start();
    TCentral central(&settings, file, &recorder, &clock);
    QObject::connect(central.Forwarder(), &TCentralForwarder::Waiting, &central,
                     [&waiting](int count) { waiting = count; });
    Wait_For([&waiting]() { return waiting == 0; }, 600000);
    Print(QStringLiteral("Forwarding %1 executions to a new database").arg(shape.executions),
          forwarding.elapsed(), 10000);

    // Each stored entry costs the GUI thread what it did before, and a posted wake-up.
    std::vector<double> with, without;
    for (int i = 0; i < 41; ++i)
    {
        QElapsedTimer timer;
        timer.start();
        journal.Add_Program_Entry(Entry(2 * i));
        central.Wake();
        with.push_back(timer.nsecsElapsed() / 1e6);
        Wait_For([&waiting]() { return waiting == 0; }, 10000);
    }
    central.Stop();
    for (int i = 0; i < 41; ++i)
    {
        QElapsedTimer timer;
        timer.start();
        journal.Add_Program_Entry(Entry(2 * i + 1));
        without.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print(QStringLiteral("Storing one entry, no central database"), Median(without), 20);
    Print(QStringLiteral("Storing one entry, forwarding on"), Median(with), 20);
    Print(QStringLiteral("  added by forwarding on the GUI thread"),
          std::max(0.0, Median(with) - Median(without)), 5);
}
} // namespace

namespace
{
// The room: 20 stations of 50,000 executions each, and the Fleet page reading it.
int Measure_Room(TPostgresServer &server)
{
    QSqlQuery query(server.Connection(QStringLiteral("bench")));
    const bool filled =
        query.exec(
            QStringLiteral("INSERT INTO stations(station_id,name,state,program,state_since,shift_calendar) "
                           "SELECT 'station-'||s,'CMM-'||s,'executing','PART_1',now(),'' "
                           "FROM generate_series(1,20) s")) &&
        query.exec(QStringLiteral(
            "INSERT INTO "
            "executions(station_id,local_id,name,revision,date_text,time_text,opened,execution_seconds,"
            "idle_seconds,point_count,message_count) SELECT 'station-'||s,i,'PART_'||(i%300),'A','','',"
            "date_trunc('day',now())::timestamp - (i%1825)*interval '1 day' + (i%600)*interval '1 minute',"
            "60+i%900,i%30,i%50,i%2 FROM generate_series(1,20) s, generate_series(1,50000) i")) &&
        query.exec(QStringLiteral("INSERT INTO execution_messages(station_id,local_id,position,message) "
                                  "SELECT station_id,local_id,0,'Probe hit unexpected '||(local_id%17) "
                                  "FROM executions WHERE message_count=1 AND station_id LIKE 'station-%'")) &&
        query.exec(QStringLiteral("ANALYZE"));
    if (!filled)
    {
        out << "cannot fill the room: " << query.lastError().text() << "\n";
        return 1;
    }
    TAlertSettings alerts;
    for (const char *period : {"Last 7 days", "Last 30 days"})
    {
        TFleetFeed feed(server.Settings(QStringLiteral("bench"), QStringLiteral("VIEWER")), alerts);
        TFleetPage page(&feed);
        page.resize(1200, 800);
        bool shown = false;
        QObject::connect(&page, &TFleetPage::Shown, [&shown]() { shown = true; });
        QElapsedTimer timer;
        timer.start();
        page.show();
        const double hold = Longest_Hold([&shown]() { return shown; }, 60000);
        const double first = timer.elapsed();
        if (QLatin1String(period) == QLatin1String("Last 30 days"))
        {
            // The choice of days is the page's own: the first read was of seven.
            QComboBox *days = page.findChild<QComboBox *>();
            shown = false;
            timer.restart();
            days->setCurrentIndex(2);
            const double changed_hold = Longest_Hold([&shown]() { return shown; }, 60000);
            Print(QStringLiteral("Fleet page, 20 x 50,000: 30 days shown"), timer.elapsed(), 2000);
            Print(QStringLiteral("  longest hold of the event loop"), changed_hold, 100);
            continue;
        }
        Print(QStringLiteral("Fleet page, 20 x 50,000: shown (7 days)"), first, 2000);
        Print(QStringLiteral("  longest hold of the event loop"), hold, 100);
    }
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    if (!TPostgresServer::Missing().isEmpty())
    {
        out << "no PostgreSQL server can run here: " << TPostgresServer::Missing() << "\n";
        return 1;
    }
    TPostgresServer server;
    if (!server.Start() || !server.Create_Database(QStringLiteral("bench")))
    {
        out << "the server did not start: " << server.Last_Error() << "\n";
        return 1;
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("database.db"));
    QString error;
    TBenchmarkFile::TShape shape;
    if (!TBenchmarkFile::Generate(file, shape, &error))
    {
        out << "cannot generate " << file << ": " << error << "\n";
        return 1;
    }

    Measure_Forwarding(server, folder, file, shape);
    return Measure_Room(server);
}
