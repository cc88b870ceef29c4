#ifndef QUORVEX_ALERTSETTINGS_H
#define QUORVEX_ALERTSETTINGS_H

#include <QString>

class QSettings;

// The thresholds of the alerts, group "Alerts" of Settings.ini. A threshold
// of 0 switches its alert off.
class TAlertSettings
{
public:
    // A machine idle longer than this during a shift.
    int idle_minutes = 30;
    // More than message_count controller messages within message_minutes.
    int message_count = 10;
    int message_minutes = 10;
    // A station without a heartbeat this long during a shift.
    int silent_minutes = 10;
    // An alert of a kind starts at most once within this many minutes.
    int repeat_minutes = 60;
    // The group of stations whose silence this station judges when it reads
    // the fleet; empty: all.
    QString group;
    // Where each start and end is posted as JSON; empty: nowhere.
    QString webhook_url;

    void Read(QSettings *settings);
    void Write(QSettings *settings) const;
};

#endif
