#include "bench/benchmeasure.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace
{
QTextStream out(stdout);
} // namespace

void TBenchMeasure::Print(const QString &figure, double msec, double target_msec)
{
    out << QStringLiteral("%1 %2 ms   (target %3 ms)\n")
               .arg(figure, -60)
               .arg(msec, 10, 'f', 1)
               .arg(target_msec);
    out.flush();
}

void TBenchMeasure::Say(const QString &line)
{
    out << line << "\n";
    out.flush();
}

bool TBenchMeasure::Wait_For(const std::function<bool()> &done, int timeout_msec)
{
    // The event loop sleeps between looks: a loop that spun would take a core
    // from the threads and the server being measured.
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop,
                     [&]()
                     {
                         if (done() || timer.elapsed() >= timeout_msec)
                             loop.quit();
                     });
    look.start(2);
    if (!done())
        loop.exec();
    return done();
}

double TBenchMeasure::Longest_Hold(const std::function<bool()> &done, int timeout_msec)
{
    QElapsedTimer since;
    since.start();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&]() { longest = std::max(longest, since.restart()); });
    tick.start(5);
    Wait_For(done, timeout_msec);
    // The wait's own end counts: a hold that ended it is a hold too.
    longest = std::max(longest, since.elapsed());
    return double(longest);
}
