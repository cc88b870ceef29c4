#include "src/report/summarytext.h"

#include "src/database/database.h"

#include "src/database/stopstore.h"
#include "src/database/storedform.h"
#include "src/report/reportwriter.h"

#include <QSet>

namespace
{
const QString SEPARATOR = QString(75, QLatin1Char('-')) + QLatin1Char('\n');

// Sums are kept in signed 32 bits like the stored values, without the undefined overflow of int.
int Add(int a, int b)
{
    return int(quint32(a) + quint32(b));
}

// An upper bound of the characters one execution's details take.
qint64 Details_Size(const TExecution &item)
{
    qint64 size = 512 + item.Name().size() + item.Revision().size();
    for (int index = 0; index < item.Error_Message_Count(); ++index)
        size += item.Error_Message(index).size() + 2;
    return size;
}

void Append_Pace(TReportWriter *writer, const TBaselines::TPace &pace)
{
    if (pace.slow)
        writer->Line(QStringLiteral("Pace:                  "),
                     QStringLiteral("slow, its baseline is %1 s").arg(pace.baseline_seconds, 0, 'f', 1));
    if (pace.short_points)
        writer->Line(QStringLiteral("Pace:                  "),
                     QStringLiteral("short, its baseline is %1 points (likely aborted)")
                         .arg(pace.baseline_points, 0, 'f', 1));
}

void Append_Details(TReportWriter *writer, const TExecution &item, const TBaselines::TPace *pace)
{
    writer->Line(QStringLiteral("Program Name:                     "), item.Name());
    writer->Line(QStringLiteral("Program Revision:                 "), item.Revision());
    writer->Append(QStringLiteral("Execution Date:                   "));
    writer->Execution_Date(item.Date_Time());
    writer->Append(QLatin1String("\n"));
    writer->Time_Line(QStringLiteral("Total Time:            "), Add(item.Execution_Time(), item.Idle_Time()),
                      12);
    writer->Time_Line(QStringLiteral("Execution Time:        "), item.Execution_Time(), 12);
    writer->Time_Line(QStringLiteral("Idle Time:             "), item.Idle_Time(), 12);
    writer->Number_Line(QStringLiteral("Point Count:           "), item.Point_Count(), 15);
    if (pace)
        Append_Pace(writer, *pace);
    if (item.Error_Message_Count() > 0)
    {
        writer->Append(QStringLiteral("Controller Messages During Execution:\n"));
        for (int index = 0; index < item.Error_Message_Count(); ++index)
            writer->Line(QStringLiteral(" "), item.Error_Message(index));
    }
    writer->Append(SEPARATOR);
}
} // namespace

TSummaryText::TSummaryText(TDatabase *database, const QStringList &dates, const QStringList &programs,
                           const TShiftCalendar *calendar, const TBaselines::TShares &shares)
    : d_database(database), d_dates(dates), d_programs(programs), d_with_statistics(calendar != nullptr),
      d_calendar(calendar ? *calendar : TShiftCalendar()), d_shares(shares), d_summary_valid(false)
{
}

QString TSummaryText::Summary_Text() const
{
    return d_summary ? d_summary->Text() : QString();
}

std::shared_ptr<const TReportLines> TSummaryText::Summary_Lines() const
{
    return d_summary;
}

std::shared_ptr<const TStatistics> TSummaryText::Statistics() const
{
    return d_statistics;
}

bool TSummaryText::Summary_Valid() const
{
    return d_summary_valid;
}

QString TSummaryText::Minutes_Seconds(int seconds, int width)
{
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, width, 10, QLatin1Char(' '))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TSummaryText::Generate_Summary_Text(const std::function<void()> &report_ready)
{
    const QStringList dates = d_dates.isEmpty() ? d_database->Dates() : d_dates;
    const std::vector<TExecution> items =
        d_database->Executions(d_programs, dates, TDatabase::DATE_THEN_NAME);
    const QStringList record_dates = d_database->Dates();
    const TBaselines baselines(items, History(record_dates, dates), d_shares);

    bool monitor_valid = false;
    bool run_valid = false;
    const int monitor_time = d_database->Software_Monitor_Time(&monitor_valid);
    const int run_time = d_database->Software_Run_Time(&run_valid);
    // Indexed here, so that the GUI thread only hands the result to the view.
    d_summary = std::make_shared<const TReportLines>(
        Report(monitor_valid, monitor_time, run_valid, run_time, items, &baselines));
    d_summary_valid = !d_programs.isEmpty();
    // The report is shown while the statistics of the same executions are computed.
    if (report_ready)
        report_ready();
    d_statistics.reset();
    if (d_with_statistics && !d_programs.isEmpty())
        d_statistics = std::make_shared<const TStatistics>(
            items, dates, record_dates, d_calendar, Stops(dates), baselines, QDateTime::currentDateTime());
}

