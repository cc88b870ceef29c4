#ifndef QUORVEX_FLEETPAGE_H
#define QUORVEX_FLEETPAGE_H

#include "src/alerts/alertsettings.h"
#include "src/central/centralsettings.h"
#include "src/fleet/fleetsnapshot.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QTableView;
class QTableWidget;
class QTabWidget;
class QThread;
class QTimer;
class TFleetReader;
class TStatisticsModel;
class TWebhook;
namespace QtCharts
{
class QChartView;
} // namespace QtCharts

// The "Fleet" page: every station of the central database with its state,
// today's utilisation against its own shift calendar, executions, messages
// and open alerts; below, the statistics of the stations selected (all when
// none is) over the chosen days, with the utilisation of each. Read in the
// background every quarter minute while shown; the page only shows.
class TFleetPage : public QWidget
{
    Q_OBJECT

public:
    TFleetPage(const TCentralSettings &settings, const TAlertSettings &alerts, QWidget *parent = nullptr);
    ~TFleetPage() override;

    // Asks for a read now (one at a time; one more after it when asked meanwhile).
    void Refresh();
    std::shared_ptr<const TFleetSnapshot> Snapshot() const { return d_snapshot; }

signals:
    void Message(const QString &text);
    // A read was shown (or failed, said on the page).
    void Shown();
    // To the reader's thread (queued).
    void Read_Requested(const QStringList &chosen, const QDate &first, const QDate &last);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Show(std::shared_ptr<const TFleetSnapshot> snapshot);
    void Show_Failure(const QString &reason);
    void Read_Done();
    QStringList Chosen() const;

    QTableWidget *d_stations;
    QComboBox *d_days;
    QLabel *d_status;
    QTabWidget *d_tabs;
    TStatisticsModel *d_station_model;
    TStatisticsModel *d_program_model;
    TStatisticsModel *d_message_model;
    QtCharts::QChartView *d_chart;
    QTimer *d_timer;
    QThread *d_thread;
    TFleetReader *d_reader;
    TWebhook *d_webhook;
    std::shared_ptr<const TFleetSnapshot> d_snapshot;
    bool d_busy;
    bool d_again;
    bool d_failing;
};

#endif
