// quorvex-bench: generates a usage database of years of records and measures
// what users wait for: the start-up lists, reports, the CSV export and storing
// an entry, each the median of several runs, next to the sqlite3 shell's join
// of the same rows.
//
//   quorvex-bench [--executions N] [--programs P] [--days D] [--seed S] [--runs R] [--folder DIR]
//   quorvex-bench --first-report FILE   (prints the msec of one report of everything, made in this new
//   process)

#include "bench/benchmarkfile.h"
#include "bench/windowfigure.h"
#include "src/common/localzone.h"
#include "src/csv/csvexport.h"
#include "src/database/database.h"
#include "src/database/stopstore.h"
#include "src/database/stoptable.h"
#include "src/database/storedform.h"
#include "src/pending/pendingjournal.h"
#include "src/report/summarytext.h"
#include "src/statistics/statistics.h"
#include "src/stops/stopreasons.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace
{
QTextStream out(stdout);

double Median_Msec(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
    {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The targets hold for the default file; on another size a figure is shown
// with its target for comparison of growth, without a verdict.
bool g_default_size = true;

void Print(const QString &figure, double msec, double target_msec)
{
    out << QStringLiteral("%1 %2 ms   (target %3 ms%4) %5\n")
               .arg(figure, -44)
               .arg(msec, 10, 'f', 1)
               .arg(target_msec, 0, 'f', 0)
               .arg(g_default_size ? QString() : QStringLiteral(" on the default file"))
               .arg(!g_default_size       ? QString()
                    : msec <= target_msec ? QStringLiteral("ok")
                                          : QStringLiteral("OVER"));
    out.flush();
}

// A user's first report of everything comes from a process that has made no
// report before: no memory of an earlier one to reuse, nothing in the caches.
double First_Report(const QString &file)
{
    TDatabase database;
    database.Open(file);
    const QStringList dates = database.Dates();
    const QStringList names = database.Program_Names(QStringList());
    QElapsedTimer timer;
    timer.start();
    TSummaryText worker(&database, dates, names);
    worker.Generate_Summary_Text();
    const double msec = timer.nsecsElapsed() / 1e6;
    return worker.Summary_Lines()->Line_Count() > 0 ? msec : -1;
}

double First_Report_In_New_Process(const QString &program, const QString &file)
{
    QProcess child;
    child.start(program, {QStringLiteral("--first-report"), file});
    child.waitForFinished(-1);
    return child.exitCode() == 0 ? QString::fromLatin1(child.readAllStandardOutput()).toDouble() : -1;
}

int Option(const QStringList &arguments, const QString &name, int fallback)
{
    const int index = arguments.indexOf(name);
    return index >= 0 && index + 1 < arguments.size() ? arguments.at(index + 1).toInt() : fallback;
}
} // namespace

namespace
{
// A new file of SHAPE: false, said, when it cannot be made.
bool Generate(const QString &file, const TBenchmarkFile::TShape &shape, int runs)
{
    QElapsedTimer generation;
    generation.start();
    QString error;
    if (!TBenchmarkFile::Generate(file, shape, &error))
    {
        out << "cannot generate " << file << ": " << error << "\n";
        return false;
    }
    out << QStringLiteral(
               "File: %1 executions of %2 programs over %3 days (seed %4), %5 MB, generated in %6 s\n")
               .arg(shape.executions)
               .arg(shape.programs)
               .arg(shape.days)
               .arg(shape.seed)
               .arg(QFileInfo(file).size() / 1048576.0, 0, 'f', 1)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1);
    out << QStringLiteral("Each figure the median of %1 runs.\n").arg(runs);

    return true;
}

// The reference: the shell reads the same rows, one join of the three tables.
double Shell_Msec(const QString &file, int runs)
{
    return Median_Msec(
        runs,
        [&file]()
        {
            QProcess sqlite;
            sqlite.setStandardOutputFile(QProcess::nullDevice());
            sqlite.start(QStringLiteral("sqlite3"),
                         {file, QStringLiteral(
                                    "SELECT p.program_id,p.name,p.revision,p.date,p.time,d.execution_time,"
                                    "d.idle_time,d.point_count,m.message FROM program p LEFT JOIN "
                                    "program_data d ON d.program_id=p.program_id LEFT JOIN program_message m "
                                    "ON m.program_id=p.program_id;")});
            sqlite.waitForFinished(-1);
        });
}

// The reports as the window asks for them, small ones first, before the large one has spread the heap.
void Measure_Reports(TDatabase &database, const QString &program_path, const QString &file, int runs,
                     double shell, QStringList *dates, QStringList *names)
{
    Print(QStringLiteral("Start-up: open, dates and program lists"),
          Median_Msec(runs,
                      [&]()
                      {
                          database.Close();
                          database.Open(file);
                          database.Create_Tables();
                          *dates = database.Dates();
                          *names = database.Program_Names(QStringList());
                      }),
          200);

    const auto report = [&database](const QStringList &report_dates, const QStringList &report_names)
    {
        TSummaryText worker(&database, report_dates, report_names);
        worker.Generate_Summary_Text();
        return worker.Summary_Lines()->Size();
    };
    const QString day = dates->value(dates->size() / 2);
    Print(QStringLiteral("Report: one day, all its programs"),
          Median_Msec(runs, [&]() { report({day}, database.Program_Names({day})); }), 50);
    const QString program = names->value(names->size() / 2);
    Print(QStringLiteral("Report: one program, all dates"),
          Median_Msec(runs, [&]() { report(*dates, {program}); }), 50);

    std::vector<double> firsts;
    for (int run = 0; run < runs; ++run)
        firsts.push_back(First_Report_In_New_Process(program_path, file));
    std::sort(firsts.begin(), firsts.end());
    const double all = firsts[firsts.size() / 2];
    Print(QStringLiteral("Report: all dates, all programs"), all, 1000);
    Print(QStringLiteral("  the same again in that process"),
          Median_Msec(runs, [&]() { report(*dates, *names); }), 1000);
    out << QStringLiteral("%1 %2 ms   report / shell = %3 (target 2.5)\n")
               .arg(QStringLiteral("sqlite3 shell: the same rows, one join"), -44)
               .arg(shell, 10, 'f', 1)
               .arg(all / shell, 0, 'f', 2);
}

// The statistics of everything, Export All CSV and storing one entry.
void Measure_The_Rest(TDatabase &database, const QString &folder, int runs, const QStringList &dates,
                      const QStringList &names)
{
    // What the statistics page waits for beyond the report's read: the figures of everything.
    const std::vector<TExecution> everything = database.Executions(names, dates, TDatabase::DATE_THEN_NAME);
    Print(QStringLiteral("Statistics: all dates, all programs"),
          Median_Msec(runs, [&]() { TStatistics(everything, dates, dates, TShiftCalendar()); }), 300);

    const QString csv = folder + QStringLiteral("/all.csv");
    Print(QStringLiteral("Export All CSV to a file"),
          Median_Msec(runs,
                      [&]()
                      {
                          const QStringList all_dates = database.Dates();
                          QFile target(csv);
                          target.open(QIODevice::WriteOnly | QIODevice::Text);
                          target.write(TCsvExport::Text(database.Executions(
                              database.Program_Names(all_dates), all_dates, TDatabase::NAME_THEN_DATE)));
                      }),
          2000);

    int stored = 0;
    Print(QStringLiteral("Storing one entry"),
          Median_Msec(std::max(runs, 9),
                      [&]()
                      {
                          TExecution item;
                          item.Set_Name(QStringLiteral("BENCH_ENTRY"));
                          item.Set_Date_Time(QDateTime(QDate(2030, 1, 1), QTime(0, 0).addSecs(stored++)));
                          item.Set_Point_Count(12);
                          item.Add_Error_Message(QStringLiteral("bench"));
                          database.Add_Execution(item);
                      }),
          20);
}

// Four stops a day on every day with records, of the reasons a room gives, in one transaction.
void Make_Stops(TDatabase &database, const QStringList &dates)
{
    const TStopReasons reasons;
    database.Work(true, QStringLiteral("stops"),
                  [&](QSqlDatabase db, QString *error)
                  {
                      TStopTable table(db);
                      int made = 0;
                      for (const QString &text : dates)
                          for (int hour : {7, 10, 13, 16})
                          {
                              const TStopReasons::TReason &reason =
                                  reasons.All().at(made++ % reasons.All().size());
                              TStopRecord stop;
                              stop.started = QDateTime(TStoredForm::Date(text), QTime(hour, 5)).toUTC();
                              stop.ended = stop.started.addSecs(600 + 60 * (made % 30));
                              stop.reason = made % 7 == 0 ? QString() : reason.name;
                              stop.planned = reason.planned;
                              if (!table.Put(stop))
                              {
                                  *error = table.Last_Error();
                                  return false;
                              }
                          }
                      return true;
                  });
}

// What stops and baselines add to the statistics of everything, and to storing.
void Measure_Stops(TDatabase &database, int runs, const QStringList &dates, const QStringList &names)
{
    Make_Stops(database, dates);
    const std::vector<TExecution> everything = database.Executions(names, dates, TDatabase::DATE_THEN_NAME);
    const double plain =
        Median_Msec(runs, [&]() { TStatistics(everything, dates, dates, TShiftCalendar()); });
    const double with_stops = Median_Msec(
        runs,
        [&]()
        {
            std::vector<TStopRecord> stops;
            TStopStore(&database).Overlapping(QDateTime(QDate(1900, 1, 1), QTime(0, 0)),
                                              QDateTime(QDate(2200, 1, 1), QTime(0, 0)), &stops);
            TStatistics(everything, dates, dates, TShiftCalendar(), stops, TBaselines(everything, {}));
        });
    Print(QStringLiteral("Stops and baselines beyond the statistics"), with_stops - plain, 100);
    TPendingJournal journal(&database);
    int stored = 0;
    Print(QStringLiteral("Storing one stop"),
          Median_Msec(std::max(runs, 9),
                      [&]()
                      {
                          TStopRecord stop;
                          stop.started =
                              QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC).addSecs(3600 * stored++);
                          stop.ended = stop.started.addSecs(600);
                          stop.reason = QStringLiteral("Break");
                          journal.Put_Stop(stop);
                      }),
          20);
}

// The window: one run, as a user would meet it (its figures are not repeatable in one process).
void Measure_Window(const QString &file, const QString &folder)
{
    const TWindowFigure::TResult window = TWindowFigure::Measure(file, folder);
    if (!window.shown)
        out << "Window: the report was not shown within a minute\n";
    Print(QStringLiteral("Window: start, lists filled"), window.start_msec, 1000);
    Print(QStringLiteral("Window: every date and program, report shown"), window.visible_msec, 1000);
    Print(QStringLiteral("Window: longest hold of the event loop"), window.longest_hold_msec, 100);
    out << QStringLiteral("%1 %2 MB\n")
               .arg(QStringLiteral("Window: peak memory of the process"), -44)
               .arg(window.peak_megabytes, 10, 'f', 0);
}
} // namespace

