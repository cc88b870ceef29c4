#include "src/quorvex.h"

#include "src/backgroundlist.h"
#include "src/report/csvexport.h"
#include "src/database/database.h"
#include "src/datawidget.h"
#include "src/report/exportjob.h"
#include "src/report/reportpage.h"
#include "src/report/reportview.h"
#include "src/statisticspage.h"
#include "src/report/summarytext.h"

#include <QAction>
#include <QFileDialog>
#include <QProgressDialog>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <limits>

// Browsing the recorded executions: the report of the selection, built in a
// worker thread, and the exports.

void TQuorvex::Date_Selection_Changed(QStringList list)
{
    d_selected_dates = list;
    Read_Program_Names();
    // The programs chosen for other dates go, visibly too.
    d_program_list->Clear_Selection();
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
    d_program_list->setEnabled(false);
}

void TQuorvex::Program_Names_Ready(QStringList names)
{
    d_program_list->Set_List(names);
    d_program_list->setEnabled(true);
}

void TQuorvex::Program_Selection_Changed(QStringList list)
{
    d_selected_programs = list;
    Update_Summary();
    Set_Export_Actions();
}

void TQuorvex::Update_Summary()
{
    // One report at a time; the one running is now stale and is followed by another.
    if (d_summary_worker)
    {
        d_summary_pending = true;
        return;
    }
    d_summary_pending = false;
    d_summary_view->Set_Text(QStringLiteral("Updating summary..."));
    d_statistics_page->Set_Message(QStringLiteral("Updating statistics..."));

    d_summary_thread = new QThread;
    const QStringList dates = d_selected_dates.isEmpty() ? d_database->Dates() : d_selected_dates;
    d_summary_worker = new TSummaryText(d_database, dates, d_selected_programs, &d_calendar);
    d_summary_worker->moveToThread(d_summary_thread);
    connect(d_summary_thread, &QThread::started, d_summary_worker, &TSummaryText::Generate_Summary_Text);
    connect(d_summary_thread, &QThread::finished, d_summary_thread, &QObject::deleteLater);
    connect(d_summary_worker, &TSummaryText::Report_Ready, this, &TQuorvex::Summary_Report_Ready);
    connect(d_summary_worker, &TSummaryText::Finished, this, &TQuorvex::Summary_Text_Ready);
    d_summary_thread->start(QThread::InheritPriority);
}

void TQuorvex::Summary_Report_Ready()
{
    // A report stopped by the close handler may still have its signal queued.
    if (!d_summary_worker || sender() != d_summary_worker || d_summary_pending)
        return;
    if (d_summary_worker->Summary_Valid())
    {
        d_summary_view->Set_Lines(d_summary_worker->Summary_Lines());
        // A user reading the statistics stays with them.
        if (d_tab_widget->currentWidget() != d_statistics_page)
            d_tab_widget->setCurrentWidget(d_summary_page);
    }
    else
        d_summary_view->Set_Text(QStringLiteral("No summary available."));
}

void TQuorvex::Summary_Text_Ready()
{
    if (!d_summary_worker || sender() != d_summary_worker)
        return;
    if (!d_summary_pending)
        d_statistics_page->Set_Statistics(d_summary_worker->Statistics());
    d_summary_worker->deleteLater();
    d_summary_worker = nullptr;
    d_summary_thread->exit(0);
    d_summary_thread = nullptr;
    if (d_summary_pending)
        Update_Summary();
}

void TQuorvex::Stop_Summary()
{
    if (!d_summary_thread)
        return;
    d_summary_thread->quit();
    d_summary_thread->wait();
    delete d_summary_worker;
    delete d_summary_thread;
    d_summary_worker = nullptr;
    d_summary_thread = nullptr;
    d_summary_pending = false;
}

void TQuorvex::Export_All_CSV()
{
    TDatabase *database = d_database;
    Export(QStringLiteral("Export All to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
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
    Export(QStringLiteral("Export Selected to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
           [database, programs, dates](TExportJob *job) { job->Set_Entries(database, programs, dates); });
}

void TQuorvex::Export_Selected_TXT()
{
    const QString text = d_summary_view->Text();
    Export(QStringLiteral("Export Selected to TXT"), QStringLiteral("Text File (*.txt)"),
           [text](TExportJob *job) { job->Set_Text(text); });
}

// The file is written in a thread of its own while a dialog shows how far it
// has come (after half a second, so that small exports do not flash it) and
// lets the user cancel; the actions wait until it is done.
void TQuorvex::Export(const QString &caption, const QString &filter, const std::function<void(TExportJob *)> &setup)
{
    const QString file_name = QFileDialog::getSaveFileName(this, caption, d_export_folder, filter);
    if (file_name.isEmpty() || d_export_thread)
        return;
    d_export_job = new TExportJob(file_name);
    setup(d_export_job);
    d_export_progress = new QProgressDialog(QStringLiteral("Writing '%1'...").arg(file_name), QStringLiteral("Cancel"),
                                            0, 0, this);
    d_export_progress->setObjectName(QStringLiteral("export_progress"));
    d_export_progress->setWindowTitle(caption);
    d_export_progress->setWindowModality(Qt::WindowModal);
    // Shown after half a second if still at work, whatever the progress so far (reading gives none).
    d_export_progress->setMinimumDuration(std::numeric_limits<int>::max());
    QTimer::singleShot(500, d_export_progress, &QProgressDialog::show);
    d_export_progress->setAutoReset(false);
    TExportJob *job = d_export_job;
    connect(d_export_progress, &QProgressDialog::canceled, this, [job]() { job->Cancel(); });
    connect(job, &TExportJob::Progress, d_export_progress, [this](int done, int total) {
        d_export_progress->setMaximum(total);
        d_export_progress->setValue(done);
    });
    d_export_thread = QThread::create([job]() { job->Run(); });
    connect(d_export_thread, &QThread::finished, this, &TQuorvex::Export_Finished);
    Set_Export_Actions();
    d_export_thread->start();
}

void TQuorvex::Export_Finished()
{
    if (!d_export_thread || sender() != d_export_thread)
        return;
    const TExportJob::TResult result = d_export_job->Result();
    const QString file_name = d_export_job->File_Name();
    Stop_Export();
    if (result == TExportJob::CANCELLED)
        Show_Status(QStringLiteral("WAR:  Export cancelled, '%1' not written.").arg(file_name));
    else if (result != TExportJob::WRITTEN)
        Show_Status(QStringLiteral("ERR:  Cannot write file '%1'.").arg(file_name));
    else
    {
        const int slash = file_name.lastIndexOf(QLatin1Char('/'));
        if (slash >= 0)
            d_export_folder = file_name.left(slash);
    }
}

// Cancels an export still running (the window closes) and waits for its thread.
void TQuorvex::Stop_Export()
{
    if (!d_export_thread)
        return;
    d_export_job->Cancel();
    d_export_thread->wait();
    delete d_export_thread;
    delete d_export_job;
    delete d_export_progress;
    d_export_thread = nullptr;
    d_export_job = nullptr;
    d_export_progress = nullptr;
    Set_Export_Actions();
}

void TQuorvex::Set_Export_Actions()
{
    const bool idle = !d_export_thread;
    d_export_all_action->setEnabled(idle);
    d_export_selected_csv_action->setEnabled(idle && !d_selected_programs.isEmpty());
    d_export_selected_txt_action->setEnabled(idle && !d_selected_programs.isEmpty());
}
