#include "src/statistics/ui/statisticspage.h"

#include "src/statistics/statisticsmodel.h"
#include "src/statistics/ui/statisticscharts.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtCharts/QChartView>

QT_CHARTS_USE_NAMESPACE

namespace
{
enum TTab
{
    PROGRAMS,
    UTILISATION,
    MESSAGES,
    LOST_TIME,
    PACE
};
} // namespace

TStatisticsPage::TStatisticsPage(QWidget *parent) : QWidget(parent)
{
    d_period = new QComboBox(this);
    d_period->setObjectName(QStringLiteral("statistics_period"));
    for (const TStatistics::TPeriodKind kind : {TStatistics::DAY, TStatistics::WEEK, TStatistics::MONTH})
        d_period->addItem(TStatistics::Period_Name(kind), int(kind));
    d_period->setCurrentIndex(TStatistics::WEEK);
    QPushButton *calendar = new QPushButton(QStringLiteral("Shift Calendar..."), this);
    calendar->setObjectName(QStringLiteral("shift_calendar"));
    d_csv_button = new QPushButton(QStringLiteral("Export CSV"), this);
    d_csv_button->setObjectName(QStringLiteral("statistics_csv"));
    d_pdf_button = new QPushButton(QStringLiteral("Export PDF"), this);
    d_pdf_button->setObjectName(QStringLiteral("statistics_pdf"));
    QHBoxLayout *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Period:"), this));
    bar->addWidget(d_period);
    bar->addWidget(calendar);
    bar->addStretch(1);
    bar->addWidget(d_csv_button);
    bar->addWidget(d_pdf_button);

    d_summary = new QLabel(this);
    d_summary->setObjectName(QStringLiteral("statistics_summary"));
    d_summary->setWordWrap(true);
    d_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    d_tabs = new QTabWidget(this);
    d_tabs->setObjectName(QStringLiteral("statistics_tabs"));
    const QStringList names = {QStringLiteral("Programs"), QStringLiteral("Utilisation"),
                               QStringLiteral("Messages"), QStringLiteral("Lost time"),
                               QStringLiteral("Pace")};
    for (int tab = 0; tab < TABS; ++tab)
    {
        QSplitter *splitter = new QSplitter(Qt::Vertical, d_tabs);
        d_models[tab] = new TStatisticsModel(this);
        d_tables[tab] = new QTableView(splitter);
        d_tables[tab]->setModel(d_models[tab]);
        const QString object = names.at(tab).toLower().replace(QLatin1Char(' '), QLatin1Char('_'));
        d_tables[tab]->setObjectName(object + QStringLiteral("_table"));
        d_tables[tab]->setSelectionBehavior(QAbstractItemView::SelectRows);
        d_tables[tab]->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        d_tables[tab]->horizontalHeader()->setStretchLastSection(true);
        d_charts[tab] = new QChartView(splitter);
        d_charts[tab]->setObjectName(object + QStringLiteral("_chart"));
        d_charts[tab]->setRenderHint(QPainter::Antialiasing);
        d_charts[tab]->setMinimumHeight(220);
        splitter->setStretchFactor(0, 2);
        splitter->setStretchFactor(1, 3);
        d_tabs->addTab(splitter, names.at(tab));
    }

    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(d_summary);
    layout->addWidget(d_tabs, 1);

    connect(d_period, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this]()
            {
                Show_Period();
                Set_Chart(UTILISATION,
                          d_statistics ? TStatisticsCharts::Utilisation(*d_statistics, Period(), palette())
                                       : nullptr);
            });
    connect(calendar, &QPushButton::clicked, this, &TStatisticsPage::Calendar_Requested);
    connect(d_pdf_button, &QPushButton::clicked, this, &TStatisticsPage::Pdf_Requested);
    connect(d_csv_button, &QPushButton::clicked, this, &TStatisticsPage::Csv_Requested);
    Set_Message(QStringLiteral("No statistics available."));
}

TStatistics::TPeriodKind TStatisticsPage::Period() const
{
    return TStatistics::TPeriodKind(d_period->currentData().toInt());
}

void TStatisticsPage::Set_Message(const QString &message)
{
    d_statistics.reset();
    d_summary->setText(message);
    for (int tab = 0; tab < TABS; ++tab)
    {
        d_models[tab]->Set_Table(TStatisticsTable());
        Set_Chart(tab, nullptr);
    }
    d_pdf_button->setEnabled(false);
    d_csv_button->setEnabled(false);
}

void TStatisticsPage::Set_Statistics(const std::shared_ptr<const TStatistics> &statistics)
{
    if (!statistics)
        return Set_Message(QStringLiteral("No statistics available."));
    d_statistics = statistics;
    // The rules of the figures are long: at hand under the pointer, and in the PDF, not in the way of the
    // tables.
    d_summary->setText(statistics->Summary_Lines().join(QStringLiteral(";  ")));
    d_summary->setToolTip(Qt::convertFromPlainText(TStatistics::Utilisation_Rule()));
    d_models[PROGRAMS]->Set_Table(statistics->Program_Table());
    d_models[MESSAGES]->Set_Table(statistics->Message_Table());
    d_models[LOST_TIME]->Set_Table(statistics->Lost_Time().Table());
    d_models[PACE]->Set_Table(statistics->Pace_Table());
    Show_Period();
    Show_Charts();
    for (QTableView *table : d_tables)
        table->resizeColumnsToContents();
    d_pdf_button->setEnabled(true);
    d_csv_button->setEnabled(true);
}

TStatisticsTable TStatisticsPage::Current_Table() const
{
    return d_models[d_tabs->currentIndex()]->Table();
}

QChart *TStatisticsPage::Chart(int tab) const
{
    return d_charts[tab]->chart();
}

void TStatisticsPage::changeEvent(QEvent *event)
{
    // The charts take the palette's colours when made: made again when it changes.
    if (event->type() == QEvent::PaletteChange && d_statistics)
        Show_Charts();
    QWidget::changeEvent(event);
}

void TStatisticsPage::Show_Period()
{
    if (d_statistics)
        d_models[UTILISATION]->Set_Table(d_statistics->Period_Table(Period()));
}

void TStatisticsPage::Show_Charts()
{
    Set_Chart(PROGRAMS, TStatisticsCharts::Execution_Times(*d_statistics, palette()));
    Set_Chart(UTILISATION, TStatisticsCharts::Utilisation(*d_statistics, Period(), palette()));
    Set_Chart(MESSAGES, TStatisticsCharts::Pareto(*d_statistics, palette()));
    Set_Chart(LOST_TIME, TStatisticsCharts::Lost_Time(*d_statistics, palette()));
    Set_Chart(PACE, TStatisticsCharts::Pace(*d_statistics, palette()));
}

void TStatisticsPage::Set_Chart(int tab, QChart *chart)
{
    // The view gives up its earlier chart without deleting it.
    QChart *old = d_charts[tab]->chart();
    d_charts[tab]->setChart(chart ? chart : new QChart);
    delete old;
}
