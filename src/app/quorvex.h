#ifndef QUORVEX_QUORVEX_H
#define QUORVEX_QUORVEX_H

#include "src/common/homefolder.h"

#include <QMainWindow>

#include <memory>

class QStatusBar;
class TReportLines;
class TSelectionLists;
class TStation;
class TSummaryRunner;
class TTrayIcon;
class TWindowActions;
class TWindowExports;
class TWindowPages;
class TWindowStops;

// The main window: shows a station and asks it. Owns the station it is given
// and what only a window has (the pages, the lists and their report, the
// exports, the Fleet page, the scheduled summaries' drawing, the tray).
// Lives on the GUI thread, where the automation events also arrive.
class TQuorvex : public QMainWindow
{
    Q_OBJECT

public:
    // The station of FOLDER, which holds the settings, the database and the pending files.
    explicit TQuorvex(const QString &folder = THomeFolder::Data_Folder(), QWidget *parent = nullptr,
                      Qt::WindowFlags flags = Qt::WindowFlags());
    // STATION not started yet: the window connects to it and starts it.
    explicit TQuorvex(std::unique_ptr<TStation> station, QWidget *parent = nullptr,
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
    TStation *Station() const { return d_station.get(); }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Restore_Geometry();
    void Connect_Parts();
    void Show_Fleet();
    void Start_Summaries();
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
    // Deleted before the window's own parts, once those reading its file have
    // stopped; none of them refers to it as it goes.
    std::unique_ptr<TStation> d_station;
    QStatusBar *d_status_bar;
    TSummaryRunner *d_summary;
    TSelectionLists *d_lists;
    TWindowExports *d_exports;
    TTrayIcon *d_tray;
    bool d_minimise_to_tray;
    bool d_closed = false;
};

#endif
