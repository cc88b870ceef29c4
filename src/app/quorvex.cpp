#include "src/app/quorvex.h"

#include "src/alerts/alertrelay.h"
#include "src/alerts/stationalerts.h"
#include "src/app/statuslabel.h"
#include "src/app/trayicon.h"
#include "src/app/windowactions.h"
#include "src/app/windowexports.h"
#include "src/app/windowpages.h"
#include "src/app/windowstops.h"
#include "src/browse/selectionlists.h"
#include "src/central/central.h"
#include "src/common/clock.h"
#include "src/database/database.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/monitor/monitorswitch.h"
#include "src/monitor/ui/activeprogramwidget.h"
#include "src/pending/pendingjournal.h"
#include "src/pending/pendingstatus.h"
#include "src/recorder/recorder.h"
#include "src/report/summaryrunner.h"
#include "src/report/ui/reportview.h"
#include "src/shifts/ui/shiftdialog.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/stops/stoptracker.h"
#include "src/summaries/scheduledsummaries.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QtPlatformHeaders/QWindowsWindowFunctions>

namespace
{
const QPoint DEFAULT_POSITION(30, 30);
const QSize DEFAULT_SIZE(801, 601);
} // namespace

TQuorvex::TQuorvex(const QString &folder, QWidget *parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
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
    d_tray = new TTrayIcon(this);
    d_minimise_to_tray = d_settings->value(QStringLiteral("General/Minimise_To_Tray"), false).toBool();

    d_database = new TDatabase;
    d_journal = new TPendingJournal(d_database);
    d_pending = new TPendingStatus(d_database, d_journal, this);
    connect(d_pending, &TPendingStatus::Waiting_Changed,
            new TStatusLabel(QStringLiteral("pending_entries"), d_status_bar), &TStatusLabel::Show_Text);
    d_clock = new TClock;
    d_recorder = new TRecorder(d_journal, d_clock, this);
    d_monitor = new TMonitorSwitch(d_recorder, this);
    d_lists = new TSelectionLists(d_database, d_pages->Dates(), d_pages->Programs(), this);
    d_summary = new TSummaryRunner(d_database, &d_calendar, this);
    d_summary->Set_Shares(TWindowStops::Shares(d_settings));
    d_exports = new TWindowExports(d_database, d_lists, d_pages, d_actions, this);
    d_exports->Set_Folder(d_settings->value(QStringLiteral("Export_Path"), THomeFolder::Path()).toString());

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
    d_stops =
        new TWindowStops(d_settings, d_journal, d_database, d_clock, d_recorder, d_calendar, d_pages, this);
    Connect_Parts();
    Connect_Central(folder);
    Monitor_At_Start();
    // At a logoff or shutdown the system first asks whether the session may
    // end, and another program or the user may still refuse: what a close
    // stores is stored then, and monitoring goes on. The window closes only
    // when the session really ends (the toolkit says it is about to quit).
    // The toolkit's own closing of every window at the question is off.
    QGuiApplication::setFallbackSessionManagementEnabled(false);
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &TQuorvex::Session_Asked);
    connect(qGuiApp, &QGuiApplication::aboutToQuit, this, &QWidget::close);
}

TQuorvex::~TQuorvex()
{
    Stop_Readers();
    d_monitor->Disconnect();
    // The event loop may be over: the automation objects given up above are deleted now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete d_recorder;
    d_recorder = nullptr;
    delete d_clock;
    delete d_journal;
    delete d_database;
}

