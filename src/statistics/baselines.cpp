#include "src/statistics/baselines.h"

#include <QHash>

#include <algorithm>
#include <deque>

namespace
{
struct TRun
{
    const TDatabaseItem *item;
    // Its index in the selection; -1 for history.
    long index;
};

double Median(std::vector<int> values)
{
    std::sort(values.begin(), values.end());
    const size_t count = values.size();
    return count % 2 == 1 ? values[count / 2] : (double(values[count / 2 - 1]) + values[count / 2]) / 2;
}

// The last WINDOW executions of one program and revision.
struct TRecent
{
    std::deque<int> seconds;
    std::deque<int> points;
    size_t program = 0;
};
} // namespace

TBaselines::TBaselines(const std::vector<TDatabaseItem> &items, const std::vector<TDatabaseItem> &history)
    : d_paces(items.size())
{
    std::vector<TRun> runs;
    runs.reserve(items.size() + history.size());
    for (const TDatabaseItem &item : history)
        runs.push_back({&item, -1});
    for (size_t i = 0; i < items.size(); ++i)
        runs.push_back({&items[i], long(i)});
    std::stable_sort(runs.begin(), runs.end(),
                     [](const TRun &a, const TRun &b) { return a.item->Date_Time() < b.item->Date_Time(); });
    QHash<QString, TRecent> recent;
    double baseline_total = 0;
    qint64 actual_total = 0;
    for (const TRun &run : runs)
    {
        const TDatabaseItem &item = *run.item;
        // A name and revision pair is one key: neither holds the zero character.
        const QString key = item.Name() + QChar(0) + item.Revision();
        auto found = recent.find(key);
        if (found == recent.end())
        {
            found = recent.insert(key, TRecent());
            found->program = d_programs.size();
            d_programs.push_back({item.Name(), item.Revision()});
        }
        TRecent &last = *found;
        if (run.index >= 0)
        {
            TPace &pace = d_paces[size_t(run.index)];
            TProgram &program = d_programs[last.program];
            ++program.executions;
            if (int(last.seconds.size()) >= LEAST)
            {
                pace.baseline_seconds = Median({last.seconds.begin(), last.seconds.end()});
                pace.baseline_points = Median({last.points.begin(), last.points.end()});
                pace.slow = item.Execution_Time() > pace.baseline_seconds * (1 + SLOW_SHARE);
                pace.short_points = item.Point_Count() < pace.baseline_points * SHORT_SHARE;
                ++program.with_baseline;
                program.baseline_seconds = pace.baseline_seconds;
                program.baseline_points = pace.baseline_points;
                program.baseline_total += pace.baseline_seconds;
                program.actual_total += item.Execution_Time();
                program.slow += pace.slow ? 1 : 0;
                program.short_points += pace.short_points ? 1 : 0;
                baseline_total += pace.baseline_seconds;
                actual_total += item.Execution_Time();
                d_slow += pace.slow ? 1 : 0;
                d_short += pace.short_points ? 1 : 0;
            }
        }
        last.seconds.push_back(item.Execution_Time());
        last.points.push_back(item.Point_Count());
        if (int(last.seconds.size()) > WINDOW)
        {
            last.seconds.pop_front();
            last.points.pop_front();
        }
    }
    for (TProgram &program : d_programs)
        program.performance = program.actual_total > 0 ? program.baseline_total / program.actual_total : -1;
    // Programs without an execution in the selection are history only.
    d_programs.erase(std::remove_if(d_programs.begin(), d_programs.end(),
                                    [](const TProgram &program) { return program.executions == 0; }),
                     d_programs.end());
    std::sort(d_programs.begin(), d_programs.end(), [](const TProgram &a, const TProgram &b)
              { return a.name != b.name ? a.name < b.name : a.revision < b.revision; });
    d_performance = actual_total > 0 ? baseline_total / actual_total : -1;
}
