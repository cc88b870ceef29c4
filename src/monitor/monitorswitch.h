#ifndef QUORVEX_MONITORSWITCH_H
#define QUORVEX_MONITORSWITCH_H

#include <QObject>
#include <QString>

class QTimer;
class TMonitorProcess;
class TRecorder;
class TSoftwareLink;

// Monitoring switched on and off: the user's switch and the watcher's and the
// link's reports go to the recorder, and what comes of them is said as a
// status text and an icon for the window to show. Owns the watcher, the link
// and the once-a-second tick; lives on the GUI thread, where the automation
// events also arrive.
class TMonitorSwitch : public QObject
{
    Q_OBJECT

public:
    static const char *const ICON_NOT_CONNECTED;
    static const char *const ICON_CONNECTING;
    static const char *const ICON_CONNECTED;
    static const char *const ICON_ERROR;

    TMonitorSwitch(TRecorder *recorder, QObject *parent = nullptr);

    bool Monitoring() const;
    bool Attached() const;
    void Toggle();
    // Switches off, and waits for the watcher's run to end (within about a
    // second): what it has not counted yet is counted by the recorder's Close.
    void Close();
    // Lets go of the software's objects (the window is going).
    void Disconnect();

signals:
    void Status(const QString &text);
    void Icon(const char *resource);

private:
    void Watcher_Started();
    void Watcher_Finished();
    void Window_Visible(bool visible);
    void Attach();

    TRecorder *d_recorder;
    TMonitorProcess *d_watcher;
    TSoftwareLink *d_link;
    QTimer *d_tick;
};

#endif
