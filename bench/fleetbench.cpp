// The central database's figures, against a PostgreSQL server the program
// starts for itself (scripts/bench --fleet):
//   forwarding a station's 100,000 executions, the cost of forwarding to the
//   GUI thread per stored entry, and the Fleet page over 20 stations of
//   50,000 executions each.
#include "bench/benchmarkfile.h"
#include "bench/benchmeasure.h"
#include "bench/companyfleet.h"
#include "src/central/central.h"
#include "src/central/forwarder.h"
#include "src/common/clock.h"
#include "src/common/localzone.h"
#include "src/database/database.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/pending/pendingjournal.h"
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
using M = TBenchMeasure;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

TExecution Entry(int i)
{
    TExecution item;
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
// A station's whole file to a new central database, batches of 2,000 in a transaction each.
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
    M::Wait_For([&waiting]() { return waiting == 0; }, 600000);
    M::Print(QStringLiteral("Forwarding %1 executions to a new database").arg(shape.executions),
             forwarding.elapsed(), 10000);

    // Each stored entry costs the GUI thread what it did before, and a posted wake-up.
    std::vector<double> with, without;
    for (int i = 0; i < 41; ++i)
    {
        QElapsedTimer timer;
        timer.start();
        journal.Add_Execution(Entry(2 * i));
        central.Wake();
        with.push_back(timer.nsecsElapsed() / 1e6);
        M::Wait_For([&waiting]() { return waiting == 0; }, 10000);
    }
    central.Stop();
    for (int i = 0; i < 41; ++i)
    {
        QElapsedTimer timer;
        timer.start();
        journal.Add_Execution(Entry(2 * i + 1));
        without.push_back(timer.nsecsElapsed() / 1e6);
    }
    M::Print(QStringLiteral("Storing one entry, no central database"), Median(without), 20);
    M::Print(QStringLiteral("Storing one entry, forwarding on"), Median(with), 20);
    M::Print(QStringLiteral("  added by forwarding on the GUI thread"),
             std::max(0.0, Median(with) - Median(without)), 5);
}
} // namespace

// --stations N, --executions N, --days N, --catch-up N and --forwarding N shape
// the company (500, 10,000,000, 1825, 1,000,000 and 100 by default).
TCompanyFleet::TShape Company_Shape(const QStringList &arguments)
{
    TCompanyFleet::TShape shape;
    for (int i = 1; i + 1 < arguments.size(); ++i)
    {
        if (arguments.at(i) == QLatin1String("--stations"))
            shape.stations = qMax(1, arguments.at(i + 1).toInt());
        if (arguments.at(i) == QLatin1String("--executions"))
            shape.executions = qMax<qint64>(shape.stations, arguments.at(i + 1).toLongLong());
        if (arguments.at(i) == QLatin1String("--days"))
            shape.days = qMax(1, arguments.at(i + 1).toInt());
        if (arguments.at(i) == QLatin1String("--catch-up"))
            shape.catch_up = qMax(1, arguments.at(i + 1).toInt());
        if (arguments.at(i) == QLatin1String("--forwarding"))
            shape.forwarding = qMax(0, arguments.at(i + 1).toInt());
    }
    shape.groups = qMin(shape.groups, shape.stations);
    shape.forwarding = qMin(shape.forwarding, shape.stations);
    return shape;
}

int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    if (!TPostgresServer::Missing().isEmpty())
    {
        M::Say(QStringLiteral("no PostgreSQL server can run here: ") + TPostgresServer::Missing());
        return 1;
    }
    TPostgresServer server;
    if (!server.Start() || !server.Create_Database(QStringLiteral("bench")))
    {
        M::Say(QStringLiteral("the server did not start: ") + server.Last_Error());
        return 1;
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("database.db"));
    QString error;
    TBenchmarkFile::TShape shape;
    if (!TBenchmarkFile::Generate(file, shape, &error))
    {
        M::Say(QStringLiteral("cannot generate %1: %2").arg(file, error));
        return 1;
    }
    Measure_Forwarding(server, folder, file, shape);

    if (!server.Create_Database(QStringLiteral("company")))
        return 1;
    TCompanyFleet company(&server, QStringLiteral("company"), Company_Shape(application.arguments()));
    if (!company.Generate())
        return 1;
    company.Measure_Page();
    company.Measure_Disk();
    company.Measure_Catch_Up();
    return 0;
}
