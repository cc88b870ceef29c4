#ifndef QUORVEX_WINDOWACTIONS_H
#define QUORVEX_WINDOWACTIONS_H

#include <QObject>

class QAction;
class QMainWindow;

// The main window's actions with their texts, icons and tips, in its File and
// Help menus and its tool bar; "About" shows its box itself.
class TWindowActions : public QObject
{
    Q_OBJECT

public:
    explicit TWindowActions(QMainWindow *window);

    QAction *Monitor() const { return d_monitor; }
    QAction *Export_All() const { return d_export_all; }
    QAction *Export_Csv() const { return d_export_csv; }
    QAction *Export_Text() const { return d_export_text; }
    QAction *Quit() const { return d_quit; }
    QAction *About() const { return d_about; }
    void Set_Monitor_Icon(const char *resource);

private:
    QAction *d_monitor;
    QAction *d_export_all;
    QAction *d_export_csv;
    QAction *d_export_text;
    QAction *d_quit;
    QAction *d_about;
};

#endif
