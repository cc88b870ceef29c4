#include "bench/windowfigure.h"

#include "src/common/homefolder.h"
#include "src/app/quorvex.h"
#include "src/report/ui/reportview.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace
{
// The largest resident size of the process so far, from the kernel's account.
double Peak_Megabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

QAbstractItemView *List(TQuorvex *window, const char *name)
{
    QWidget *list = window->findChild<QWidget *>(QLatin1String(name));
    return list ? list->findChild<QAbstractItemView *>() : nullptr;
}
} // namespace

TWindowFigure::TResult TWindowFigure::Measure(const QString &database_file, const QString &folder)
{
    TResult result;
    const QString home = folder + QStringLiteral("/home");
    QDir(home).removeRecursively();
    QDir().mkpath(home + QStringLiteral("/.quorvex"));
    if (!QFile::copy(database_file, home + QStringLiteral("/.quorvex/database.db")))
        return result;
    const QByteArray saved_home = qgetenv(THomeFolder::VARIABLE);
    qputenv(THomeFolder::VARIABLE, home.toLocal8Bit());

    QElapsedTimer clock;
    clock.start();
    TQuorvex *window = new TQuorvex;
    window->show();
    QCoreApplication::processEvents();
    result.start_msec = clock.nsecsElapsed() / 1e6;

    TReportView *report = window->findChild<TReportView *>(QStringLiteral("summary_view"));
    QAbstractItemView *dates = List(window, "date_list");
    QAbstractItemView *programs = List(window, "program_list");
    QElapsedTimer since_tick;
    bool names_arrived = false;
    bool programs_selected = false;
    QObject::connect(programs->model(), &QAbstractItemModel::modelReset,
                     [&names_arrived]() { names_arrived = true; });
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout,
                     [&]()
                     {
                         result.longest_hold_msec =
                             std::max(result.longest_hold_msec, since_tick.nsecsElapsed() / 1e6 - 5);
                         since_tick.restart();
                         // The programs are chosen once the list shows those of every date.
                         if (names_arrived && !programs_selected)
                         {
                             programs_selected = true;
                             programs->selectAll();
                         }
                         if (programs_selected &&
                             report->Lines()->Line(0).startsWith(QLatin1String("Total Monitor Time:")))
                         {
                             result.visible_msec = clock.nsecsElapsed() / 1e6;
                             result.shown = true;
                             QCoreApplication::exit(0);
                         }
                     });
    QTimer::singleShot(0,
                       [&]()
                       {
                           clock.restart();
                           since_tick.start();
                           ticks.start();
                           dates->selectAll();
                       });
    // At most a minute: a report not shown by then counts as not shown.
    QTimer::singleShot(60000, []() { QCoreApplication::exit(1); });
    QCoreApplication::exec();
    ticks.stop();
    result.peak_megabytes = Peak_Megabytes();
    window->close();
    delete window;
    qputenv(THomeFolder::VARIABLE, saved_home);
    return result;
}