int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.value(1) == QLatin1String("--first-report"))
    {
        const double msec = First_Report(arguments.value(2));
        out << msec << "\n";
        return msec < 0 ? 1 : 0;
    }
    TBenchmarkFile::TShape shape;
    shape.executions = Option(arguments, QStringLiteral("--executions"), shape.executions);
    shape.programs = Option(arguments, QStringLiteral("--programs"), shape.programs);
    shape.days = Option(arguments, QStringLiteral("--days"), shape.days);
    shape.seed = quint32(Option(arguments, QStringLiteral("--seed"), int(shape.seed)));
    const int runs = std::max(1, Option(arguments, QStringLiteral("--runs"), 5));
    const TBenchmarkFile::TShape default_shape;
    g_default_size = shape.executions == default_shape.executions &&
                     shape.programs == default_shape.programs && shape.days == default_shape.days;

    QTemporaryDir temporary;
    const int folder_option = arguments.indexOf(QStringLiteral("--folder"));
    const QString folder = folder_option >= 0 && folder_option + 1 < arguments.size()
                               ? arguments.at(folder_option + 1)
                               : temporary.path();
    const QString file = folder + QStringLiteral("/database.db");
    QFile::remove(file);

    if (!Generate(file, shape, runs))
        return 1;
    const double shell = Shell_Msec(file, runs);
    TDatabase database;
    QStringList dates, names;
    Measure_Reports(database, application.applicationFilePath(), file, runs, shell, &dates, &names);
    Measure_The_Rest(database, folder, runs, dates, names);
    Measure_Stops(database, runs, dates, names);
    // The window uses the same connection name as the object above, which gives it up first.
    database.Close();
    Measure_Window(file, folder);
    return 0;
}
