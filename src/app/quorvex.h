#ifndef QUORVEX_QUORVEX_H
#define QUORVEX_QUORVEX_H

#include "src/common/homefolder.h"
#include "src/shifts/shiftcalendar.h"

#include <QMainWindow>

#include <memory>

class QSettings;
class QStatusBar;
class QTimer;
class TCentral;
class TClock;
class TDatabase;
class TExporter;
class TMonitorProcess;
class TPendingJournal;
class TPendingStatus;
class TRecorder;
class TReportLines;
class TSelectionLists;
class TSoftwareLink;
class TStationAlerts;
class TSummaryRunner;
class TWindowActions;
class TWindowPages;

// The main window. Owns everything else for its whole life: the settings, the
// usage database, the recorder and the link to the measurement software, the
// window watcher and the views. Lives on the GUI thread, where the automation
// events also arrive.
class TQuorvex : public QMainWindow
{
    Q_OBJECT

public:
    // FOLDER holds the settings, the database and the pending entries.
    explicit TQuorvex(const QString &folder = THomeFolder::Data_Folder(), QWidget *parent = nullptr,
                      Qt::WindowFlags flags = Qt::WindowFlags());
    ~TQuorvex() override;

    bool Monitoring() const;
    // Monitoring, and attached to the measurement software.
    bool Attached() const;
    // Whether the database holds no execution at all (a first start).
    bool Record_Empty() const;
    // A line in the panel, for a program built around the window (the demo).
    void Add_Message(const QString &message);

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
    void Selection_Changed();
    void Summary_Report_Ready(std::shared_ptr<const TReportLines> lines);
    void Edit_Shift_Calendar();
    void Export_Statistics_CSV();
    void Export_Statistics_PDF();
    void Show_Status(const QString &text);
    void Refresh_Lists();

private:
    bool Init_Database(const QString &file_name);
    void Restore_Geometry();
    void Connect_Monitor();
    void Update_Summary();
    void Set_Export_Actions();
    void Stop_Readers();
    void Connect_Central(const QString &folder);

    TWindowActions *d_actions;
    TWindowPages *d_pages;
    TShiftCalendar d_calendar;
    QStatusBar *d_status_bar;
    QSettings *d_settings;
    TDatabase *d_database;
    TPendingJournal *d_journal;
    TPendingStatus *d_pending;
    QTimer *d_update_timer;
    TSummaryRunner *d_summary;
    TSelectionLists *d_lists;
    TExporter *d_exporter;
    TMonitorProcess *d_monitor_process;
    TClock *d_clock;
    TRecorder *d_recorder;
    TSoftwareLink *d_link;
    TCentral *d_central;
    TStationAlerts *d_alerts;
    // Set from a switch-on that had to let the previous watcher run end until
    // that run's queued finished signal: the reports queued before it are stale.
    bool d_stale_reports;
};

#endif
