#ifndef QUORVEX_SUMMARYRUNNER_H
#define QUORVEX_SUMMARYRUNNER_H

#include <QObject>
#include <QStringList>

#include <memory>

class QThread;
class TDatabase;
class TReportLines;
class TShiftCalendar;
class TStatistics;
class TSummaryText;

// The report of a selection and its statistics, made in a worker thread, one
// at a time: a selection changed while one is made makes it stale, and the
// latest selection follows it.
class TSummaryRunner : public QObject
{
    Q_OBJECT

public:
    TSummaryRunner(TDatabase *database, const TShiftCalendar *calendar, QObject *parent = nullptr);
    ~TSummaryRunner() override;

    // The report of these programs on these dates (all dates when none).
    void Start(const QStringList &dates, const QStringList &programs);
    // Waits for a report being made and forgets it (the database is about to close).
    void Stop();

signals:
    // The report; null when there is nothing to report.
    void Report_Ready(std::shared_ptr<const TReportLines> lines);
    void Statistics_Ready(std::shared_ptr<const TStatistics> statistics);

private:
    void Report_Made();
    void Worker_Finished();

    TDatabase *d_database;
    const TShiftCalendar *d_calendar;
    QThread *d_thread;
    TSummaryText *d_worker;
    bool d_pending;
    QStringList d_dates;
    QStringList d_programs;
};

#endif
