#ifndef QUORVEX_STATISTICSCHARTS_H
#define QUORVEX_STATISTICSCHARTS_H

#include "src/statistics/statistics.h"

#include <utility>
#include <vector>

#include <QtCharts/QChart>

class QPalette;

// The statistics' charts, each a new chart for the caller to own, in the
// colours of the palette given (the window's, or a paper one for the PDF).
// A chart shows at most MAXIMUM_BARS entries (the latest periods, the
// programs with the most execution time, the most frequent messages); the
// tables hold them all, and the title says when some are left out.
class TStatisticsCharts
{
public:
    static constexpr int MAXIMUM_BARS = 20;

    // Utilisation in percent per period, with the target as a line.
    static QtCharts::QChart *Utilisation(const TStatistics &statistics, TStatistics::TPeriodKind kind,
                                         const QPalette &palette);
    // Execution seconds per program: minimum, quartiles, median and maximum.
    // Bars of utilisation (fractions; negative: nothing scheduled) with the target line.
    static QtCharts::QChart *Utilisation_Bars(const QString &title,
                                              const std::vector<std::pair<QString, double>> &bars,
                                              double target, const QPalette &palette,
                                              const QString &series_name = QStringLiteral("Utilisation %"));
    // Utilisation_Bars of the stations given, at most MAXIMUM_BARS of them:
    // the least utilised (those with time scheduled first), in the order
    // given, the title saying so when some are left out.
    static QtCharts::QChart *Station_Utilisation(const QString &title,
                                                 const std::vector<std::pair<QString, double>> &stations,
                                                 double target, const QPalette &palette);
    static QtCharts::QChart *Execution_Times(const TStatistics &statistics, const QPalette &palette);
    // Messages by frequency, with the cumulative share in percent.
    static QtCharts::QChart *Pareto(const TStatistics &statistics, const QPalette &palette);
    // Lost minutes by reason, the unclassified as such, planned stops apart.
    static QtCharts::QChart *Lost_Time(const TStatistics &statistics, const QPalette &palette);
    // Performance per program and revision, with the baseline's pace (100%) as the line.
    static QtCharts::QChart *Pace(const TStatistics &statistics, const QPalette &palette);

private:
    struct TParetoBar
    {
        QString label;
        double value;
        double cumulative;
        bool second;
    };
    static QtCharts::QChart *Pareto_Chart(const QString &title, const std::pair<QString, QString> &set_names,
                                          const std::vector<TParetoBar> &bars, const QPalette &palette);
};

#endif