void TQuorvex::Connect_Parts()
{
    TActiveProgramWidget *panel = d_pages->Active();
    panel->Follow(d_recorder);
    connect(d_actions->Monitor(), &QAction::triggered, d_monitor, &TMonitorSwitch::Toggle);
    connect(d_actions->Quit(), &QAction::triggered, this, &QWidget::close);
    connect(d_monitor, &TMonitorSwitch::Status, this, &TQuorvex::Show_Status);
    connect(d_monitor, &TMonitorSwitch::Icon, d_actions, &TWindowActions::Set_Monitor_Icon);
    connect(d_recorder, &TRecorder::Program_Started, d_pages, &TWindowPages::Show_Active);
    connect(d_recorder, &TRecorder::Journal_Changed, this,
            [this](bool entry)
            {
                if (entry)
                    Refresh_Lists();
                d_pending->Show();
            });
    connect(d_lists, &TSelectionLists::Selection_Changed, this, &TQuorvex::Selection_Changed);
    connect(d_pending, &TPendingStatus::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_pending, &TPendingStatus::Entries_Written, this, &TQuorvex::Refresh_Lists);
    connect(d_summary, &TSummaryRunner::Report_Ready, this, &TQuorvex::Summary_Report_Ready);
    connect(d_summary, &TSummaryRunner::Statistics_Ready, d_pages->Statistics(),
            &TStatisticsPage::Set_Statistics);
    connect(d_exports, &TWindowExports::Failed, this, &TQuorvex::Show_Status);
    connect(d_pages->Statistics(), &TStatisticsPage::Calendar_Requested, this,
            &TQuorvex::Edit_Shift_Calendar);
    connect(d_monitor, &TMonitorSwitch::Icon, d_tray, &TTrayIcon::Set_Monitor_Icon);
    connect(d_recorder, &TRecorder::Collection_Changed, d_tray, &TTrayIcon::Set_Collecting);
    connect(d_tray, &TTrayIcon::Show_Requested, this, &TQuorvex::Come_Forward);
    connect(d_tray, &TTrayIcon::Quit_Requested, this, &QWidget::close);
    connect(d_stops, &TWindowStops::Message, panel, &TActiveProgramWidget::Add_Message);
}

// The station in a room: forwarding to a central database when one is set,
// and the alerts this station judges on its own recording.
void TQuorvex::Connect_Central(const QString &folder)
{
    d_central = new TCentral(d_settings, folder + QStringLiteral("/database.db"), d_recorder, d_clock, this);
    if (d_central->Is_Set())
        connect(d_central, &TCentral::Waiting_Changed,
                new TStatusLabel(QStringLiteral("central_waiting"), d_status_bar), &TStatusLabel::Show_Text);
    d_central->Set_Shift_Calendar(d_calendar);
    TAlertSettings alerts;
    alerts.Read(d_settings);
    d_alerts = new TStationAlerts(alerts, d_calendar, d_recorder, d_clock,
                                  d_central->Settings().Station_Name(), this);
    TActiveProgramWidget *panel = d_pages->Active();
    connect(d_central, &TCentral::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_alerts, &TStationAlerts::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_alerts, &TStationAlerts::Alert, d_central, &TCentral::Record_Alert);
    connect(d_recorder, &TRecorder::Journal_Changed, d_central, &TCentral::Wake);
    connect(d_stops->Tracker(), &TStopTracker::Stops_Changed, d_central, [this]() { d_central->Wake(); });
    connect(d_pending, &TPendingStatus::Entries_Written, d_central, [this]() { d_central->Wake(); });
    // Summaries due while the program was not running are written once it runs.
    TScheduledSummaries *summaries = new TScheduledSummaries(d_settings, d_database, &d_calendar,
                                                             d_central->Settings().Viewer(), d_clock, this);
    connect(summaries, &TScheduledSummaries::Message, panel, &TActiveProgramWidget::Add_Message);
    QTimer::singleShot(0, summaries, &TScheduledSummaries::Check);
    if (!d_central->Is_Set())
        return;
    // Made before the page, so deleted after it.
    TFleetFeed *feed = new TFleetFeed(d_central->Settings().Watcher(), alerts, this);
    TAlertRelay *relay = new TAlertRelay(alerts, this);
    connect(feed, &TFleetFeed::Alert, relay, &TAlertRelay::Relay);
    connect(relay, &TAlertRelay::Message, panel, &TActiveProgramWidget::Add_Message);
    TFleetPage *fleet = new TFleetPage(feed, d_pages);
    fleet->setObjectName(QStringLiteral("fleet_page"));
    d_pages->Add_Page(fleet, QStringLiteral("Fleet"));
    connect(fleet, &TFleetPage::Message, panel, &TActiveProgramWidget::Add_Message);
}

