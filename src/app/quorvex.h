#ifndef QUORVEX_QUORVEX_H
#define QUORVEX_QUORVEX_H

#include "src/common/homefolder.h"
#include "src/shifts/shiftcalendar.h"

#include <QMainWindow>

#include <memory>

class QSettings;
class QStatusBar;
class TCentral;
class TClock;
class TDatabase;
class TMonitorSwitch;
class TPendingJournal;
class TPendingStatus;
class TRecorder;
class TReportLines;
class TSelectionLists;
class TStationAlerts;
class TSummaryRunner;
class TTrayIcon;
class TWindowActions;
class TWindowExports;
class TWindowPages;
class TWindowStops;

// The main window. Makes the parts and connects them, and owns them for its
// whole life: the settings, the database and its journal, the recorder and the
// monitor's switch, the lists, the report, the exports and the central link.
// Lives on the GUI thread, where the automation events also arrive.
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
    // Shown, restored and raised: a second start asked for the window.
    void Come_Forward();
    TWindowStops *Stops() const { return d_stops; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool Init_Database(const QString &file_name);
    void Restore_Geometry();
    void Connect_Parts();
    void Connect_Central(const QString &folder);
    void Monitor_At_Start();
    void Show_Status(const QString &text);
    void Selection_Changed();
    void Refresh_Lists();
    void Update_Summary();
    void Summary_Report_Ready(std::shared_ptr<const TReportLines> lines);
    void Edit_Shift_Calendar();
    void Stop_Readers();
    void Store_Window_Settings();
    void Session_Asked();

    TWindowActions *d_actions;
    TWindowPages *d_pages;
    TWindowStops *d_stops;
    TShiftCalendar d_calendar;
    QStatusBar *d_status_bar;
    QSettings *d_settings;
    TDatabase *d_database;
    TPendingJournal *d_journal;
    TPendingStatus *d_pending;
    TSummaryRunner *d_summary;
    TSelectionLists *d_lists;
    TWindowExports *d_exports;
    TClock *d_clock;
    TRecorder *d_recorder;
    TMonitorSwitch *d_monitor;
    TCentral *d_central;
    TStationAlerts *d_alerts;
    TTrayIcon *d_tray;
    bool d_minimise_to_tray;
    bool d_closed = false;
};

#endif
