#include "src/fleet/ui/fleetpage.h"

#include "src/fleet/fleetfeed.h"
#include "src/statistics/statisticsmodel.h"
#include "src/statistics/ui/statisticscharts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChartView>

namespace
{
const int REFRESH_MSEC = 15000;
const QStringList COLUMNS = {QStringLiteral("Station"),    QStringLiteral("Group"),
                             QStringLiteral("Local time"), QStringLiteral("State"),
                             QStringLiteral("Since"),      QStringLiteral("Utilisation today"),
                             QStringLiteral("Executions"), QStringLiteral("Messages"),
                             QStringLiteral("Alerts"),     QStringLiteral("Stopped")};
// The columns of figures, set to the right.
const int FIRST_FIGURE = 5;
const int LAST_FIGURE = 7;
const int FITTED_ROWS = 100;

QTableView *Table_View(TStatisticsModel *model, QWidget *parent)
{
    QTableView *view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->hide();
    return view;
}

QString State_Text(const TFleetSnapshot::TStation &station)
{
    switch (station.state)
    {
    case TStationActivity::EXECUTING:
        return QStringLiteral("executing ") + station.program;
    case TStationActivity::IDLE:
        return station.program.isEmpty()
                   ? QStringLiteral("idle")
                   : QStringLiteral("idle, ") + station.program + QStringLiteral(" open");
    case TStationActivity::WAITING:
        return QStringLiteral("waiting for PC-DMIS");
    case TStationActivity::SILENT:
        return QStringLiteral("silent since ") +
               station.Local(station.heartbeat).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case TStationActivity::OFF:
        break;
    }
    return QStringLiteral("monitor off");
}

// The station's own wall time and zone, as it told the zone.
QString Local_Text(const TFleetSnapshot::TStation &station, const QDateTime &now)
{
    return station.Local(now).toString(QStringLiteral("ddd HH:mm ")) + station.zone_text;
}

QString Stop_Text(const TFleetSnapshot::TStation &station, const QDateTime &now)
{
    if (!station.stop_started.isValid())
        return QString();
    const qint64 minutes = qMax<qint64>(0, station.stop_started.secsTo(now) / 60);
    return QStringLiteral("%1, %2 min")
        .arg(station.stop_reason.isEmpty() ? QStringLiteral("not classified") : station.stop_reason)
        .arg(minutes);
}
} // namespace

TFleetPage::TFleetPage(TFleetFeed *feed, QWidget *parent)
    : QWidget(parent), d_feed(feed), d_failing(false), d_chart_due(false)
{
    d_stations = new QTableWidget(0, COLUMNS.size(), this);
    d_stations->setObjectName(QStringLiteral("fleet_stations"));
    d_stations->setHorizontalHeaderLabels(COLUMNS);
    d_stations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d_stations->setSelectionBehavior(QAbstractItemView::SelectRows);
    d_stations->verticalHeader()->hide();
    d_stations->horizontalHeader()->setStretchLastSection(true);
    // Columns fitted to the first rows: a fleet of hundreds of stations is refitted at every read.
    d_stations->horizontalHeader()->setResizeContentsPrecision(FITTED_ROWS);
    d_days = new QComboBox(this);
    d_days->addItem(QStringLiteral("Today"), 1);
    d_days->addItem(QStringLiteral("Last 7 days"), 7);
    d_days->addItem(QStringLiteral("Last 30 days"), 30);
    d_days->setCurrentIndex(1);
    d_group = new QComboBox(this);
    d_group->setObjectName(QStringLiteral("fleet_group"));
    d_group->addItem(QStringLiteral("All groups"), QString());
    d_status = new QLabel(this);
    d_status->setObjectName(QStringLiteral("fleet_status"));
    d_status->setTextFormat(Qt::PlainText);
    d_station_model = new TStatisticsModel(this);
    d_program_model = new TStatisticsModel(this);
    d_message_model = new TStatisticsModel(this);
    d_chart = new QtCharts::QChartView(this);
    d_chart->setRenderHint(QPainter::Antialiasing);
    d_tabs = new QTabWidget(this);
    QWidget *per_station = new QWidget(d_tabs);
    QHBoxLayout *station_layout = new QHBoxLayout(per_station);
    station_layout->addWidget(Table_View(d_station_model, per_station), 1);
    station_layout->addWidget(d_chart, 1);
    d_tabs->addTab(per_station, QStringLiteral("Stations"));
    d_tabs->addTab(Table_View(d_program_model, d_tabs), QStringLiteral("Programs"));
    d_tabs->addTab(Table_View(d_message_model, d_tabs), QStringLiteral("Messages"));
    d_lost_model = new TStatisticsModel(this);
    d_tabs->addTab(Table_View(d_lost_model, d_tabs), QStringLiteral("Lost time"));

    QHBoxLayout *controls = new QHBoxLayout;
    controls->addWidget(d_group);
    controls->addWidget(new QLabel(
        QStringLiteral("Statistics of the selected stations (all when none is), each in its own days:"),
        this));
    controls->addWidget(d_days);
    controls->addStretch(1);
    controls->addWidget(d_status);
    QSplitter *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(d_stations);
    QWidget *lower = new QWidget(splitter);
    QVBoxLayout *lower_layout = new QVBoxLayout(lower);
    lower_layout->setContentsMargins(0, 0, 0, 0);
    lower_layout->addLayout(controls);
    lower_layout->addWidget(d_tabs, 1);
    splitter->addWidget(lower);
    // The statistics and their chart want the whole fleet; a table of stations needs few lines.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(d_feed, &TFleetFeed::Ready, this, &TFleetPage::Show);
    connect(d_feed, &TFleetFeed::Failed, this, &TFleetPage::Show_Failure);

    d_timer = new QTimer(this);
    d_timer->setInterval(REFRESH_MSEC);
    connect(d_timer, &QTimer::timeout, this,
            [this]()
            {
                if (isVisible())
                    Refresh();
            });
    d_timer->start();
    connect(d_days, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TFleetPage::Refresh);
    connect(d_group, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TFleetPage::Refresh);
    connect(d_stations, &QTableWidget::itemSelectionChanged, this, &TFleetPage::Refresh);
}

void TFleetPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Refresh();
}

QStringList TFleetPage::Chosen() const
{
    QStringList ids;
    for (const QModelIndex &row : d_stations->selectionModel()->selectedRows())
        if (QTableWidgetItem *item = d_stations->item(row.row(), 0))
            ids << item->data(Qt::UserRole).toString();
    return ids;
}

void TFleetPage::Refresh()
{
    d_feed->Read(Chosen(), d_group->currentData().toString(), d_days->currentData().toInt());
}

void TFleetPage::Show_Failure(const QString &reason)
{
    d_status->setText(QStringLiteral("Central database unreachable"));
    // The server's words, shown as they are, never as markup.
    d_status->setToolTip(Qt::convertFromPlainText(reason));
    if (!d_failing)
        emit Message(QStringLiteral("WAR:  Central database unreachable: ") + reason);
    d_failing = true;
    emit Shown();
}

void TFleetPage::Show(std::shared_ptr<const TFleetSnapshot> snapshot)
{
    d_failing = false;
    std::shared_ptr<const TFleetSnapshot> shown_before = std::move(d_snapshot);
    d_snapshot = snapshot;
    Show_Groups(snapshot->groups);
    const int stations = Show_Stations(*snapshot);
    d_station_model->Set_Table(snapshot->station_table);
    d_program_model->Set_Table(snapshot->program_table);
    d_message_model->Set_Table(snapshot->message_table);
    d_lost_model->Set_Table(snapshot->lost_table);
    // The models now share the new rows alone: the old ones are freed off this thread.
    d_feed->Release(std::move(shown_before));
    d_status->setText(QStringLiteral("%1 stations, read %2")
                          .arg(stations)
                          .arg(snapshot->read_at.toString(QStringLiteral("HH:mm:ss"))));
    d_status->setToolTip(QString());
    // The chart of hundreds of bars in a turn of the event loop of its own, after the tables are drawn.
    if (!d_chart_due)
    {
        d_chart_due = true;
        QTimer::singleShot(0, this, &TFleetPage::Show_Chart);
    }
}

int TFleetPage::Show_Stations(const TFleetSnapshot &snapshot)
{
    const QStringList chosen = Chosen();
    std::vector<const TFleetSnapshot::TStation *> shown;
    for (const TFleetSnapshot::TStation &station : snapshot.stations)
        if (station.in_group)
            shown.push_back(&station);
    // Rebuilding the rows would clear the selection: it is put back by station.
    const QSignalBlocker blocker(d_stations);
    d_stations->setRowCount(int(shown.size()));
    for (int row = 0; row < int(shown.size()); ++row)
    {
        const TFleetSnapshot::TStation &station = *shown[size_t(row)];
        const double utilisation = station.Utilisation();
        const QStringList cells{station.name,
                                station.group,
                                Local_Text(station, snapshot.read_at),
                                State_Text(station),
                                station.Local(station.since).toString(QStringLiteral("HH:mm")),
                                utilisation < 0 ? QStringLiteral("no shift yet")
                                                : TStatistics::Percent(utilisation) + QStringLiteral(" of ") +
                                                      TStatistics::Percent(station.target),
                                QString::number(station.executions_today),
                                QString::number(station.messages_today),
                                station.open_alerts.join(QStringLiteral("; ")),
                                Stop_Text(station, snapshot.read_at)};
        for (int column = 0; column < cells.size(); ++column)
        {
            QTableWidgetItem *item = new QTableWidgetItem(cells.at(column));
            if (column == 0)
                item->setData(Qt::UserRole, station.id);
            if (column >= FIRST_FIGURE && column <= LAST_FIGURE)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (station.state == TStationActivity::SILENT || !station.open_alerts.isEmpty())
                item->setForeground(QColor(0xb0, 0x20, 0x20));
            d_stations->setItem(row, column, item);
        }
        if (chosen.contains(station.id))
            d_stations->selectionModel()->select(d_stations->model()->index(row, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    d_stations->resizeColumnsToContents();
    return int(shown.size());
}

// Of the latest snapshot, however many came since it was asked for; the read is shown with it.
void TFleetPage::Show_Chart()
{
    d_chart_due = false;
    if (d_failing || !d_snapshot)
        return;
    QtCharts::QChart *old = d_chart->chart();
    d_chart->setChart(TStatisticsCharts::Station_Utilisation(
        d_snapshot->days == 1
            ? QStringLiteral("Utilisation per station, today (each station's own)")
            : QStringLiteral("Utilisation per station, the last %1 days (each station's own)")
                  .arg(d_snapshot->days),
        d_snapshot->utilisation, d_snapshot->target, palette()));
    delete old;
    emit Shown();
}

void TFleetPage::Show_Groups(const QStringList &groups)
{
    QStringList known;
    for (int i = 1; i < d_group->count(); ++i)
        known << d_group->itemData(i).toString();
    if (known == groups)
        return;
    // A group no station names any more stays chosen until another is.
    const QString current = d_group->currentData().toString();
    const QSignalBlocker blocker(d_group);
    d_group->clear();
    d_group->addItem(QStringLiteral("All groups"), QString());
    for (const QString &group : groups)
        d_group->addItem(group, group);
    if (!current.isEmpty() && !groups.contains(current))
        d_group->addItem(current, current);
    d_group->setCurrentIndex(qMax(0, d_group->findData(current)));
}