// A station that should record from logon on (the installer's option sets it
// for the machine) starts monitoring by itself; the user's own setting comes first.
void TQuorvex::Monitor_At_Start()
{
    const QString key = QStringLiteral("General/Monitor_At_Start");
    const QSettings machine(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Quorvex"),
                            QStringLiteral("Quorvex"));
    if (!d_settings->value(key, machine.value(key, false)).toBool())
        return;
    d_monitor->Toggle();
    Add_Message(QStringLiteral("INF:  Monitoring switched on at start (Monitor_At_Start)."));
}

// The report worker, the list reader and an export read the database: they
// must be done before the file is closed.
void TQuorvex::Stop_Readers()
{
    d_summary->Stop();
    d_lists->Stop();
    d_exports->Stop();
}

void TQuorvex::Restore_Geometry()
{
    const QPoint position =
        d_settings->value(QStringLiteral("Mainwindow_Position"), DEFAULT_POSITION).toPoint();
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

bool TQuorvex::Monitoring() const
{
    return d_monitor->Monitoring();
}

bool TQuorvex::Attached() const
{
    return d_monitor->Attached();
}

bool TQuorvex::Record_Empty() const
{
    return d_database->Dates().isEmpty();
}

void TQuorvex::Add_Message(const QString &message)
{
    d_pages->Active()->Add_Message(message);
}

void TQuorvex::Come_Forward()
{
    // Windows lets only the foreground program raise a window: the toolkit's way around it.
    QWindowsWindowFunctions::setWindowActivationBehavior(QWindowsWindowFunctions::AlwaysActivateWindow);
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TQuorvex::Show_Status(const QString &text)
{
    d_status_bar->clearMessage();
    d_status_bar->showMessage(text, 0);
}

void TQuorvex::Selection_Changed()
{
    Update_Summary();
    d_exports->Update_Actions();
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

void TQuorvex::Edit_Shift_Calendar()
{
    TShiftDialog dialog(d_calendar, this);
    dialog.setObjectName(QStringLiteral("shift_dialog"));
    if (dialog.exec() != QDialog::Accepted || dialog.Calendar() == d_calendar)
        return;
    d_calendar = dialog.Calendar();
    // Kept at once: a calendar is edited seldom and should not wait for the window to close.
    d_calendar.Write(d_settings);
    d_settings->sync();
    d_central->Set_Shift_Calendar(d_calendar);
    d_alerts->Set_Shift_Calendar(d_calendar);
    d_stops->Set_Shift_Calendar(d_calendar);
    Update_Summary();
}

void TQuorvex::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimised into the tray where there is one: never out of reach without it.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && d_minimise_to_tray &&
        d_tray->Available())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void TQuorvex::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Closed at the session's end, and again by the toolkit or the user.
    if (d_closed)
        return;
    d_closed = true;
    // What the watcher has not counted yet is counted here, once.
    d_monitor->Close();
    d_recorder->Close();
    d_stops->Close();
    Store_Window_Settings();
    Stop_Readers();
    d_monitor->Disconnect();
    d_journal->Write_Pending();
    d_pending->Stop();
    d_central->Stop();
    d_database->Close();
}

void TQuorvex::Store_Window_Settings()
{
    d_settings->setValue(QStringLiteral("Mainwindow_Position"), pos());
    d_settings->setValue(QStringLiteral("Mainwindow_Size"), size());
    d_settings->setValue(QStringLiteral("Export_Path"), d_exports->Folder());
    // On disk now: at the end of a session the process may end before the window is deleted.
    d_settings->sync();
}

void TQuorvex::Session_Asked()
{
    if (d_closed)
        return;
    d_recorder->Count_Usage_Now();
    d_stops->Store_Now();
    Store_Window_Settings();
    d_journal->Write_Pending();
}
