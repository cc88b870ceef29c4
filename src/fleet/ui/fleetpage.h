#ifndef QUORVEX_FLEETPAGE_H
#define QUORVEX_FLEETPAGE_H

#include "src/fleet/fleetsnapshot.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTimer;
class TFleetFeed;
class TStatisticsModel;
namespace QtCharts
{
class QChartView;
} // namespace QtCharts

// The "Fleet" page: every station of the central database (or of one group)
// with its group, its own local time and zone, its state, today's
// utilisation against its own shift calendar, executions, messages and open
// alerts; below, the statistics of the stations selected (all when none is)
// over the chosen days, each station's own, with the utilisation of each. Asks the feed
// for a read every quarter minute while shown, and only shows.
class TFleetPage : public QWidget
{
    Q_OBJECT

public:
    // FEED outlives the page.
    explicit TFleetPage(TFleetFeed *feed, QWidget *parent = nullptr);

    // Asks for a read now.
    void Refresh();
    std::shared_ptr<const TFleetSnapshot> Snapshot() const { return d_snapshot; }

signals:
    void Message(const QString &text);
    // A read was shown, its chart too (or failed, said on the page).
    void Shown();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Show(std::shared_ptr<const TFleetSnapshot> snapshot);
    // The stations' rows; how many.
    int Show_Stations(const TFleetSnapshot &snapshot);
    void Show_Chart();
    void Show_Failure(const QString &reason);
    QStringList Chosen() const;
    void Show_Groups(const QStringList &groups);

    QTableWidget *d_stations;
    QComboBox *d_days;
    QComboBox *d_group;
    QLabel *d_status;
    QTabWidget *d_tabs;
    TStatisticsModel *d_station_model;
    TStatisticsModel *d_program_model;
    TStatisticsModel *d_message_model;
    TStatisticsModel *d_lost_model;
    QtCharts::QChartView *d_chart;
    QTimer *d_timer;
    TFleetFeed *d_feed;
    std::shared_ptr<const TFleetSnapshot> d_snapshot;
    bool d_failing;
    bool d_chart_due;
};

#endif
