#include "src/quorvex.h"

#include "src/backgroundlist.h"
#include "src/csvexport.h"
#include "src/database.h"
#include "src/datawidget.h"
#include "src/reportpage.h"
#include "src/reportview.h"
#include "src/summarytext.h"

#include <QAction>
#include <QFileDialog>
#include <QSaveFile>
#include <QTabWidget>
#include <QThread>

// Browsing the recorded executions: the report of the selection, built in a
// worker thread, and the exports.

void TQuorvex::Date_Selection_Changed(QStringList list)
{
    d_selected_dates = list;
    // The programs of thousands of dates take a while: read in the background,
    // the list waits meanwhile, so that nothing is chosen from the old one.
    TDatabase *database = d_database;
    d_program_names->Start([database, list]() { return database->Program_Names(list); });
    d_program_list->setEnabled(false);
    d_selected_programs.clear();
    Update_Summary();
    d_export_selected_csv_action->setEnabled(false);
    d_export_selected_txt_action->setEnabled(false);
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
    d_export_selected_csv_action->setEnabled(!d_selected_programs.isEmpty());
    d_export_selected_txt_action->setEnabled(!d_selected_programs.isEmpty());
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

    d_summary_thread = new QThread;
    const QStringList dates = d_selected_dates.isEmpty() ? d_database->Dates() : d_selected_dates;
    d_summary_worker = new TSummaryText(d_database, dates, d_selected_programs);
    d_summary_worker->moveToThread(d_summary_thread);
    connect(d_summary_thread, &QThread::started, d_summary_worker, &TSummaryText::Generate_Summary_Text);
    connect(d_summary_thread, &QThread::finished, d_summary_thread, &QObject::deleteLater);
    connect(d_summary_worker, &TSummaryText::Finished, this, &TQuorvex::Summary_Text_Ready);
    d_summary_thread->start(QThread::InheritPriority);
}

void TQuorvex::Summary_Text_Ready()
{
    // A report stopped by the close handler may still have its signal queued.
    if (!d_summary_worker || sender() != d_summary_worker)
        return;
    if (!d_summary_pending)
    {
        if (d_summary_worker->Summary_Valid())
        {
            d_summary_view->Set_Lines(d_summary_worker->Summary_Lines());
            d_tab_widget->setCurrentWidget(d_summary_page);
        }
        else
            d_summary_view->Set_Text(QStringLiteral("No summary available."));
    }
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
    const QStringList dates = d_database->Dates();
    Export(QStringLiteral("Export All to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
           TCsvExport::Text(d_database->Program_Entries(d_database->Program_Names(dates), dates,
                                                           TDatabase::NAME_THEN_DATE)));
}

void TQuorvex::Export_Selected_CSV()
{
    const QStringList dates = d_selected_dates.isEmpty() ? d_database->Dates() : d_selected_dates;
    Export(QStringLiteral("Export Selected to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
           TCsvExport::Text(d_database->Program_Entries(d_selected_programs, dates, TDatabase::NAME_THEN_DATE)));
}

void TQuorvex::Export_Selected_TXT()
{
    Export(QStringLiteral("Export Selected to TXT"), QStringLiteral("Text File (*.txt)"),
           d_summary_view->Text().toLatin1());
}

void TQuorvex::Export(const QString &caption, const QString &filter, const QByteArray &content)
{
    const QString file_name = QFileDialog::getSaveFileName(this, caption, d_export_folder, filter);
    if (file_name.isEmpty())
        return;

    // An existing file is replaced only by a complete new one.
    QSaveFile file(file_name);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Text) &&
                         file.write(content) == content.size() && file.commit();
    if (!written)
    {
        file.cancelWriting();
        Show_Status(QStringLiteral("ERR:  Cannot write file '%1'.").arg(file_name));
        return;
    }
    const int slash = file_name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        d_export_folder = file_name.left(slash);
}
