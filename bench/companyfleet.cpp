#include "bench/companyfleet.h"

#include "bench/benchmarkfile.h"
#include "bench/benchmeasure.h"
#include "src/central/central.h"
#include "src/central/centralwriter.h"
#include "src/central/forwarder.h"
#include "src/centraldb/centralschema.h"
#include "src/common/clock.h"
#include "src/database/database.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/recorder.h"
#include "tests/support/postgresserver.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
using M = TBenchMeasure;

const QStringList ZONES = {QStringLiteral("Europe/Berlin"),     QStringLiteral("America/Detroit"),
                           QStringLiteral("Asia/Shanghai"),     QStringLiteral("Asia/Tokyo"),
                           QStringLiteral("America/Sao_Paulo"), QStringLiteral("Europe/London"),
                           QStringLiteral("Asia/Kolkata"),      QStringLiteral("America/Mexico_City"),
                           QStringLiteral("Australia/Sydney"),  QStringLiteral("Africa/Johannesburg")};
// Stations made at once; each piece is one statement, its figures kept in one go.
const int STATIONS_PER_PIECE = 25;
const int ONE_SECOND_MSEC = 1000;
const int LONG_WAIT_MSEC = 600000;

QString Quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}
} // namespace

TCompanyFleet::TCompanyFleet(TPostgresServer *server, const QString &database, const TShape &shape)
    : d_server(server), d_database(database), d_shape(shape)
{
}

bool TCompanyFleet::Run(const QString &statement)
{
    QSqlQuery query(d_server->Connection(d_database));
    if (query.exec(statement))
        return true;
    M::Say(QStringLiteral("cannot make the company's rows: ") + query.lastError().text());
    return false;
}

bool TCompanyFleet::Generate()
{
    int version = 0;
    QString error;
    if (TCentralSchema::Prepare(d_server->Connection(d_database), &version, &error) != TCentralSchema::READY)
    {
        M::Say(QStringLiteral("cannot make the central tables: ") + error);
        return false;
    }
    QStringList zones;
    for (int z = 0; z < d_shape.zones; ++z)
        zones << Quoted(ZONES.at(z % ZONES.size()));
    // Stations in groups of plants and rooms, each in a zone, with the default calendar.
    if (!Run(QStringLiteral(
                 "INSERT INTO stations(station_id,name,state,program,state_since,shift_calendar,"
                 "time_zone,group_name,state_since_at) SELECT 'station-'||s,'CMM-'||lpad(s::text,4,'0'),"
                 "'executing','PART_1',now()::timestamp,%1,(ARRAY[%2])[1+mod(s,%3)],"
                 "'Plant '||(1+mod(s,%4)/5)||' / Room '||chr(65+mod(mod(s,%4),5)),now() "
                 "FROM generate_series(1,%5) s")
                 .arg(Quoted(TShiftCalendar().Line()), zones.join(QLatin1Char(',')))
                 .arg(d_shape.zones)
                 .arg(d_shape.groups)
                 .arg(d_shape.stations)))
        return false;
    const qint64 per_station = d_shape.executions / d_shape.stations;
    QElapsedTimer timer;
    timer.start();
    for (int first = 1; first <= d_shape.stations; first += STATIONS_PER_PIECE)
    {
        const int last = qMin(d_shape.stations, first + STATIONS_PER_PIECE - 1);
        // Executions spread over the years up to today, in shift hours of the station's day.
        const QString stations = QStringLiteral("FROM generate_series(%1,%2) s JOIN stations t ON "
                                                "t.station_id='station-'||s")
                                     .arg(first)
                                     .arg(last);
        const QString opened =
            QStringLiteral("(current_date-((%1-i)*%2/%1)::int)+(mod(i*7919,57600)+21600)*interval "
                           "'1 second'")
                .arg(per_station)
                .arg(d_shape.days);
        if (!Run(
                QStringLiteral("INSERT INTO executions(station_id,local_id,name,revision,date_text,time_text,"
                               "opened,opened_at,execution_seconds,idle_seconds,point_count,message_count) "
                               "SELECT t.station_id,i,'PART_'||mod(i*31+s,40),'A','','',%1,(%1) AT TIME ZONE "
                               "t.time_zone,60+mod(i*7,900),mod(i,30),mod(i,50),(mod(i,10)=0)::int %2, "
                               "generate_series(1,%3) i")
                    .arg(opened, stations)
                    .arg(per_station)) ||
            !Run(QStringLiteral(
                     "INSERT INTO execution_messages(station_id,local_id,position,message) SELECT "
                     "station_id,local_id,0,'Probe hit unexpected '||mod(local_id,17) FROM executions "
                     "WHERE message_count=1 AND station_id IN (SELECT 'station-'||s FROM "
                     "generate_series(%1,%2) s)")
                     .arg(first)
                     .arg(last)) ||
            // A stop a day, most of them given a reason.
            !Run(QStringLiteral(
                     "INSERT INTO stops(station_id,started,ended,open,reason,source,planned,note,change,"
                     "started_at,ended_at) SELECT t.station_id,d+interval '10 hours',d+interval '10 "
                     "hours'+(10+mod(s,50))*interval '1 minute',false,(ARRAY['','Waiting for parts','Break',"
                     "'Machine fault','Setup'])[1+mod(s+(d::date-date '2000-01-01'),5)],'operator',"
                     "mod(s+(d::date-date '2000-01-01'),5)=2,'',1,NULL,NULL %1, generate_series(current_date"
                     "-%2,current_date,interval '1 day') d")
                     .arg(stations)
                     .arg(d_shape.days)))
            return false;
    }
    const bool analysed = Run(QStringLiteral("VACUUM ANALYZE"));
    M::Print(QStringLiteral("Making %1 executions of %2 stations on the server")
                 .arg(d_shape.executions)
                 .arg(d_shape.stations),
             timer.elapsed(), 0);
    return analysed;
}

