#include "src/statistics/ui/statisticscharts.h"

#include <QPalette>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QBoxPlotSeries>
#include <QtCharts/QBoxSet>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <limits>
#include <numeric>

QT_CHARTS_USE_NAMESPACE

namespace
{
// Labels of many bars stay readable when long ones are cut.
QString Short_Label(const QString &text)
{
    const int LONGEST = 24;
    return text.size() <= LONGEST ? text : text.left(LONGEST - 1) + QChar(0x2026);
}

QString Title(const QString &title, int shown, int all)
{
    return shown < all ? QStringLiteral("%1 (%2 of %3)").arg(title).arg(shown).arg(all) : title;
}

QChart *New_Chart(const QString &title, const QPalette &palette)
{
    QChart *chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundBrush(palette.brush(QPalette::Base));
    chart->setBackgroundPen(QPen(palette.color(QPalette::Mid)));
    chart->setTitleBrush(palette.brush(QPalette::Text));
    chart->legend()->setLabelColor(palette.color(QPalette::Text));
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

void Style_Axis(QAbstractAxis *axis, const QPalette &palette)
{
    axis->setLabelsBrush(palette.brush(QPalette::Text));
    axis->setTitleBrush(palette.brush(QPalette::Text));
    axis->setLinePenColor(palette.color(QPalette::Mid));
    axis->setGridLineColor(palette.color(QPalette::Midlight));
}

QBarCategoryAxis *Category_Axis(QChart *chart, const QStringList &labels, const QPalette &palette)
{
    QBarCategoryAxis *axis = new QBarCategoryAxis;
    // The axis draws its labels as rich text; names recorded elsewhere (programs,
    // stations of a central database) are shown as they are, never as markup.
    QStringList plain;
    for (const QString &label : labels)
        plain << label.toHtmlEscaped();
    axis->append(plain);
    // Many labels fit only on their side.
    axis->setLabelsAngle(labels.size() > 6 ? -90 : 0);
    Style_Axis(axis, palette);
    chart->addAxis(axis, Qt::AlignBottom);
    return axis;
}

QValueAxis *Value_Axis(QChart *chart, const QString &title, double maximum, Qt::Alignment alignment,
                       const QPalette &palette)
{
    QValueAxis *axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(0, maximum > 0 ? maximum : 1);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    Style_Axis(axis, palette);
    chart->addAxis(axis, alignment);
    return axis;
}

QBarSet *Bar_Set(const QString &label, const QPalette &palette)
{
    QBarSet *set = new QBarSet(label);
    set->setColor(palette.color(QPalette::Highlight));
    set->setBorderColor(palette.color(QPalette::Highlight).darker(130));
    set->setLabelColor(palette.color(QPalette::Text));
    return set;
}

// A line over the bars of a category axis: categories sit at 0, 1, 2 ...
QLineSeries *Line(QChart *chart, const QString &name, const QColor &color, QAbstractAxis *x, QAbstractAxis *y)
{
    QLineSeries *line = new QLineSeries;
    line->setName(name);
    line->setPen(QPen(color, 2.5));
    chart->addSeries(line);
    line->attachAxis(x);
    line->attachAxis(y);
    return line;
}

QColor Contrast_Colour(const QPalette &palette)
{
    // Red reads as a limit on light and dark backgrounds alike.
    return palette.color(QPalette::Base).lightness() > 128 ? QColor(0xc0, 0x20, 0x20)
                                                           : QColor(0xff, 0x70, 0x70);
}
} // namespace

QChart *TStatisticsCharts::Utilisation(const TStatistics &statistics, TStatistics::TPeriodKind kind,
                                       const QPalette &palette)
{
    const std::vector<TStatistics::TPeriod> &periods = statistics.Periods(kind);
    const int shown = std::min<int>(MAXIMUM_BARS, int(periods.size()));
    std::vector<std::pair<QString, double>> bars;
    for (size_t i = periods.size() - size_t(shown); i < periods.size(); ++i)
        bars.emplace_back(periods[i].label, periods[i].utilisation);
    return Utilisation_Bars(
        Title(QStringLiteral("Utilisation per %1").arg(TStatistics::Period_Name(kind).toLower()), shown,
              int(periods.size())),
        bars, statistics.Target(), palette);
}

QChart *TStatisticsCharts::Utilisation_Bars(const QString &title,
                                            const std::vector<std::pair<QString, double>> &bars,
                                            double target_fraction, const QPalette &palette,
                                            const QString &series_name)
{
    QChart *chart = New_Chart(title, palette);
    QBarSet *set = Bar_Set(series_name, palette);
    QStringList labels;
    double highest = target_fraction * 100;
    for (const auto &bar : bars)
    {
        const double percent = std::max(0.0, bar.second * 100);
        *set << percent;
        labels << bar.first;
        highest = std::max(highest, percent);
    }
    QBarSeries *series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    QBarCategoryAxis *x = Category_Axis(chart, labels, palette);
    QValueAxis *y =
        Value_Axis(chart, QStringLiteral("%"), std::max(100.0, highest * 1.1), Qt::AlignLeft, palette);
    series->attachAxis(x);
    series->attachAxis(y);
    QLineSeries *target = Line(chart, QStringLiteral("Target %1").arg(TStatistics::Percent(target_fraction)),
                               Contrast_Colour(palette), x, y);
    target->append(-0.5, target_fraction * 100);
    target->append(int(bars.size()) - 0.5, target_fraction * 100);
    return chart;
}

QChart *TStatisticsCharts::Station_Utilisation(const QString &title,
                                               const std::vector<std::pair<QString, double>> &stations,
                                               double target, const QPalette &palette)
{
    std::vector<size_t> shown(stations.size());
    std::iota(shown.begin(), shown.end(), size_t(0));
    if (shown.size() <= size_t(MAXIMUM_BARS))
        return Utilisation_Bars(title, stations, target, palette);
    // Nothing scheduled (negative) is not low utilisation: those come last.
    const auto rank = [&stations](size_t i)
    { return stations[i].second < 0 ? std::numeric_limits<double>::infinity() : stations[i].second; };
    std::stable_sort(shown.begin(), shown.end(), [&rank](size_t a, size_t b) { return rank(a) < rank(b); });
    shown.resize(size_t(MAXIMUM_BARS));
    std::sort(shown.begin(), shown.end());
    std::vector<std::pair<QString, double>> bars;
    for (size_t i : shown)
        bars.push_back(stations[i]);
    return Utilisation_Bars(QStringLiteral("%1 (the %2 least utilised of %3)")
                                .arg(title, QString::number(MAXIMUM_BARS), QString::number(stations.size())),
                            bars, target, palette);
}

QChart *TStatisticsCharts::Execution_Times(const TStatistics &statistics, const QPalette &palette)
{
    const std::vector<TStatistics::TProgram> &programs = statistics.Programs();
    const int shown = std::min<int>(MAXIMUM_BARS, int(programs.size()));
    QChart *chart =
        New_Chart(Title(QStringLiteral("Execution time per program"), shown, int(programs.size())), palette);
    QBoxPlotSeries *series = new QBoxPlotSeries;
    series->setName(QStringLiteral("Execution s: minimum, quartiles, median, maximum"));
    series->setBrush(palette.brush(QPalette::Highlight));
    series->setPen(QPen(palette.color(QPalette::Text), 1));
    QStringList labels;
    double highest = 0;
    for (int i = 0; i < shown; ++i)
    {
        const TStatistics::TProgram &program = programs[size_t(i)];
        series->append(new QBoxSet(program.minimum_seconds, program.lower_quartile, program.median_seconds,
                                   program.upper_quartile, program.maximum_seconds,
                                   Short_Label(program.name)));
        labels << Short_Label(program.name);
        highest = std::max<double>(highest, program.maximum_seconds);
    }
    chart->addSeries(series);
    QBarCategoryAxis *x = Category_Axis(chart, labels, palette);
    QValueAxis *y = Value_Axis(chart, QStringLiteral("s"), highest * 1.05, Qt::AlignLeft, palette);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

QChart *TStatisticsCharts::Pareto(const TStatistics &statistics, const QPalette &palette)
{
    const std::vector<TStatistics::TMessage> &messages = statistics.Messages();
    std::vector<TParetoBar> bars;
    for (const TStatistics::TMessage &message : messages)
        bars.push_back({message.text, double(message.count), message.cumulative_share, false});
    return Pareto_Chart(QStringLiteral("Controller messages"), {QStringLiteral("Count"), QString()}, bars,
                        palette);
}

QChart *TStatisticsCharts::Lost_Time(const TStatistics &statistics, const QPalette &palette)
{
    std::vector<TParetoBar> bars;
    for (const TLostTime::TReason &reason : statistics.Lost_Time().Reasons())
        bars.push_back(
            {TLostTime::Reason_Text(reason), reason.seconds / 60.0, reason.cumulative_share, reason.planned});
    return Pareto_Chart(QStringLiteral("Lost time by reason, in minutes"),
                        {QStringLiteral("Lost minutes"), QStringLiteral("Planned minutes")}, bars, palette);
}

QChart *TStatisticsCharts::Pace(const TStatistics &statistics, const QPalette &palette)
{
    std::vector<std::pair<QString, double>> bars;
    for (const TBaselines::TProgram &program : statistics.Baselines().Programs())
        if (program.performance >= 0 && int(bars.size()) < MAXIMUM_BARS)
            bars.emplace_back(program.name + QLatin1Char(' ') + program.revision, program.performance);
    return Utilisation_Bars(QStringLiteral("Performance: baseline time / actual time"), bars, 1.0, palette,
                            QStringLiteral("Performance %"));
}

// Bars from the largest down with their cumulative share; bars of the second
// kind (planned stops) in a set and colour of their own.
QChart *TStatisticsCharts::Pareto_Chart(const QString &title, const std::pair<QString, QString> &set_names,
                                        const std::vector<TParetoBar> &bars, const QPalette &palette)
{
    const int shown = std::min<int>(MAXIMUM_BARS, int(bars.size()));
    QChart *chart = New_Chart(Title(title, shown, int(bars.size())), palette);
    QBarSet *first = Bar_Set(set_names.first, palette);
    QBarSet *second = Bar_Set(set_names.second, palette);
    second->setColor(palette.color(QPalette::Mid));
    QStringList labels;
    double highest = 0;
    for (int i = 0; i < shown; ++i)
    {
        const TParetoBar &bar = bars[size_t(i)];
        *first << (bar.second ? 0 : bar.value);
        *second << (bar.second ? bar.value : 0);
        labels << Short_Label(bar.label);
        highest = std::max(highest, bar.value);
    }
    // Two kinds stack (each bar has a value in one of them only); one kind is a plain bar series.
    QAbstractBarSeries *series = set_names.second.isEmpty()
                                     ? static_cast<QAbstractBarSeries *>(new QBarSeries)
                                     : new QStackedBarSeries;
    series->append(first);
    if (!set_names.second.isEmpty())
        series->append(second);
    else
        delete second;
    chart->addSeries(series);
    QBarCategoryAxis *x = Category_Axis(chart, labels, palette);
    QValueAxis *values = Value_Axis(chart, set_names.first, highest * 1.1, Qt::AlignLeft, palette);
    // Minutes of a short day need their tenths.
    if (highest < 10)
        values->setLabelFormat(QStringLiteral("%.1f"));
    QValueAxis *percent = Value_Axis(chart, QStringLiteral("Cumulative %"), 100, Qt::AlignRight, palette);
    series->attachAxis(x);
    series->attachAxis(values);
    QLineSeries *cumulative =
        Line(chart, QStringLiteral("Cumulative %"), Contrast_Colour(palette), x, percent);
    for (int i = 0; i < shown; ++i)
        cumulative->append(i, bars[size_t(i)].cumulative * 100);
    return chart;
}
