#include "src/app/windowexports.h"

#include "src/app/windowactions.h"
#include "src/app/windowpages.h"
#include "src/browse/selectionlists.h"
#include "src/database/database.h"
#include "src/export/exporter.h"
#include "src/export/exportjob.h"
#include "src/report/ui/reportview.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/statistics/ui/statisticspdf.h"

#include <QAction>

namespace
{
const QString CSV_FILTER = QStringLiteral("Comma Separated File (*.csv)");
} // namespace

TWindowExports::TWindowExports(TDatabase *database, TSelectionLists *lists, TWindowPages *pages,
                               TWindowActions *actions, QWidget *window)
    : QObject(window), d_database(database), d_lists(lists), d_pages(pages), d_actions(actions),
      d_exporter(new TExporter(window))
{
    connect(d_actions->Export_All(), &QAction::triggered, this, &TWindowExports::All_Csv);
    connect(d_actions->Export_Csv(), &QAction::triggered, this, &TWindowExports::Selected_Csv);
    connect(d_actions->Export_Text(), &QAction::triggered, this, &TWindowExports::Selected_Text);
    connect(d_pages->Statistics(), &TStatisticsPage::Csv_Requested, this, &TWindowExports::Statistics_Csv);
    connect(d_pages->Statistics(), &TStatisticsPage::Pdf_Requested, this, &TWindowExports::Statistics_Pdf);
    connect(d_exporter, &TExporter::Busy_Changed, this, &TWindowExports::Update_Actions);
    connect(d_exporter, &TExporter::Failed, this, &TWindowExports::Failed);
}

QString TWindowExports::Folder() const
{
    return d_exporter->Folder();
}

void TWindowExports::Set_Folder(const QString &folder)
{
    d_exporter->Set_Folder(folder);
}

void TWindowExports::Stop()
{
    d_exporter->Stop();
}

void TWindowExports::Update_Actions()
{
    const bool idle = !d_exporter->Is_Busy();
    d_actions->Export_All()->setEnabled(idle);
    d_actions->Export_Csv()->setEnabled(idle && !d_lists->Programs().isEmpty());
    d_actions->Export_Text()->setEnabled(idle && !d_lists->Programs().isEmpty());
}

void TWindowExports::All_Csv()
{
    TDatabase *database = d_database;
    d_exporter->Start(QStringLiteral("Export All to CSV"), CSV_FILTER,
                      [database](TExportJob *job)
                      {
                          const QStringList dates = database->Dates();
                          job->Set_Entries(database, database->Program_Names(dates), dates);
                      });
}

void TWindowExports::Selected_Csv()
{
    const QStringList dates = d_lists->Dates().isEmpty() ? d_database->Dates() : d_lists->Dates();
    const QStringList programs = d_lists->Programs();
    TDatabase *database = d_database;
    d_exporter->Start(QStringLiteral("Export Selected to CSV"), CSV_FILTER,
                      [database, programs, dates](TExportJob *job)
                      { job->Set_Entries(database, programs, dates); });
}

void TWindowExports::Selected_Text()
{
    const std::shared_ptr<const TReportLines> report = d_pages->Report()->Lines();
    d_exporter->Start(QStringLiteral("Export Selected to TXT"), QStringLiteral("Text File (*.txt)"),
                      [report](TExportJob *job) { job->Set_Report(report); });
}

void TWindowExports::Statistics_Csv()
{
    const TStatisticsTable table = d_pages->Statistics()->Current_Table();
    d_exporter->Start(QStringLiteral("Export %1 to CSV").arg(table.Title()), CSV_FILTER,
                      [table](TExportJob *job) { job->Set_Bytes(table.Csv()); });
}

void TWindowExports::Statistics_Pdf()
{
    const std::shared_ptr<const TStatistics> statistics = d_pages->Statistics()->Statistics();
    if (!statistics)
        return;
    const TStatistics::TPeriodKind kind = d_pages->Statistics()->Period();
    // The charts are drawn here on the GUI thread; the file is written like every other export.
    d_exporter->Start(QStringLiteral("Export Statistics to PDF"), QStringLiteral("PDF Document (*.pdf)"),
                      [statistics, kind](TExportJob *job)
                      { job->Set_Bytes(TStatisticsPdf::Document(*statistics, kind)); });
}
