#ifndef QUORVEX_BASELINES_H
#define QUORVEX_BASELINES_H

#include "src/database/execution.h"

#include <QString>

class QSettings;

#include <vector>

// Each program's own pace: per name and revision, the baseline of an
// execution is the median execution time and point count of the same
// program's last executions before it (earlier ones of the selection and the
// history read with it). An execution slower than its baseline by more than
// a share is marked slow, one with far fewer points short (likely aborted).
// Performance is baseline time / actual time, of the executions that have a
// baseline and are not short: an aborted run is no pace (it would add its whole
// baseline against a few seconds), but a loss of its own, counted apart, and
// it does not move its program's baseline. A new revision starts a baseline of
// its own.
class TBaselines
{
public:
    static const int WINDOW = 20;
    // Fewer earlier executions than this give no baseline.
    static const int LEAST = 3;
    static constexpr double SLOW_SHARE = 0.25;
    static constexpr double SHORT_SHARE = 0.5;

    // Slower than the baseline by more than SLOW is slow; fewer than SHORT of its points is short.
    struct TShares
    {
        double slow = SLOW_SHARE;
        double short_points = SHORT_SHARE;
    };
    // The shares of the settings' [Stops] (Slow_Share, Short_Share); a value
    // out of range keeps the default.
    static TShares Read_Shares(QSettings *settings);

    struct TPace
    {
        // Negative when the execution has no baseline.
        double baseline_seconds = -1;
        double baseline_points = -1;
        bool slow = false;
        bool short_points = false;
    };

    struct TProgram
    {
        QString name;
        QString revision;
        int executions = 0;
        int with_baseline = 0;
        // Of the program's latest execution with a baseline.
        double baseline_seconds = -1;
        double baseline_points = -1;
        double baseline_total = 0;
        qint64 actual_total = 0;
        int slow = 0;
        int short_points = 0;
        // The execution seconds of its short executions.
        qint64 short_seconds = 0;
        // Negative when no execution has a baseline.
        double performance = -1;
    };

    TBaselines() = default;
    // ITEMS are the selection; HISTORY what came before it, in any order.
    TBaselines(const std::vector<TExecution> &items, const std::vector<TExecution> &history,
               const TShares &shares);
    TBaselines(const std::vector<TExecution> &items, const std::vector<TExecution> &history);

    // The pace of ITEMS' execution at INDEX.
    const TPace &Pace(size_t index) const { return d_paces[index]; }
    const std::vector<TProgram> &Programs() const { return d_programs; }
    double Performance() const { return d_performance; }
    int Slow() const { return d_slow; }
    int Short() const { return d_short; }
    qint64 Short_Seconds() const { return d_short_seconds; }

private:
    std::vector<TPace> d_paces;
    std::vector<TProgram> d_programs;
    double d_performance = -1;
    int d_slow = 0;
    int d_short = 0;
    qint64 d_short_seconds = 0;
};

#endif
