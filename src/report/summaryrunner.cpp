#include "src/report/summaryrunner.h"

#include "src/common/backgroundjob.h"
#include "src/database/database.h"
#include "src/report/summarytext.h"

TSummaryRunner::TSummaryRunner(TDatabase *database, const TShiftCalendar *calendar, QObject *parent)
    : QObject(parent), d_database(database), d_calendar(calendar), d_job(new TBackgroundJob(this))
{
}

void TSummaryRunner::Start(const QStringList &dates, const QStringList &programs)
{
    TDatabase *database = d_database;
    const QStringList read_dates = dates.isEmpty() ? d_database->Dates() : dates;
    // A copy: the calendar may be edited while the report is made. Without one, no statistics.
    const bool with_statistics = d_calendar != nullptr;
    const TShiftCalendar calendar = with_statistics ? *d_calendar : TShiftCalendar();
    const TBaselines::TShares shares = d_shares;
    d_job->Start(
        [this, database, read_dates, programs, calendar, with_statistics,
         shares](const TBackgroundJob::TPost &post)
        {
            TSummaryText text(database, read_dates, programs, with_statistics ? &calendar : nullptr, shares);
            // The report is handed back as soon as it is made, before the statistics.
            text.Generate_Summary_Text(
                [this, &text, &post]()
                {
                    const std::shared_ptr<const TReportLines> lines =
                        text.Summary_Valid() ? text.Summary_Lines() : nullptr;
                    post([this, lines]() { emit Report_Ready(lines); });
                });
            const std::shared_ptr<const TStatistics> statistics = text.Statistics();
            return [this, statistics]() { emit Statistics_Ready(statistics); };
        });
}

void TSummaryRunner::Stop()
{
    d_job->Stop();
}
