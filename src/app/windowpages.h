#ifndef QUORVEX_WINDOWPAGES_H
#define QUORVEX_WINDOWPAGES_H

#include <QWidget>

class QTabWidget;
class TActiveProgramWidget;
class TDataWidget;
class TReportPage;
class TReportView;
class TStatisticsPage;

// What the main window shows: the date and program lists on the left, the
// "Active", "Selected" and "Statistics" pages on the right, the notice and
// the logo below.
class TWindowPages : public QWidget
{
    Q_OBJECT

public:
    explicit TWindowPages(QWidget *parent = nullptr);

    TDataWidget *Dates() const { return d_dates; }
    TDataWidget *Programs() const { return d_programs; }
    TActiveProgramWidget *Active() const { return d_active; }
    TReportView *Report() const { return d_report; }
    TStatisticsPage *Statistics() const { return d_statistics; }
    void Show_Active();
    // A page of a capability the window has only when set up (the fleet).
    void Add_Page(QWidget *page, const QString &title);
    // The report page comes forward, unless the user reads the statistics.
    void Show_Report();

private:
    TDataWidget *d_dates;
    TDataWidget *d_programs;
    QTabWidget *d_tabs;
    TActiveProgramWidget *d_active;
    TReportPage *d_report_page;
    TReportView *d_report;
    TStatisticsPage *d_statistics;
};

#endif
