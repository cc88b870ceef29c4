#include "src/statistics/baselines.h"

#include <QHash>
#include <QPair>
#include <QSettings>

#include <algorithm>

namespace
{
struct TRun
{
    const TExecution *item;
    // Its index in the selection; -1 for history.
    long index;
    // The wall-clock moment it opened, as a number: comparing the moments themselves would look up
    // the time zone at every step of the sort.
    qint64 opened;
};

qint64 Wall_Clock(const QDateTime &moment)
{
    return moment.date().toJulianDay() * 86400000 + moment.time().msecsSinceStartOfDay();
}

// The last WINDOW values of one kind, kept in order of arrival and in sorted
// order at once: the median of each of many executions is read, not sorted.
class TWindow
{
public:
    void Add(int value)
    {
        if (d_count == TBaselines::WINDOW)
        {
            // The oldest goes; any one of equal values will do.
            int *const gone = std::lower_bound(d_sorted, d_sorted + d_count, d_arrived[d_next]);
            std::copy(gone + 1, d_sorted + d_count, gone);
            --d_count;
        }
        d_arrived[d_next] = value;
        d_next = (d_next + 1) % TBaselines::WINDOW;
        int *const place = std::upper_bound(d_sorted, d_sorted + d_count, value);
        std::copy_backward(place, d_sorted + d_count, d_sorted + d_count + 1);
        *place = value;
        ++d_count;
    }
    int Count() const { return d_count; }
    double Median() const
    {
        const int half = d_count / 2;
        return d_count % 2 == 1 ? d_sorted[half] : (double(d_sorted[half - 1]) + d_sorted[half]) / 2;
    }

private:
    int d_arrived[TBaselines::WINDOW];
    int d_sorted[TBaselines::WINDOW];
    int d_count = 0;
    int d_next = 0;
};

// The last executions of one program and revision.
struct TRecent
{
    TWindow seconds;
    TWindow points;
    size_t program = 0;
};
} // namespace

TBaselines::TBaselines(const std::vector<TExecution> &items, const std::vector<TExecution> &history)
    : TBaselines(items, history, TShares())
{
}

TBaselines::TBaselines(const std::vector<TExecution> &items, const std::vector<TExecution> &history,
                       const TShares &shares)
    : d_paces(items.size())
{
    std::vector<TRun> runs;
    runs.reserve(items.size() + history.size());
    for (const TExecution &item : history)
        runs.push_back({&item, -1, Wall_Clock(item.Date_Time())});
    for (size_t i = 0; i < items.size(); ++i)
        runs.push_back({&items[i], long(i), Wall_Clock(items[i].Date_Time())});
    std::stable_sort(runs.begin(), runs.end(),
                     [](const TRun &a, const TRun &b) { return a.opened < b.opened; });
    // Keyed by name and revision as they are, without a text made of both for each execution.
    QHash<QPair<QString, QString>, TRecent> recent;
    double baseline_total = 0;
    qint64 actual_total = 0;
    for (const TRun &run : runs)
    {
        const TExecution &item = *run.item;
        const QPair<QString, QString> key(item.Name(), item.Revision());
        auto found = recent.find(key);
        if (found == recent.end())
        {
            found = recent.insert(key, TRecent());
            found->program = d_programs.size();
            d_programs.push_back({item.Name(), item.Revision()});
        }
        TRecent &last = *found;
        const bool with_baseline = last.seconds.Count() >= LEAST;
        const bool short_points =
            with_baseline && item.Point_Count() < last.points.Median() * shares.short_points;
        if (run.index >= 0)
        {
            TPace &pace = d_paces[size_t(run.index)];
            TProgram &program = d_programs[last.program];
            ++program.executions;
            if (with_baseline)
            {
                pace.baseline_seconds = last.seconds.Median();
                pace.baseline_points = last.points.Median();
                pace.slow =
                    !short_points && item.Execution_Time() > pace.baseline_seconds * (1 + shares.slow);
                pace.short_points = short_points;
                ++program.with_baseline;
                program.baseline_seconds = pace.baseline_seconds;
                program.baseline_points = pace.baseline_points;
            }
            if (short_points)
            {
                ++program.short_points;
                program.short_seconds += item.Execution_Time();
                ++d_short;
                d_short_seconds += item.Execution_Time();
            }
            else if (with_baseline)
            {
                program.baseline_total += pace.baseline_seconds;
                program.actual_total += item.Execution_Time();
                program.slow += pace.slow ? 1 : 0;
                baseline_total += pace.baseline_seconds;
                actual_total += item.Execution_Time();
                d_slow += pace.slow ? 1 : 0;
            }
        }
        if (short_points)
            continue;
        last.seconds.Add(item.Execution_Time());
        last.points.Add(item.Point_Count());
    }
    for (TProgram &program : d_programs)
        program.performance = program.actual_total > 0 ? program.baseline_total / program.actual_total : -1;
    // Programs without an execution in the selection are history only.
    d_programs.erase(std::remove_if(d_programs.begin(), d_programs.end(),
                                    [](const TProgram &program) { return program.executions == 0; }),
                     d_programs.end());
    std::sort(d_programs.begin(), d_programs.end(),
              [](const TProgram &a, const TProgram &b)
              { return a.name != b.name ? a.name < b.name : a.revision < b.revision; });
    d_performance = actual_total > 0 ? baseline_total / actual_total : -1;
}

TBaselines::TShares TBaselines::Read_Shares(QSettings *settings)
{
    TShares shares;
    bool number = false;
    const double slow = settings->value(QStringLiteral("Stops/Slow_Share")).toDouble(&number);
    if (number && slow >= 0 && slow <= 10)
        shares.slow = slow;
    const double short_points = settings->value(QStringLiteral("Stops/Short_Share")).toDouble(&number);
    if (number && short_points >= 0 && short_points <= 1)
        shares.short_points = short_points;
    return shares;
}
