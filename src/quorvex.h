#ifndef QUORVEX_QUORVEX_H
#define QUORVEX_QUORVEX_H

#include "src/databaseitem.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>

class QAction;
class QPlainTextEdit;
class QSettings;
class QStatusBar;
class QTabWidget;
class QTimer;
class TActiveProgramWidget;
class TDataWidget;
class TDatabase;
class TMessageBox;

// The main window. Owns everything else for its whole life: the settings, the
// usage database, the record being collected, the views and the About box.
// Lives on the GUI thread.
class TQuorvex : public QMainWindow
{
    Q_OBJECT

public:
    explicit TQuorvex(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~TQuorvex() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void Help_About();

private:
    bool Init_Database(const QString &file_name);
    void Restore_Geometry();
    void Show_Status(const QString &text);

    QAction *d_monitor_action;
    QAction *d_export_all_action;
    QAction *d_export_selected_csv_action;
    QAction *d_export_selected_txt_action;
    QTabWidget *d_tab_widget;
    QPlainTextEdit *d_summary_view;
    QStatusBar *d_status_bar;
    QSettings *d_settings;
    TDataWidget *d_date_list;
    TDataWidget *d_program_list;
    TDatabase *d_database;
    TActiveProgramWidget *d_active_program;
    QTimer *d_update_timer;
    TMessageBox *d_about_box;
    TDatabaseItem d_current_item;
    int d_monitor_state;
    QStringList d_selected_dates;
    QStringList d_selected_programs;
    QString d_settings_folder;
    QString d_export_folder;
    QElapsedTimer d_monitor_timer;
    QElapsedTimer d_connection_timer;
    QElapsedTimer d_open_tick_timer;
    QElapsedTimer d_execution_tick_timer;
    bool d_program_open;
    bool d_executing;
};

#endif
