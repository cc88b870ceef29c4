#ifndef QUORVEX_STATISTICS_H
#define QUORVEX_STATISTICS_H

#include "src/database/execution.h"
#include "src/shifts/shiftcalendar.h"
#include "src/statistics/baselines.h"
#include "src/statistics/losttime.h"
#include "src/statistics/messagecounts.h"
#include "src/statistics/statisticstable.h"

#include <QDate>
#include <QSet>
#include <QStringList>

#include <vector>

// The figures of a selection of executions a CMM hall's manager asks for:
// per program, per day, week and month against the shift calendar, and the
// controller messages by frequency. Computed once from the stored executions
// (in the report's worker thread); immutable afterwards.
class TStatistics
{
public:
    enum TPeriodKind
    {
        DAY,
        WEEK,
        MONTH
    };

    struct TProgram
    {
        QString name;
        int executions = 0;
        qint64 total_seconds = 0;
        double mean_seconds = 0;
        double median_seconds = 0;
        // The medians of the lower and the upper half (the box of a box plot).
        double lower_quartile = 0;
        double upper_quartile = 0;
        int minimum_seconds = 0;
        int maximum_seconds = 0;
        double mean_idle_seconds = 0;
        double mean_points = 0;
        int with_messages = 0;
    };

    struct TPeriod
    {
        QString label;
        // The days counted: the period clipped to the selection's range.
        QDate first;
        QDate last;
        int executions = 0;
        qint64 executing_seconds = 0;
        qint64 idle_seconds = 0;
        qint64 scheduled_seconds = 0;
        // Negative when nothing was scheduled.
        double utilisation = -1;
        qint64 planned_stop_seconds = 0;
        qint64 unplanned_stop_seconds = 0;
        qint64 unclassified_stop_seconds = 0;
        // Executing / (scheduled - planned stops); negative when that is nothing.
        double availability = -1;
    };

    using TMessage = TMessageCounts::TMessage;

    TStatistics() = default;
    // The executions of the selected dates (stored date texts); record_dates are
    // all the dates the file holds, so that a day without records still counts
    // its shifts while a day with records left out of the selection does not.
    // STOPS are the station's stops of those days, BASELINES the pace of ITEMS;
    // scheduled time after UNTIL (when given: the moment they are made) is not counted.
    TStatistics(const std::vector<TExecution> &items, const QStringList &selected_dates,
                const QStringList &record_dates, const TShiftCalendar &calendar,
                const std::vector<TStopRecord> &stops = {}, const TBaselines &baselines = TBaselines(),
                const QDateTime &until = QDateTime());

    const std::vector<TProgram> &Programs() const { return d_programs; }
    const std::vector<TPeriod> &Periods(TPeriodKind kind) const { return d_periods[kind]; }
    const std::vector<TMessage> &Messages() const { return d_messages; }
    QDate First_Date() const { return d_first; }
    QDate Last_Date() const { return d_last; }
    int Executions() const { return d_executions; }
    qint64 Executing_Seconds() const { return d_executing; }
    qint64 Idle_Seconds() const { return d_idle; }
    qint64 Points() const { return d_points; }
    int Message_Count() const { return d_message_count; }
    double Target() const { return d_target; }
    const TLostTime &Lost_Time() const { return d_lost; }
    const TBaselines &Baselines() const { return d_baselines; }
    // Of the whole selection; negative when nothing was scheduled.
    double Availability() const { return d_availability; }
    // Availability x performance, the quality factor left out; negative when either is unknown.
    double Effectiveness() const;

    TStatisticsTable Program_Table() const;
    TStatisticsTable Period_Table(TPeriodKind kind) const;
    TStatisticsTable Message_Table() const;
    TStatisticsTable Pace_Table() const;
    // The selection's totals as lines of text, for the page and the PDF.
    QStringList Summary_Lines() const;

    // Executing / (scheduled - planned stops), everywhere it shows; negative when that is nothing.
    static double Availability(qint64 executing_seconds, qint64 scheduled_seconds,
                               qint64 planned_stop_seconds);
    // "12.3%"; "no shift" for a negative utilisation.
    static QString Percent(double fraction);
    static QString Period_Name(TPeriodKind kind);
    // How utilisation is computed, in the words the page and the PDF show.
    static QString Utilisation_Rule();

private:
    void Count_Programs(const std::vector<TExecution> &items);
    void Count_Messages(const std::vector<TExecution> &items);
    // The days counted.
    QSet<QDate> Count_Periods(const std::vector<TExecution> &items, const QStringList &selected_dates,
                              const QStringList &record_dates, const TShiftCalendar &calendar,
                              const QDateTime &until);

    std::vector<TProgram> d_programs;
    std::vector<TPeriod> d_periods[3];
    void Count_Stops(const std::vector<TStopRecord> &stops, const QSet<QDate> &days);

    std::vector<TMessage> d_messages;
    TLostTime d_lost;
    TBaselines d_baselines;
    double d_availability = -1;
    QDate d_first;
    QDate d_last;
    int d_executions = 0;
    qint64 d_executing = 0;
    qint64 d_idle = 0;
    qint64 d_points = 0;
    int d_message_count = 0;
    double d_target = 0;
};

#endif