// Everything, one group and one station, each for today, 7 and 30 days, as a
// user changes the page's choices; each change is one read.
void TCompanyFleet::Measure_Page()
{
    TFleetFeed feed(d_server->Settings(d_database, QStringLiteral("VIEWER")), TAlertSettings());
    TFleetPage page(&feed);
    page.resize(1400, 900);
    int shown = 0;
    QObject::connect(&page, &TFleetPage::Shown, [&shown]() { ++shown; });
    QComboBox *groups = page.findChild<QComboBox *>(QStringLiteral("fleet_group"));
    QComboBox *days = nullptr;
    for (QComboBox *box : page.findChildren<QComboBox *>())
        if (box != groups)
            days = box;
    QTableWidget *stations = page.findChild<QTableWidget *>(QStringLiteral("fleet_stations"));
    const auto measure = [&](const QString &what, const std::function<void()> &change)
    {
        const int before = shown;
        QElapsedTimer timer;
        timer.start();
        change();
        const double hold = M::Longest_Hold([&]() { return shown > before; }, LONG_WAIT_MSEC);
        M::Print(QStringLiteral("Fleet page, %1: shown").arg(what), timer.elapsed(), ONE_SECOND_MSEC);
        M::Print(QStringLiteral("  longest hold of the event loop"), hold, 50);
    };
    const QString all = QStringLiteral("%1 stations").arg(d_shape.stations);
    measure(all + QStringLiteral(", 7 days (first read)"), [&]() { page.show(); });
    measure(all + QStringLiteral(", today"), [&]() { days->setCurrentIndex(0); });
    measure(all + QStringLiteral(", 30 days"), [&]() { days->setCurrentIndex(2); });
    const QString group = QStringLiteral("one group (%1)").arg(groups->itemText(1));
    measure(group + QStringLiteral(", 30 days"), [&]() { groups->setCurrentIndex(1); });
    measure(group + QStringLiteral(", 7 days"), [&]() { days->setCurrentIndex(1); });
    measure(group + QStringLiteral(", today"), [&]() { days->setCurrentIndex(0); });
    measure(QStringLiteral("one station, today"), [&]() { stations->selectRow(0); });
    measure(QStringLiteral("one station, 7 days"), [&]() { days->setCurrentIndex(1); });
    measure(QStringLiteral("one station, 30 days"), [&]() { days->setCurrentIndex(2); });
}

void TCompanyFleet::Measure_Disk()
{
    QSqlQuery query(d_server->Connection(d_database));
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT count(*) FROM executions),pg_total_relation_size('executions')+"
            "pg_total_relation_size('execution_messages'),pg_total_relation_size('station_days')+"
            "pg_total_relation_size('station_day_programs')+pg_total_relation_size('station_day_messages')+"
            "pg_total_relation_size('station_day_stops'),pg_total_relation_size('stops'),"
            "pg_database_size(current_database())")) ||
        !query.next())
    {
        M::Say(QStringLiteral("cannot read the sizes: ") + query.lastError().text());
        return;
    }
    const double millions = query.value(0).toDouble() / 1e6;
    const auto megabytes = [&](int column) { return query.value(column).toDouble() / 1048576 / millions; };
    M::Say(QStringLiteral(
               "Server's disk per million executions: %1 MB rows and indexes with their messages, %2 MB "
               "kept figures, %3 MB stops (a stop a day per station); %4 MB the whole database")
               .arg(megabytes(1), 0, 'f', 0)
               .arg(megabytes(2), 0, 'f', 0)
               .arg(megabytes(3), 0, 'f', 0)
               .arg(megabytes(4), 0, 'f', 0));
}