// The executions of the selected programs on the days with records before
// the selection, from which the first executions of the selection take their baselines.
std::vector<TExecution> TSummaryText::History(const QStringList &record_dates, const QStringList &dates) const
{
    QDate first;
    for (const QString &text : dates)
    {
        const QDate date = TStoredForm::Date(text);
        if (date.isValid() && (!first.isValid() || date < first))
            first = date;
    }
    std::vector<std::pair<QDate, QString>> earlier;
    for (const QString &text : record_dates)
    {
        const QDate date = TStoredForm::Date(text);
        if (date.isValid() && date < first)
            earlier.emplace_back(date, text);
    }
    std::sort(earlier.begin(), earlier.end());
    QStringList read;
    for (size_t i = earlier.size() > HISTORY_DAYS ? earlier.size() - HISTORY_DAYS : 0; i < earlier.size();
         ++i)
        read << earlier[i].second;
    if (read.isEmpty())
        return {};
    return d_database->Executions(d_programs, read, TDatabase::DATE_THEN_NAME);
}

// The station's stops on the selected days.
std::vector<TStopRecord> TSummaryText::Stops(const QStringList &dates) const
{
    QDate first, last;
    for (const QString &text : dates)
    {
        const QDate date = TStoredForm::Date(text);
        if (!date.isValid())
            continue;
        first = first.isValid() ? std::min(first, date) : date;
        last = last.isValid() ? std::max(last, date) : date;
    }
    std::vector<TStopRecord> stops;
    if (first.isValid())
        TStopStore(d_database)
            .Overlapping(QDateTime(first, QTime(0, 0)), QDateTime(last.addDays(1), QTime(0, 0)), &stops);
    return stops;
}

TReportLines TSummaryText::Report(bool monitor_time_valid, int monitor_time, bool run_time_valid,
                                  int run_time, const std::vector<TExecution> &items,
                                  const TBaselines *baselines)
{
    // The whole text at once: growing a string of hundreds of megabytes would copy it again and again.
    qint64 size = 2048;
    for (const TExecution &item : items)
        size += Details_Size(item) + 32;
    TReportWriter writer(size);
    if (monitor_time_valid)
        writer.Time_Line(QStringLiteral("Total Monitor Time:      "), monitor_time, 10);
    else
        writer.Append(QLatin1String("Total Monitor Time:               <unavailable>\n"));
    if (run_time_valid)
        writer.Time_Line(QStringLiteral("Total Software Run Time: "), run_time, 10);
    else
        writer.Append(QLatin1String("Total Software Run Time:          <unavailable>\n"));
    writer.Append(SEPARATOR);
    writer.Append(QLatin1String("     Selected Program Details:\n"));
    writer.Append(SEPARATOR);

    int execution_time = 0;
    int idle_time = 0;
    int point_count = 0;
    // Distinct messages in order of first occurrence, exact comparison.
    QStringList messages;
    QSet<QString> seen;
    for (size_t index = 0; index < items.size(); ++index)
    {
        const TExecution &item = items[index];
        Append_Details(&writer, item, baselines ? &baselines->Pace(index) : nullptr);
        execution_time = Add(execution_time, item.Execution_Time());
        idle_time = Add(idle_time, item.Idle_Time());
        point_count = Add(point_count, item.Point_Count());
        for (int index = 0; index < item.Error_Message_Count(); ++index)
        {
            const QString message = item.Error_Message(index);
            if (!seen.contains(message))
            {
                seen.insert(message);
                messages.append(message);
            }
        }
    }

    writer.Append(QLatin1String("     Selected Program Summary:\n"));
    writer.Append(SEPARATOR);
    writer.Number_Line(QStringLiteral("Program Count:         "), qint64(quint64(items.size())), 15);
    writer.Time_Line(QStringLiteral("Program Time:    "), Add(execution_time, idle_time), 18);
    writer.Time_Line(QStringLiteral("Execution Time:  "), execution_time, 18);
    writer.Time_Line(QStringLiteral("Idle Time:       "), idle_time, 18);
    writer.Number_Line(QStringLiteral("Point Count:     "), point_count, 21);
    writer.Append(QLatin1String("\nUnique Error Messages:\n"));
    writer.Append(SEPARATOR);
    for (const QString &message : qAsConst(messages))
        writer.Line(QStringLiteral(" "), message);
    return writer.Take();
}
