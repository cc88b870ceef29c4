#ifndef QUORVEX_SUMMARYTEXT_H
#define QUORVEX_SUMMARYTEXT_H

#include "src/database/execution.h"
#include "src/report/reportlines.h"
#include "src/shifts/shiftcalendar.h"
#include "src/statistics/statistics.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TDatabase;

// Builds the summary and details report of a selection and the statistics of
// the same executions, on the thread that calls it (the background job that
// makes one report); it reads the database through the window's object (which
// it does not own) and touches no widget.
class TSummaryText
{
public:
    TSummaryText(TDatabase *database, const QStringList &dates, const QStringList &programs,
                 const TShiftCalendar *calendar = nullptr,
                 const TBaselines::TShares &shares = TBaselines::TShares());

    QString Summary_Text() const;
    // The same text with its lines indexed, ready for the view.
    std::shared_ptr<const TReportLines> Summary_Lines() const;
    bool Summary_Valid() const;
    // The statistics of the same executions, when a calendar was given; null while not valid.
    std::shared_ptr<const TStatistics> Statistics() const;

    // The report of these executions, with the usage totals where they were read.
    // An execution slower or shorter than its baseline (when BASELINES are given) says so.
    static TReportLines Report(bool monitor_time_valid, int monitor_time, bool run_time_valid, int run_time,
                               const std::vector<TExecution> &items, const TBaselines *baselines = nullptr);
    // Whole minutes right-aligned to width, then two-digit seconds: "%1:%2".
    static QString Minutes_Seconds(int seconds, int width);

    // Reads the executions once for both: REPORT_READY (when given) is called
    // as soon as the report can be read, before the statistics are worked out.
    void Generate_Summary_Text(const std::function<void()> &report_ready = {});

private:
    // How many days with records before the selection its baselines may look back.
    static const size_t HISTORY_DAYS = 30;
    std::vector<TExecution> History(const QStringList &record_dates, const QStringList &dates) const;
    std::vector<TStopRecord> Stops(const QStringList &dates) const;

    TDatabase *d_database;
    QStringList d_dates;
    QStringList d_programs;
    bool d_with_statistics;
    TShiftCalendar d_calendar;
    TBaselines::TShares d_shares;
    std::shared_ptr<const TReportLines> d_summary;
    std::shared_ptr<const TStatistics> d_statistics;
    bool d_summary_valid;
};

#endif
