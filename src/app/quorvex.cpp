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
#include "src/database/database.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/monitor/monitorswitch.h"
#include "src/monitor/ui/activeprogramwidget.h"
#include "src/recorder/recorder.h"
#include "src/report/summaryrunner.h"
#include "src/report/ui/reportview.h"
#include "src/shifts/ui/shiftdialog.h"
#include "src/station/station.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/summaries/scheduledsummaries.h"

#include <QAction>
#include <QCloseEvent>
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

TQuorvex::TQuorvex(const QString &folder, QWidget *parent, Qt::WindowFlags flags)
    : TQuorvex(std::make_unique<TStation>(folder), parent, flags)
{
}

TQuorvex::TQuorvex(std::unique_ptr<TStation> station, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d_station(std::move(station))
{
    // Its child as well, so that the window's parts are found in it; deleted by the window first.
    d_station->setParent(this);
    QSettings *settings = d_station->Settings();
    Restore_Geometry();
    d_actions = new TWindowActions(this);
    d_pages = new TWindowPages(this);
    setCentralWidget(d_pages);
    setWindowTitle(QStringLiteral("Quorvex"));
    d_status_bar = new QStatusBar(this);
    setStatusBar(d_status_bar);
    d_tray = new TTrayIcon(this);
    d_minimise_to_tray = settings->value(QStringLiteral("General/Minimise_To_Tray"), false).toBool();

    TDatabase *database = d_station->Database();
    d_lists = new TSelectionLists(database, d_pages->Dates(), d_pages->Programs(), this);
    d_summary = new TSummaryRunner(database, &d_station->Calendar(), this);
    d_summary->Set_Shares(d_station->Shares());
    d_exports = new TWindowExports(database, d_lists, d_pages, d_actions, this);
    d_exports->Set_Folder(settings->value(QStringLiteral("Export_Path"), THomeFolder::Path()).toString());
    d_stops = new TWindowStops(d_station.get(), d_pages, this);
    Connect_Parts();
    d_station->Start();
    if (d_station->Database_Ready())
        Refresh_Lists();
    Show_Fleet();
    Start_Summaries();
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
    d_station.reset();
}

void TQuorvex::Connect_Parts()
{
    TActiveProgramWidget *panel = d_pages->Active();
    TRecorder *recorder = d_station->Recorder();
    TMonitorSwitch *monitor = d_station->Monitor();
    panel->Follow(recorder);
    connect(d_station.get(), &TStation::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_station.get(), &TStation::Status, this, &TQuorvex::Show_Status);
    connect(d_station.get(), &TStation::Executions_Changed, this, &TQuorvex::Refresh_Lists);
    // After the last execution stored at the end, which the lists still take in.
    connect(d_station.get(), &TStation::File_Closing, this, &TQuorvex::Stop_Readers);
    connect(d_station.get(), &TStation::Pending_Waiting,
            new TStatusLabel(QStringLiteral("pending_entries"), d_status_bar), &TStatusLabel::Show_Text);
    connect(d_station.get(), &TStation::Central_Waiting,
            new TStatusLabel(QStringLiteral("central_waiting"), d_status_bar), &TStatusLabel::Show_Text);
    connect(d_actions->Monitor(), &QAction::triggered, monitor, &TMonitorSwitch::Toggle);
    connect(d_actions->Quit(), &QAction::triggered, this, &QWidget::close);
    connect(monitor, &TMonitorSwitch::Status, this, &TQuorvex::Show_Status);
    connect(monitor, &TMonitorSwitch::Icon, d_actions, &TWindowActions::Set_Monitor_Icon);
    connect(monitor, &TMonitorSwitch::Icon, d_tray, &TTrayIcon::Set_Monitor_Icon);
    connect(recorder, &TRecorder::Program_Started, d_pages, &TWindowPages::Show_Active);
    connect(recorder, &TRecorder::Collection_Changed, d_tray, &TTrayIcon::Set_Collecting);
    connect(d_lists, &TSelectionLists::Selection_Changed, this, &TQuorvex::Selection_Changed);
    connect(d_summary, &TSummaryRunner::Report_Ready, this, &TQuorvex::Summary_Report_Ready);
    connect(d_summary, &TSummaryRunner::Statistics_Ready, d_pages->Statistics(),
            &TStatisticsPage::Set_Statistics);
    connect(d_exports, &TWindowExports::Failed, this, &TQuorvex::Show_Status);
    connect(d_pages->Statistics(), &TStatisticsPage::Calendar_Requested, this,
            &TQuorvex::Edit_Shift_Calendar);
    connect(d_tray, &TTrayIcon::Show_Requested, this, &TQuorvex::Come_Forward);
    connect(d_tray, &TTrayIcon::Quit_Requested, this, &QWidget::close);
}

// The daily and weekly PDFs, drawn with the charts the window's toolkit
// gives. Those due while the program was not running are written once it runs.
void TQuorvex::Start_Summaries()
{
    TScheduledSummaries *summaries =
        new TScheduledSummaries(d_station->Settings(), d_station->Database(), &d_station->Calendar(),
                                d_station->Central()->Settings().Viewer(), d_station->Clock(), this);
    connect(summaries, &TScheduledSummaries::Message, d_pages->Active(), &TActiveProgramWidget::Add_Message);
    QTimer::singleShot(0, summaries, &TScheduledSummaries::Check);
}

// The fleet of a station with a central database: its page, and the alerts
// judged on it where this station is the watcher.
void TQuorvex::Show_Fleet()
{
    const TCentral *central = d_station->Central();
    if (!central->Is_Set())
        return;
    TActiveProgramWidget *panel = d_pages->Active();
    const TAlertSettings &alerts = d_station->Alert_Settings();
    // Made before the page, so deleted after it.
    TFleetFeed *feed = new TFleetFeed(central->Settings().Watcher(), alerts, this);
    TAlertRelay *relay = new TAlertRelay(alerts, this);
    connect(feed, &TFleetFeed::Alert, relay, &TAlertRelay::Relay);
    connect(relay, &TAlertRelay::Message, panel, &TActiveProgramWidget::Add_Message);
    TFleetPage *fleet = new TFleetPage(feed, d_pages);
    fleet->setObjectName(QStringLiteral("fleet_page"));
    d_pages->Add_Page(fleet, QStringLiteral("Fleet"));
    connect(fleet, &TFleetPage::Message, panel, &TActiveProgramWidget::Add_Message);
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
    const QSettings *settings = d_station->Settings();
    const QPoint position =
        settings->value(QStringLiteral("Mainwindow_Position"), DEFAULT_POSITION).toPoint();
    const QSize size = settings->value(QStringLiteral("Mainwindow_Size"), DEFAULT_SIZE).toSize();
    QRect available;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    const QRect visible = QRect(position, size).intersected(available);
    const bool usable = !visible.isEmpty() && visible.width() > 10 && visible.height() > 10;
    resize(usable ? visible.size() : DEFAULT_SIZE);
    move(usable ? visible.topLeft() : DEFAULT_POSITION);
}

bool TQuorvex::Monitoring() const
{
    return d_station->Monitor()->Monitoring();
}

bool TQuorvex::Attached() const
{
    return d_station->Monitor()->Attached();
}

bool TQuorvex::Record_Empty() const
{
    return d_station->Database()->Dates().isEmpty();
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
    TShiftDialog dialog(d_station->Calendar(), this);
    dialog.setObjectName(QStringLiteral("shift_dialog"));
    if (dialog.exec() != QDialog::Accepted || dialog.Calendar() == d_station->Calendar())
        return;
    d_station->Set_Shift_Calendar(dialog.Calendar());
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
    d_stops->Close();
    Store_Window_Settings();
    d_station->Close();
}

void TQuorvex::Store_Window_Settings()
{
    QSettings *settings = d_station->Settings();
    settings->setValue(QStringLiteral("Mainwindow_Position"), pos());
    settings->setValue(QStringLiteral("Mainwindow_Size"), size());
    settings->setValue(QStringLiteral("Export_Path"), d_exports->Folder());
    // On disk now: at the end of a session the process may end before the window is deleted.
    settings->sync();
}

void TQuorvex::Session_Asked()
{
    if (d_closed)
        return;
    Store_Window_Settings();
    d_station->Store_Now();
}
