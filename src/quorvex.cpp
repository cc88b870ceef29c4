#include "src/quorvex.h"

#include "src/activeprogramwidget.h"
#include "src/csvexport.h"
#include "src/database.h"
#include "src/datawidget.h"
#include "src/messagebox.h"
#include "src/summarytext.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QToolBar>

namespace
{
const QPoint DEFAULT_POSITION(30, 30);
const QSize DEFAULT_SIZE(801, 601);
const char *const LEGAL_NOTICE =
    "Copyright (c) 2026 the Quorvex developers. Provided as is, without warranty of any kind.";
} // namespace

TQuorvex::TQuorvex(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), d_summary_thread(nullptr), d_summary_worker(nullptr), d_monitor_state(0),
      d_summary_pending(false), d_program_open(false), d_executing(false)
{
    QFont small_font;
    small_font.setPointSize(8);
    small_font.setItalic(true);
    QFont fixed_font(QStringLiteral("Courier New"));
    fixed_font.setFixedPitch(true);

    QDir home(QDir::homePath());
    if (!home.exists(QStringLiteral(".quorvex")))
        home.mkdir(QStringLiteral(".quorvex"));
    home.cd(QStringLiteral(".quorvex"));
    d_settings_folder = home.absolutePath();

    d_settings = new QSettings(d_settings_folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat, this);
    Restore_Geometry();
    d_export_folder = d_settings->value(QStringLiteral("Export_Path"), QDir::homePath()).toString();

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
    d_summary_view = new QPlainTextEdit;
    d_summary_view->setObjectName(QStringLiteral("summary_view"));
    d_summary_view->setReadOnly(true);
    d_summary_view->setFont(fixed_font);
    d_summary_view->setWordWrapMode(QTextOption::NoWrap);
    d_summary_view->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Expanding);
    d_summary_view->document()->setUndoRedoEnabled(false);
    d_tab_widget->addTab(d_active_program, QStringLiteral("Active"));
    d_tab_widget->addTab(d_summary_view, QStringLiteral("Selected"));
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
    d_update_timer = new QTimer(this);
    d_about_box = new TMessageBox(this);

    d_export_selected_csv_action->setEnabled(false);
    d_export_selected_txt_action->setEnabled(false);

    // A database that cannot be opened stores nothing for the whole run: its
    // error stays on the status bar instead of being hidden at once.
    if (Init_Database(d_settings_folder + QStringLiteral("/database.db")))
    {
        d_date_list->Set_List(d_database->Dates());
        d_program_list->Set_List(d_database->Program_Names(QStringList()));
        Show_Status(QStringLiteral("INF:  Not Connected."));
    }

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
    d_summary_view->setPlainText(QStringLiteral("No summary available."));
    d_monitor_action->setToolTip(QStringLiteral("Enable or disable monitoring events."));
    d_export_all_action->setToolTip(QStringLiteral("Export all data to a CSV file."));
    d_export_selected_csv_action->setToolTip(QStringLiteral("Export selected data to a CSV file."));
    d_export_selected_txt_action->setToolTip(QStringLiteral("Export selected data to a TXT file."));

    connect(d_export_all_action, &QAction::triggered, this, &TQuorvex::Export_All_CSV);
    connect(d_export_selected_csv_action, &QAction::triggered, this, &TQuorvex::Export_Selected_CSV);
    connect(d_export_selected_txt_action, &QAction::triggered, this, &TQuorvex::Export_Selected_TXT);
    connect(quit_action, &QAction::triggered, this, &QWidget::close);
    connect(about_action, &QAction::triggered, this, &TQuorvex::Help_About);
    connect(d_date_list, &TDataWidget::Selection_Changed, this, &TQuorvex::Date_Selection_Changed);
    connect(d_program_list, &TDataWidget::Selection_Changed, this, &TQuorvex::Program_Selection_Changed);
    d_update_timer->setInterval(1000);
}

TQuorvex::~TQuorvex()
{
    Stop_Summary();
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

void TQuorvex::closeEvent(QCloseEvent *event)
{
    d_settings->setValue(QStringLiteral("Mainwindow_Position"), pos());
    d_settings->setValue(QStringLiteral("Mainwindow_Size"), size());
    d_settings->setValue(QStringLiteral("Export_Path"), d_export_folder);
    // The report worker reads the database: it must be done before the file is closed.
    Stop_Summary();
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

void TQuorvex::Date_Selection_Changed(QStringList list)
{
    d_selected_dates = list;
    d_program_list->Set_List(d_database->Program_Names(d_selected_dates));
    d_selected_programs.clear();
    Update_Summary();
    d_export_selected_csv_action->setEnabled(false);
    d_export_selected_txt_action->setEnabled(false);
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
    d_summary_view->setPlainText(QStringLiteral("Updating summary..."));

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
            d_summary_view->setPlainText(d_summary_worker->Summary_Text());
            d_tab_widget->setCurrentWidget(d_summary_view);
        }
        else
            d_summary_view->setPlainText(QStringLiteral("No summary available."));
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

std::vector<TDatabaseItem> TQuorvex::Gather_Entries(const QStringList &names, const QStringList &dates)
{
    std::vector<TDatabaseItem> items;
    for (const QString &name : names)
        for (const QString &date : dates)
        {
            const std::vector<TDatabaseItem> entries = d_database->Program_Entries(name, date);
            items.insert(items.end(), entries.begin(), entries.end());
        }
    return items;
}

void TQuorvex::Export_All_CSV()
{
    const QStringList dates = d_database->Dates();
    Export(QStringLiteral("Export All to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
           TCsvExport::Text(Gather_Entries(d_database->Program_Names(dates), dates)));
}

void TQuorvex::Export_Selected_CSV()
{
    const QStringList dates = d_selected_dates.isEmpty() ? d_database->Dates() : d_selected_dates;
    Export(QStringLiteral("Export Selected to CSV"), QStringLiteral("Comma Separated File (*.csv)"),
           TCsvExport::Text(Gather_Entries(d_selected_programs, dates)));
}

void TQuorvex::Export_Selected_TXT()
{
    Export(QStringLiteral("Export Selected to TXT"), QStringLiteral("Text File (*.txt)"),
           d_summary_view->document()->toPlainText().toLatin1());
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
