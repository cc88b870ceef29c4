#ifndef QUORVEX_QUORVEX_H
#define QUORVEX_QUORVEX_H

#include "src/shiftcalendar.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QSettings;
class QStatusBar;
class QTabWidget;
class QThread;
class QTimer;
class TActiveProgramWidget;
class TClock;
class TBackgroundList;
class TDataWidget;
class TDatabase;
class TExportJob;
class QProgressDialog;
class TMessageBox;
class TMonitorProcess;
class TPendingJournal;
class TRecorder;
class TReportPage;
class TReportView;
class TStatisticsPage;
class TSoftwareLink;
class TSummaryText;

// The main window. Owns everything else for its whole life: the settings, the
// usage database, the recorder and the link to the measurement software, the
// window watcher, the views and the About box. Lives on the GUI thread, where
// the automation events also arrive.
class TQuorvex : public QMainWindow
{
    Q_OBJECT

public:
    explicit TQuorvex(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~TQuorvex() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void Toggle_Monitor();
    void Suspend_Resume(bool visible);
    void Export_All_CSV();
    void Export_Selected_CSV();
    void Export_Selected_TXT();
    void Monitor_Started();
    void Monitor_Finished();
    void Help_About();
    void Date_Selection_Changed(QStringList list);
    void Program_Selection_Changed(QStringList list);
    void Program_Names_Ready(QStringList names);
    void Summary_Report_Ready();
    void Summary_Text_Ready();
    void Write_Pending();
    void Edit_Shift_Calendar();
    void Export_Statistics_CSV();
    void Export_Statistics_PDF();

private:
    bool Init_Database(const QString &file_name);
    void Restore_Geometry();
    void Show_Status(const QString &text);
    void Set_Monitor_Icon(const char *resource);

    void Connect_Monitor();
    bool Monitoring() const;
    void Show_Pending();
    void Refresh_Lists();
    void Read_Program_Names();
    void Update_Summary();
    void Stop_Summary();
    void Export(const QString &caption, const QString &filter,
                const std::function<void(TExportJob *)> &setup);
    void Export_Finished();
    void Stop_Export();
    void Set_Export_Actions();

    QAction *d_monitor_action;
    QAction *d_export_all_action;
    QAction *d_export_selected_csv_action;
    QAction *d_export_selected_txt_action;
    QTabWidget *d_tab_widget;
    TReportPage *d_summary_page;
    TReportView *d_summary_view;
    TStatisticsPage *d_statistics_page;
    TShiftCalendar d_calendar;
    QStatusBar *d_status_bar;
    QSettings *d_settings;
    TDataWidget *d_date_list;
    TDataWidget *d_program_list;
    TDatabase *d_database;
    TPendingJournal *d_journal;
    QTimer *d_pending_timer;
    QLabel *d_pending_label;
    TActiveProgramWidget *d_active_program;
    QTimer *d_update_timer;
    QThread *d_summary_thread;
    TMessageBox *d_about_box;
    TSummaryText *d_summary_worker;
    TBackgroundList *d_program_names;
    QThread *d_export_thread;
    TExportJob *d_export_job;
    QProgressDialog *d_export_progress;
    TMonitorProcess *d_monitor_process;
    TClock *d_clock;
    TRecorder *d_recorder;
    TSoftwareLink *d_link;
    QStringList d_selected_dates;
    QStringList d_selected_programs;
    // The selection changed while a report was being built: that report is stale.
    bool d_summary_pending;
    QString d_settings_folder;
    QString d_export_folder;
    // Set from a switch-on that had to let the previous watcher run end until
    // that run's queued finished signal: the reports queued before it are stale.
    bool d_stale_reports;
};

#endif
