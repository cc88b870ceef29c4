#include "src/app/quorvex.h"

#include "src/database/database.h"
#include "src/export/exporter.h"
#include "src/export/exportjob.h"
#include "src/report/ui/reportpage.h"
#include "src/report/ui/reportview.h"
#include "src/report/summaryrunner.h"
#include "src/browse/selectionlists.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/app/windowpages.h"
#include "src/app/windowactions.h"

#include <QAction>

// Browsing the recorded executions: the report of the selection and the exports.

void TQuorvex::Selection_Changed()
{
    Update_Summary();
    Set_Export_Actions();
}

// The lists keep what the user selected, and the report of it takes in what
// was just stored, so that the exports refer to what is shown.
void TQuorvex::Refresh_Lists()
{
    d_lists->Refresh();
    if (!d_lists->Programs().isEmpty())
        Update_Summary();
}

void TQuorvex::Update_Summary()
{
    d_pages->Report()->Set_Text(QStringLiteral("Updating summary..."));
    d_pages->Statistics()->Set_Message(QStringLiteral("Updating statistics..."));
    d_summary->Start(d_lists->Dates(), d_lists->Programs());
}

void TQuorvex::Summary_Report_Ready(std::shared_ptr<const TReportLines> lines)
{
    if (!lines)
    {
        d_pages->Report()->Set_Text(QStringLiteral("No summary available."));
        return;
    }
    d_pages->Report()->Set_Lines(lines);
    d_pages->Show_Report();
}

void TQuorvex::Export_All_CSV()
{
    TDatabase *database = d_database;
    d_exporter->Start(QStringLiteral("Export All to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
                      [database](TExportJob *job) {
                          const QStringList dates = database->Dates();
                          job->Set_Entries(database, database->Program_Names(dates), dates);
                      });
}

void TQuorvex::Export_Selected_CSV()
{
    const QStringList dates = d_lists->Dates().isEmpty() ? d_database->Dates() : d_lists->Dates();
    const QStringList programs = d_lists->Programs();
    TDatabase *database = d_database;
    d_exporter->Start(QStringLiteral("Export Selected to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
                      [database, programs, dates](TExportJob *job) { job->Set_Entries(database, programs, dates); });
}

void TQuorvex::Export_Selected_TXT()
{
    const std::shared_ptr<const TReportLines> report = d_pages->Report()->Lines();
    d_exporter->Start(QStringLiteral("Export Selected to TXT"), QStringLiteral("Text File (*.txt)"),
                      [report](TExportJob *job) { job->Set_Report(report); });
}

void TQuorvex::Set_Export_Actions()
{
    const bool idle = !d_exporter->Is_Busy();
    d_actions->Export_All()->setEnabled(idle);
    d_actions->Export_Csv()->setEnabled(idle && !d_lists->Programs().isEmpty());
    d_actions->Export_Text()->setEnabled(idle && !d_lists->Programs().isEmpty());
}
