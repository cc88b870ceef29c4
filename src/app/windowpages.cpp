#include "src/app/windowpages.h"

#include "src/browse/datawidget.h"
#include "src/monitor/ui/activeprogramwidget.h"
#include "src/report/ui/reportpage.h"
#include "src/report/ui/reportview.h"
#include "src/statistics/ui/statisticspage.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>

namespace
{
const char *const LEGAL_NOTICE =
    "Copyright (c) 2026 the Quorvex developers. Provided as is, without warranty of any kind.";
} // namespace

TWindowPages::TWindowPages(QWidget *parent) : QWidget(parent)
{
    QWidget *central = this;
    QGridLayout *grid = new QGridLayout(central);
    d_dates = new TDataWidget(central);
    d_dates->setObjectName(QStringLiteral("date_list"));
    d_dates->Set_Title(QStringLiteral("Date"));
    d_programs = new TDataWidget(central);
    d_programs->setObjectName(QStringLiteral("program_list"));
    d_programs->Set_Title(QStringLiteral("Program"));
    d_dates->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Expanding);
    d_programs->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Expanding);
    grid->addWidget(d_dates, 0, 0);
    grid->addWidget(d_programs, 1, 0);

    QFont fixed_font(QStringLiteral("Courier New"));
    fixed_font.setFixedPitch(true);
    d_tabs = new QTabWidget(central);
    d_active = new TActiveProgramWidget;
    d_report_page = new TReportPage;
    d_report = d_report_page->View();
    d_report->setObjectName(QStringLiteral("summary_view"));
    d_report->setFont(fixed_font);
    d_report->Set_Text(QStringLiteral("No summary available."));
    d_report_page->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Expanding);
    d_statistics = new TStatisticsPage;
    d_statistics->setObjectName(QStringLiteral("statistics_page"));
    d_tabs->addTab(d_active, QStringLiteral("Active"));
    d_tabs->addTab(d_report_page, QStringLiteral("Selected"));
    d_tabs->addTab(d_statistics, QStringLiteral("Statistics"));
    grid->addWidget(d_tabs, 0, 1, 2, 1);

    QFrame *line = new QFrame(central);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 2, 0, 1, 2);
    QFont small_font;
    small_font.setPointSize(8);
    small_font.setItalic(true);
    QLabel *notice = new QLabel(QString::fromLatin1(LEGAL_NOTICE), central);
    notice->setFont(small_font);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    QLabel *logo = new QLabel(central);
    logo->setMinimumSize(100, 40);
    logo->setMaximumSize(100, 40);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    QHBoxLayout *notice_layout = new QHBoxLayout;
    notice_layout->addWidget(notice);
    notice_layout->addWidget(logo);
    grid->addLayout(notice_layout, 3, 0, 1, 2);
}

void TWindowPages::Add_Page(QWidget *page, const QString &title)
{
    d_tabs->addTab(page, title);
}

void TWindowPages::Show_Active()
{
    d_tabs->setCurrentWidget(d_active);
}

void TWindowPages::Show_Report()
{
    if (d_tabs->currentWidget() != d_statistics)
        d_tabs->setCurrentWidget(d_report_page);
}
