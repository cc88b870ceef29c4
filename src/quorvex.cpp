#include "src/quorvex.h"

#include "src/homefolder.h"

#include "src/activeprogramwidget.h"
#include "src/backgroundlist.h"
#include "src/database/database.h"
#include "src/datawidget.h"
#include "src/database/pendingjournal.h"
#include "src/messagebox.h"
#include "src/monitor/monitorprocess.h"
#include "src/monitor/softwarelink.h"
#include "src/recorder/clock.h"
#include "src/recorder/recorder.h"
#include "src/report/reportpage.h"
#include "src/report/reportview.h"
#include "src/statisticspage.h"
#include "src/report/summarytext.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>

namespace
{
const QPoint DEFAULT_POSITION(30, 30);
const QSize DEFAULT_SIZE(801, 601);
const int PENDING_RETRY_MSEC = 3000;
const char *const LEGAL_NOTICE =
    "Copyright (c) 2026 the Quorvex developers. Provided as is, without warranty of any kind.";
} // namespace

TQuorvex::TQuorvex(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d_summary_thread(nullptr), d_summary_worker(nullptr),
      d_program_names(nullptr), d_export_thread(nullptr), d_export_job(nullptr), d_export_progress(nullptr),
      d_summary_pending(false), d_stale_reports(false)
{
    QFont small_font;
    small_font.setPointSize(8);
    small_font.setItalic(true);
    QFont fixed_font(QStringLiteral("Courier New"));
    fixed_font.setFixedPitch(true);

    QDir home(THomeFolder::Path());
    if (!home.exists(QStringLiteral(".quorvex")))
        home.mkdir(QStringLiteral(".quorvex"));
    home.cd(QStringLiteral(".quorvex"));
    d_settings_folder = home.absolutePath();

    d_settings = new QSettings(d_settings_folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat, this);
    Restore_Geometry();
    d_export_folder = d_settings->value(QStringLiteral("Export_Path"), THomeFolder::Path()).toString();
    d_calendar.Read(d_settings);

    QAction *quit_action = new QAction(this);
    QAction *about_action = new QAction(this);
    d_monitor_action = new QAction(QIcon(QStringLiteral(":/toolbar/not_connected_x32.png")), QString(), this);
    d_export_all_action = new QAction(QIcon(QStringLiteral(":/toolbar/export_all_csv_x32.png")), QString(), this);
    d_export_selected_csv_action =
        new QAction(QIcon(QStringLiteral(":/toolbar/export_selected_csv_x32.png")), QString(), this);
    d_export_selected_txt_action =
        new QAction(QIcon(QStringLiteral(":/toolbar/export_selected_txt_x32.png")), QString(), this);

    QMenu *file_menu = menuBar()->addMenu(QString());
    file_menu->addAction(d_monitor_action);
    file_menu->addSeparator();
    file_menu->addAction(d_export_all_action);
    file_menu->addAction(d_export_selected_csv_action);
    file_menu->addAction(d_export_selected_txt_action);
    file_menu->addSeparator();
    file_menu->addAction(quit_action);
    QMenu *help_menu = menuBar()->addMenu(QString());
    help_menu->addAction(about_action);

    QWidget *central = new QWidget(this);
    QGridLayout *grid = new QGridLayout(central);
    d_date_list = new TDataWidget(central);
    d_date_list->setObjectName(QStringLiteral("date_list"));
    d_program_list = new TDataWidget(central);
    d_program_list->setObjectName(QStringLiteral("program_list"));
    d_date_list->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Expanding);
    d_program_list->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Expanding);
    grid->addWidget(d_date_list, 0, 0);
    grid->addWidget(d_program_list, 1, 0);

    d_tab_widget = new QTabWidget(central);
    d_active_program = new TActiveProgramWidget;
    d_summary_page = new TReportPage;
    d_summary_view = d_summary_page->View();
    d_summary_view->setObjectName(QStringLiteral("summary_view"));
    d_summary_view->setFont(fixed_font);
    d_summary_page->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Expanding);
    d_tab_widget->addTab(d_active_program, QStringLiteral("Active"));
    d_tab_widget->addTab(d_summary_page, QStringLiteral("Selected"));
    d_statistics_page = new TStatisticsPage;
    d_statistics_page->setObjectName(QStringLiteral("statistics_page"));
    d_tab_widget->addTab(d_statistics_page, QStringLiteral("Statistics"));
    grid->addWidget(d_tab_widget, 0, 1, 2, 1);
    setCentralWidget(central);

    QToolBar *tool_bar = new QToolBar(this);
    tool_bar->setIconSize(QSize(32, 32));
    addToolBar(Qt::TopToolBarArea, tool_bar);
    tool_bar->addAction(d_monitor_action);
    tool_bar->addSeparator();
    tool_bar->addAction(d_export_all_action);
    tool_bar->addAction(d_export_selected_csv_action);
    tool_bar->addSeparator();
    tool_bar->addAction(d_export_selected_txt_action);

    d_status_bar = new QStatusBar(this);
    setStatusBar(d_status_bar);

    QFrame *line = new QFrame(central);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 2, 0, 1, 2);
    QHBoxLayout *notice_layout = new QHBoxLayout;
    QLabel *notice = new QLabel(central);
    notice->setFont(small_font);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    QLabel *logo = new QLabel(central);
    logo->setMinimumSize(100, 40);
    logo->setMaximumSize(100, 40);
    notice_layout->addWidget(notice);
    notice_layout->addWidget(logo);
    grid->addLayout(notice_layout, 3, 0, 1, 2);

    d_database = new TDatabase;
    d_journal = new TPendingJournal(d_database);
    d_pending_timer = new QTimer(this);
    d_pending_timer->setInterval(PENDING_RETRY_MSEC);
    d_pending_label = new QLabel(d_status_bar);
    d_pending_label->setObjectName(QStringLiteral("pending_entries"));
    d_pending_label->hide();
    d_status_bar->addPermanentWidget(d_pending_label);
    d_update_timer = new QTimer(this);
    d_monitor_process = new TMonitorProcess(this);
    d_clock = new TClock;
    d_recorder = new TRecorder(d_journal, d_clock, this);
    d_link = new TSoftwareLink(this);
    d_about_box = new TMessageBox(this);
    d_program_names = new TBackgroundList(this);

    d_export_selected_csv_action->setEnabled(false);
    d_export_selected_txt_action->setEnabled(false);

    // A database that cannot be opened stores nothing for the whole run: its
    // error stays on the status bar instead of being hidden at once.
    const bool database_ready = Init_Database(d_settings_folder + QStringLiteral("/database.db"));
    // What an earlier run could not store is written first, before anything new.
    d_journal->Open(d_settings_folder + QStringLiteral("/pending"));
    if (database_ready)
    {
        Write_Pending();
        Refresh_Lists();
        Show_Status(QStringLiteral("INF:  Not Connected."));
    }
    Show_Pending();

    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    setWindowTitle(QStringLiteral("Quorvex"));
    quit_action->setText(QStringLiteral("Quit"));
    about_action->setText(QStringLiteral("About"));
    d_monitor_action->setText(QStringLiteral("Monitor"));
    d_export_all_action->setText(QStringLiteral("Export All CSV"));
    d_export_selected_csv_action->setText(QStringLiteral("Export CSV"));
    d_export_selected_txt_action->setText(QStringLiteral("Export Text"));
    file_menu->setTitle(QStringLiteral("File"));
    help_menu->setTitle(QStringLiteral("Help"));
    notice->setText(QString::fromLatin1(LEGAL_NOTICE));
    d_date_list->Set_Title(QStringLiteral("Date"));
    d_program_list->Set_Title(QStringLiteral("Program"));
    d_summary_view->Set_Text(QStringLiteral("No summary available."));
    d_monitor_action->setToolTip(QStringLiteral("Enable or disable monitoring events."));
    d_export_all_action->setToolTip(QStringLiteral("Export all data to a CSV file."));
    d_export_selected_csv_action->setToolTip(QStringLiteral("Export selected data to a CSV file."));
    d_export_selected_txt_action->setToolTip(QStringLiteral("Export selected data to a TXT file."));

    connect(d_monitor_action, &QAction::triggered, this, &TQuorvex::Toggle_Monitor);
    connect(d_export_all_action, &QAction::triggered, this, &TQuorvex::Export_All_CSV);
    connect(d_export_selected_csv_action, &QAction::triggered, this, &TQuorvex::Export_Selected_CSV);
    connect(d_export_selected_txt_action, &QAction::triggered, this, &TQuorvex::Export_Selected_TXT);
    connect(quit_action, &QAction::triggered, this, &QWidget::close);
    connect(about_action, &QAction::triggered, this, &TQuorvex::Help_About);
    Connect_Monitor();
    connect(d_date_list, &TDataWidget::Selection_Changed, this, &TQuorvex::Date_Selection_Changed);
    connect(d_program_list, &TDataWidget::Selection_Changed, this, &TQuorvex::Program_Selection_Changed);
    connect(d_program_names, &TBackgroundList::Finished, this, &TQuorvex::Program_Names_Ready);
    connect(d_pending_timer, &QTimer::timeout, this, &TQuorvex::Write_Pending);
    connect(d_statistics_page, &TStatisticsPage::Calendar_Requested, this, &TQuorvex::Edit_Shift_Calendar);
    connect(d_statistics_page, &TStatisticsPage::Csv_Requested, this, &TQuorvex::Export_Statistics_CSV);
    connect(d_statistics_page, &TStatisticsPage::Pdf_Requested, this, &TQuorvex::Export_Statistics_PDF);
    d_update_timer->setInterval(1000);
}

