#ifndef QUORVEX_STATISTICSPAGE_H
#define QUORVEX_STATISTICSPAGE_H

#include "src/statistics/statistics.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class TStatisticsModel;
namespace QtCharts
{
class QChart;
class QChartView;
} // namespace QtCharts

// The "Statistics" page: the figures of the selection per program, per
// period and per controller message, each as a table with its chart. The
// figures arrive computed; the page only shows them. Its exports are asked
// of the window, which owns the files.
class TStatisticsPage : public QWidget
{
    Q_OBJECT

public:
    explicit TStatisticsPage(QWidget *parent = nullptr);

    void Set_Statistics(const std::shared_ptr<const TStatistics> &statistics);
    // Shown instead of figures ("Updating statistics...").
    void Set_Message(const QString &message);
    std::shared_ptr<const TStatistics> Statistics() const { return d_statistics; }
    TStatistics::TPeriodKind Period() const;
    // The table on the tab shown.
    TStatisticsTable Current_Table() const;
    QtCharts::QChart *Chart(int tab) const;

signals:
    void Calendar_Requested();
    void Pdf_Requested();
    void Csv_Requested();

protected:
    void changeEvent(QEvent *event) override;

private:
    void Show_Period();
    void Show_Charts();
    void Set_Chart(int tab, QtCharts::QChart *chart);

    static const int TABS = 5;

    std::shared_ptr<const TStatistics> d_statistics;
    QComboBox *d_period;
    QLabel *d_summary;
    QTabWidget *d_tabs;
    TStatisticsModel *d_models[TABS];
    QTableView *d_tables[TABS];
    QtCharts::QChartView *d_charts[TABS];
    QPushButton *d_pdf_button;
    QPushButton *d_csv_button;
};

#endif
