#include "src/app/quorvex.h"

#include "src/monitor/ui/activeprogramwidget.h"
#include "src/central/central.h"
#include "src/database/database.h"
#include "src/pending/pendingjournal.h"
#include "src/common/homefolder.h"
#include "src/monitor/monitorprocess.h"
#include "src/monitor/softwarelink.h"
#include "src/pending/pendingstatus.h"
#include "src/recorder/clock.h"
#include "src/recorder/recorder.h"
#include "src/export/exporter.h"
#include "src/report/summaryrunner.h"
#include "src/browse/selectionlists.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/app/statuslabel.h"
#include "src/app/windowactions.h"
#include "src/app/windowpages.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

namespace
{
const QPoint DEFAULT_POSITION(30, 30);
const QSize DEFAULT_SIZE(801, 601);
} // namespace

TQuorvex::TQuorvex(const QString &folder, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d_stale_reports(false)
{
    QDir().mkpath(folder);
    d_settings = new QSettings(folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat, this);
    Restore_Geometry();
    d_calendar.Read(d_settings);

    d_actions = new TWindowActions(this);
    d_pages = new TWindowPages(this);
    setCentralWidget(d_pages);
    setWindowTitle(QStringLiteral("Quorvex"));
    d_status_bar = new QStatusBar(this);
    setStatusBar(d_status_bar);

    d_database = new TDatabase;
    d_journal = new TPendingJournal(d_database);
    d_pending = new TPendingStatus(d_database, d_journal, this);
    connect(d_pending, &TPendingStatus::Waiting_Changed,
            new TStatusLabel(QStringLiteral("pending_entries"), d_status_bar), &TStatusLabel::Show_Text);
    d_update_timer = new QTimer(this);
    d_update_timer->setInterval(1000);
    d_monitor_process = new TMonitorProcess(this);
    d_clock = new TClock;
    d_recorder = new TRecorder(d_journal, d_clock, this);
    d_link = new TSoftwareLink(d_recorder, this);
    d_lists = new TSelectionLists(d_database, d_pages->Dates(), d_pages->Programs(), this);
    d_summary = new TSummaryRunner(d_database, &d_calendar, this);
    d_exporter = new TExporter(this);
    d_exporter->Set_Folder(d_settings->value(QStringLiteral("Export_Path"), THomeFolder::Path()).toString());

    // A database that cannot be opened stores nothing for the whole run: its
    // error stays on the status bar instead of being hidden at once.
    const bool database_ready = Init_Database(folder + QStringLiteral("/database.db"));
    // What an earlier run could not store is written first, before anything new.
    d_journal->Open(folder + QStringLiteral("/pending"));
    if (database_ready)
    {
        d_pending->Retry();
        Refresh_Lists();
        Show_Status(QStringLiteral("INF:  Not Connected."));
    }
    d_pending->Show();

    connect(d_actions->Monitor(), &QAction::triggered, this, &TQuorvex::Toggle_Monitor);
    connect(d_actions->Export_All(), &QAction::triggered, this, &TQuorvex::Export_All_CSV);
    connect(d_actions->Export_Csv(), &QAction::triggered, this, &TQuorvex::Export_Selected_CSV);
    connect(d_actions->Export_Text(), &QAction::triggered, this, &TQuorvex::Export_Selected_TXT);
    connect(d_actions->Quit(), &QAction::triggered, this, &QWidget::close);
    connect(d_lists, &TSelectionLists::Selection_Changed, this, &TQuorvex::Selection_Changed);
    connect(d_pending, &TPendingStatus::Message, d_pages->Active(), &TActiveProgramWidget::Add_Message);
    connect(d_pending, &TPendingStatus::Entries_Written, this, &TQuorvex::Refresh_Lists);
    connect(d_summary, &TSummaryRunner::Report_Ready, this, &TQuorvex::Summary_Report_Ready);
    connect(d_summary, &TSummaryRunner::Statistics_Ready, d_pages->Statistics(), &TStatisticsPage::Set_Statistics);
    connect(d_exporter, &TExporter::Busy_Changed, this, &TQuorvex::Set_Export_Actions);
    connect(d_exporter, &TExporter::Failed, this, &TQuorvex::Show_Status);
    connect(d_pages->Statistics(), &TStatisticsPage::Calendar_Requested, this, &TQuorvex::Edit_Shift_Calendar);
    connect(d_pages->Statistics(), &TStatisticsPage::Csv_Requested, this, &TQuorvex::Export_Statistics_CSV);
    connect(d_pages->Statistics(), &TStatisticsPage::Pdf_Requested, this, &TQuorvex::Export_Statistics_PDF);
    Connect_Monitor();
    Connect_Central(folder);
}

TQuorvex::~TQuorvex()
{
    Stop_Readers();
    d_link->Disconnect();
    // The event loop may be over: the automation objects given up above are deleted now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete d_recorder;
    d_recorder = nullptr;
    delete d_clock;
    delete d_journal;
    delete d_database;
}

// The report worker, the list reader and an export read the database: they
// must be done before the file is closed.
void TQuorvex::Stop_Readers()
{
    d_summary->Stop();
    d_lists->Stop();
    d_exporter->Stop();
}

void TQuorvex::Restore_Geometry()
{
    const QPoint position = d_settings->value(QStringLiteral("Mainwindow_Position"), DEFAULT_POSITION).toPoint();
    const QSize size = d_settings->value(QStringLiteral("Mainwindow_Size"), DEFAULT_SIZE).toSize();
    QRect available;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    const QRect visible = QRect(position, size).intersected(available);
    const bool usable = !visible.isEmpty() && visible.width() > 10 && visible.height() > 10;
    resize(usable ? visible.size() : DEFAULT_SIZE);
    move(usable ? visible.topLeft() : DEFAULT_POSITION);
}

bool TQuorvex::Init_Database(const QString &file_name)
{
    const bool opened = d_database->Open(file_name);
    if (opened && d_database->Create_Tables())
        return true;
    Show_Status(opened ? QStringLiteral("ERR:  Cannot initialize database.")
                       : QStringLiteral("ERR:  Cannot connect to database."));
    return false;
}

bool TQuorvex::Record_Empty() const { return d_database->Dates().isEmpty(); }

void TQuorvex::Add_Message(const QString &message) { d_pages->Active()->Add_Message(message); }

void TQuorvex::Show_Status(const QString &text)
{
    d_status_bar->clearMessage();
    d_status_bar->showMessage(text, 0);
}

void TQuorvex::closeEvent(QCloseEvent *event)
{
    if (Monitoring())
        Toggle_Monitor();
    // Whatever the watcher is doing, its finished signal will come after the
    // database is closed: what it has not counted yet is counted here, once.
    d_monitor_process->wait();
    d_recorder->Close();
    d_settings->setValue(QStringLiteral("Mainwindow_Position"), pos());
    d_settings->setValue(QStringLiteral("Mainwindow_Size"), size());
    d_settings->setValue(QStringLiteral("Export_Path"), d_exporter->Folder());
    Stop_Readers();
    d_link->Disconnect();
    d_journal->Write_Pending();
    d_pending->Stop();
    d_central->Stop();
    d_database->Close();
    event->accept();
}
