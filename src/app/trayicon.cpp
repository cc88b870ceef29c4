#include "src/app/trayicon.h"

#include "src/monitor/monitorswitch.h"

#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

#include <cstring>

TTrayIcon::TTrayIcon(QMainWindow *window)
    : QObject(window), d_icon(new QSystemTrayIcon(this)), d_menu(new QMenu),
      d_resource(TMonitorSwitch::ICON_NOT_CONNECTED), d_collecting(false)
{
    d_icon->setObjectName(QStringLiteral("tray_icon"));
    d_menu->addAction(QStringLiteral("Show Quorvex"), this, &TTrayIcon::Show_Requested);
    d_menu->addSeparator();
    d_menu->addAction(QStringLiteral("Quit"), this, &TTrayIcon::Quit_Requested);
    d_icon->setContextMenu(d_menu);
    connect(d_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason)
            {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit Show_Requested();
            });
    Update();
    if (Available())
        d_icon->show();
}

TTrayIcon::~TTrayIcon()
{
    // A menu has no owner among the objects: the tray only borrows it.
    delete d_menu;
}

bool TTrayIcon::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::Set_Monitor_Icon(const char *resource)
{
    d_resource = resource;
    Update();
}

void TTrayIcon::Set_Collecting(bool collecting)
{
    d_collecting = collecting;
    Update();
}

void TTrayIcon::Update()
{
    const auto is = [this](const char *resource) { return std::strcmp(d_resource, resource) == 0; };
    QString state = QStringLiteral("not connected");
    if (is(TMonitorSwitch::ICON_CONNECTING))
        state = QStringLiteral("waiting for the measurement software");
    else if (is(TMonitorSwitch::ICON_ERROR))
        state = QStringLiteral("cannot connect to the measurement software");
    else if (is(TMonitorSwitch::ICON_CONNECTED))
        state = d_collecting ? QStringLiteral("collecting a program") : QStringLiteral("attached");
    d_icon->setIcon(QIcon(QLatin1String(d_resource)));
    const QString text = QStringLiteral("Quorvex: ") + state;
    if (text == d_text)
        return;
    d_text = text;
    // Plain words of our own only: no name from the measurement software reaches the tray.
    d_icon->setToolTip(d_text);
    emit Text_Changed(d_text);
}
