#include "src/quorvex.h"

#include "src/backgroundlist.h"
#include "src/database/database.h"
#include "src/datawidget.h"
#include "src/report/exporter.h"
#include "src/report/exportjob.h"
#include "src/report/reportpage.h"
#include "src/report/reportview.h"
#include "src/report/summaryrunner.h"
#include "src/statisticspage.h"
#include "src/windowpages.h"
#include "src/windowactions.h"

#include <QAction>
#include <QTabWidget>

// Browsing the recorded executions: the report of the selection and the exports.

void TQuorvex::Date_Selection_Changed(QStringList list)
{
    d_selected_dates = list;
    Read_Program_Names();
    // The programs chosen for other dates go, visibly too.
    d_pages->Programs()->Clear_Selection();
    d_selected_programs.clear();
    Update_Summary();
    Set_Export_Actions();
}

// The programs of thousands of dates take a while: read in the background,
// the list waits meanwhile, so that nothing is chosen from the old one.
void TQuorvex::Read_Program_Names()
{
    TDatabase *database = d_database;
    const QStringList dates = d_selected_dates;
    d_program_names->Start([database, dates]() { return database->Program_Names(dates); });
    d_pages->Programs()->setEnabled(false);
}

void TQuorvex::Program_Names_Ready(QStringList names)
{
    d_pages->Programs()->Set_List(names);
    d_pages->Programs()->setEnabled(true);
}

void TQuorvex::Program_Selection_Changed(QStringList list)
{
    d_selected_programs = list;
    Update_Summary();
    Set_Export_Actions();
}

void TQuorvex::Update_Summary()
{
    d_pages->Report()->Set_Text(QStringLiteral("Updating summary..."));
    d_pages->Statistics()->Set_Message(QStringLiteral("Updating statistics..."));
    d_summary->Start(d_selected_dates, d_selected_programs);
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
    const QStringList dates = d_selected_dates.isEmpty() ? d_database->Dates() : d_selected_dates;
    const QStringList programs = d_selected_programs;
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
    d_actions->Export_Csv()->setEnabled(idle && !d_selected_programs.isEmpty());
    d_actions->Export_Text()->setEnabled(idle && !d_selected_programs.isEmpty());
}
