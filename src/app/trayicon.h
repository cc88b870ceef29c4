#ifndef QUORVEX_TRAYICON_H
#define QUORVEX_TRAYICON_H

#include <QObject>
#include <QString>

class QMainWindow;
class QMenu;
class QSystemTrayIcon;

// The program's state in the notification area (not connected, waiting,
// attached, collecting), and the way back to a window minimised there. Shown
// where the system has a tray; the state is kept either way.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TTrayIcon(QMainWindow *window);
    ~TTrayIcon() override;

    bool Available() const;
    // The state as the tool tip says it.
    QString Text() const { return d_text; }
    // The monitor's icon, which says how far monitoring got.
    void Set_Monitor_Icon(const char *resource);
    void Set_Collecting(bool collecting);

signals:
    void Text_Changed(const QString &text);
    void Show_Requested();
    void Quit_Requested();

private:
    void Update();

    QSystemTrayIcon *d_icon;
    QMenu *d_menu;
    const char *d_resource;
    bool d_collecting;
    QString d_text;
};

#endif