TQuorvex::~TQuorvex()
{
    Stop_Summary();
    d_program_names->Stop();
    Stop_Export();
    d_link->Disconnect();
    // The event loop may be over: the automation objects given up above are deleted now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete d_recorder;
    d_recorder = nullptr;
    delete d_clock;
    delete d_journal;
    delete d_database;
}

void TQuorvex::Restore_Geometry()
{
    const QPoint position = d_settings->value(QStringLiteral("Mainwindow_Position"), DEFAULT_POSITION).toPoint();
    const QSize size = d_settings->value(QStringLiteral("Mainwindow_Size"), DEFAULT_SIZE).toSize();
    QRect available;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    const QRect visible = QRect(position, size).intersected(available);
    if (!visible.isEmpty() && visible.width() > 10 && visible.height() > 10)
    {
        resize(visible.size());
        move(visible.topLeft());
    }
    else
    {
        resize(DEFAULT_SIZE);
        move(DEFAULT_POSITION);
    }
}

bool TQuorvex::Init_Database(const QString &file_name)
{
    if (d_database->Is_Open())
        d_database->Close();
    if (!d_database->Open(file_name))
    {
        Show_Status(QStringLiteral("ERR:  Cannot connect to database."));
        return false;
    }
    if (!d_database->Create_Tables())
    {
        Show_Status(QStringLiteral("ERR:  Cannot initialize database."));
        return false;
    }
    return true;
}

void TQuorvex::Show_Status(const QString &text)
{
    d_status_bar->clearMessage();
    d_status_bar->showMessage(text, 0);
}

void TQuorvex::Set_Monitor_Icon(const char *resource) { d_monitor_action->setIcon(QIcon(QLatin1String(resource))); }

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
    d_settings->setValue(QStringLiteral("Export_Path"), d_export_folder);
    // The report worker and the list reader read the database: they must be done before the file is closed.
    Stop_Summary();
    d_program_names->Stop();
    Stop_Export();
    d_link->Disconnect();
    d_journal->Write_Pending();
    d_pending_timer->stop();
    d_database->Close();
    event->accept();
}

void TQuorvex::Help_About()
{
    d_about_box->Set_Text(QStringLiteral("Quorvex"));
    d_about_box->Set_Informative_Text(QStringLiteral("Quorvex - Version 1.0"));
    d_about_box->setDetailedText(QString());
    d_about_box->setStandardButtons(QMessageBox::Ok);
    d_about_box->setDefaultButton(QMessageBox::Ok);
    d_about_box->setIcon(QMessageBox::Information);
    d_about_box->exec();
}
