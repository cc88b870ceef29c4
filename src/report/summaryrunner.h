#ifndef QUORVEX_SUMMARYRUNNER_H
#define QUORVEX_SUMMARYRUNNER_H

#include "src/statistics/baselines.h"

#include <QObject>
#include <QStringList>

#include <memory>

class TBackgroundJob;
class TDatabase;
class TReportLines;
class TShiftCalendar;
class TStatistics;

// The report of a selection and its statistics, made in the background, one
// at a time: a selection changed while one is made makes it stale, and the
// latest selection follows it. The report is handed back first, the
// statistics of the same executions after it. Lives on the GUI thread.
class TSummaryRunner : public QObject
{
    Q_OBJECT

public:
    TSummaryRunner(TDatabase *database, const TShiftCalendar *calendar, QObject *parent = nullptr);

    // The report of these programs on these dates (all dates when none).
    void Start(const QStringList &dates, const QStringList &programs);
    // What counts as slow and as short against a program's baseline, from the next report on.
    void Set_Shares(const TBaselines::TShares &shares) { d_shares = shares; }
    // Waits for a report being made and forgets it (the database is about to close).
    void Stop();

signals:
    // The report; null when there is nothing to report.
    void Report_Ready(std::shared_ptr<const TReportLines> lines);
    void Statistics_Ready(std::shared_ptr<const TStatistics> statistics);

private:
    TDatabase *d_database;
    const TShiftCalendar *d_calendar;
    TBaselines::TShares d_shares;
    TBackgroundJob *d_job;
};

#endif
