#ifndef QUORVEX_BENCH_BENCHMEASURE_H
#define QUORVEX_BENCH_BENCHMEASURE_H

#include <QString>

#include <functional>

// What the central benchmarks share: a figure printed beside its target, and
// waits that keep the GUI thread's event loop running.
class TBenchMeasure
{
public:
    static void Print(const QString &figure, double msec, double target_msec);
    static void Say(const QString &line);
    // Runs the event loop until DONE, at most TIMEOUT_MSEC.
    static bool Wait_For(const std::function<bool()> &done, int timeout_msec);
    // The longest the event loop was held while waiting for DONE.
    static double Longest_Hold(const std::function<bool()> &done, int timeout_msec);
};

#endif