// One of the stations that forward as they go: two executions with a message and a heartbeat a second.
void TCompanyFleet::Forward_Live(int k, const std::atomic<bool> *stop, std::atomic<qint64> *written)
{
    const QString name = QStringLiteral("live-%1").arg(k);
    QString error;
    const TCentralSettings settings = d_server->Settings(d_database, name);
    if (settings.Open_Connection(name, &error))
    {
        TCentralWriter writer(QSqlDatabase::database(name, false), name);
        for (qint64 id = 1; !*stop; id += 2)
        {
            std::vector<TStoredExecution> rows(2);
            for (int r = 0; r < 2; ++r)
            {
                rows[size_t(r)].local_id = id + r;
                TExecution &execution = rows[size_t(r)].execution;
                execution.Set_Name(QStringLiteral("LIVE"));
                execution.Set_Date_Time(QDateTime::currentDateTime());
                execution.Set_Execution_Time(60);
                execution.Add_Error_Message(QStringLiteral("Probe hit unexpected 1"));
            }
            if (writer.Heartbeat({name, QString(), QString()}, TStationState()) &&
                writer.Insert_Executions(rows))
                *written += 2;
            std::this_thread::sleep_for(std::chrono::milliseconds(ONE_SECOND_MSEC));
        }
        QSqlDatabase::database(name, false).close();
    }
    else
        M::Say(QStringLiteral("a forwarding station cannot connect: ") + error);
    QSqlDatabase::removeDatabase(name);
}

// A station back after weeks offline sends its file while others forward as
// they go: each of them two executions with a message and a heartbeat a second.
void TCompanyFleet::Measure_Catch_Up()
{
    // A connection for each station that forwards, the catch-up's and the bench's own.
    if (!Run(QStringLiteral("ALTER SYSTEM SET max_connections=%1").arg(d_shape.forwarding + 50)) ||
        !d_server->Stop() || !d_server->Start())
    {
        M::Say(QStringLiteral("cannot give the server room for the stations: ") + d_server->Last_Error());
        return;
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("database.db"));
    TBenchmarkFile::TShape shape;
    shape.executions = d_shape.catch_up;
    QString error;
    if (!TBenchmarkFile::Generate(file, shape, &error))
    {
        M::Say(QStringLiteral("cannot generate the station's file: ") + error);
        return;
    }
    std::atomic<bool> stop(false);
    std::atomic<qint64> written(0);
    std::vector<std::thread> others;
    for (int k = 0; k < d_shape.forwarding; ++k)
        others.emplace_back([this, k, &stop, &written]() { Forward_Live(k, &stop, &written); });
    QElapsedTimer timer;
    timer.start();
    {
        TDatabase database;
        database.Open(file);
        TPendingJournal journal(&database);
        journal.Open(folder.filePath(QStringLiteral("pending")));
        TClock clock;
        TRecorder recorder(&journal, &clock);
        QSettings settings(folder.filePath(QStringLiteral("Settings.ini")), QSettings::IniFormat);
        d_server->Settings(d_database, QStringLiteral("CATCH-UP")).Write(&settings);
        int waiting = -1;
        TCentral central(&settings, file, &recorder, &clock);
        QObject::connect(central.Forwarder(), &TCentralForwarder::Waiting, &central,
                         [&waiting](int count) { waiting = count; });
        M::Wait_For([&waiting]() { return waiting == 0; }, 20 * LONG_WAIT_MSEC);
    }
    const qint64 elapsed = timer.elapsed();
    stop = true;
    for (std::thread &other : others)
        other.join();
    M::Print(QStringLiteral("Catch-up of %1 executions while %2 stations forward")
                 .arg(d_shape.catch_up)
                 .arg(d_shape.forwarding),
             elapsed, 120000);
    M::Say(QStringLiteral("  the %1 stations wrote %2 executions meanwhile")
               .arg(d_shape.forwarding)
               .arg(written.load()));
}
