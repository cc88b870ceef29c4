#ifndef QUORVEX_FLEETSNAPSHOT_H
#define QUORVEX_FLEETSNAPSHOT_H

#include "src/centraldb/stationactivities.h"
#include "src/statistics/statistics.h"
#include "src/statistics/statisticstable.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <vector>

// The fleet as the central database held it at one moment: every station's
// state and today's figures, and the statistics of the chosen stations over
// the chosen days. A station's days and shifts are its own, in its own time
// zone, wherever the reader is. Made by the fleet reader's thread; immutable
// afterwards.
struct TFleetSnapshot
{
    struct TStation
    {
        QString id;
        QString name;
        // Its group, a plant or a hall; empty: none.
        QString group;
        // Its time zone as it told it (empty: not told); ZONE is that zone, or,
        // when the name is none the reader knows, a zone of the offset from UTC
        // it last told (UTC when it told none), never the reader's own.
        // ZONE_TEXT says which, for the page.
        QString zone_name;
        QTimeZone zone;
        QString zone_text;
        // Its own date at the read.
        QDate today;
        TStationActivity state = TStationActivity::OFF;
        QString program;
        QDateTime since;
        QDateTime heartbeat;
        int executions_today = 0;
        qint64 executing_seconds_today = 0;
        // Of today's shifts up to now, by the station's own calendar.
        qint64 scheduled_seconds_today = 0;
        double target = 0;
        int messages_today = 0;
        QStringList open_alerts;
        // One of them is a silence (stored by a reader).
        bool open_silence = false;
        TShiftCalendar calendar;
        // In the group read (all are when none is named).
        bool in_group = true;
        bool chosen = false;
        // The stop going on, as the station last sent it; STOP_STARTED invalid when none.
        QDateTime stop_started;
        QString stop_reason;
        // Negative when nothing was scheduled yet today.
        double Utilisation() const;
        // Its wall time at AT.
        QDateTime Local(const QDateTime &at) const { return at.toTimeZone(zone); }
    };

    QDateTime read_at;
    std::vector<TStation> stations;
    // The group read; empty: all.
    QString group;
    // Every group a station names, sorted.
    QStringList groups;
    // The statistics cover each chosen station's last DAYS days, today
    // included; or, when FIRST is valid, its days from FIRST to LAST.
    int days = 1;
    QDate first;
    QDate last;
    QDate First_Day(const TStation &station) const
    {
        return first.isValid() ? first : station.today.addDays(1 - days);
    }
    QDate Last_Day(const TStation &station) const { return first.isValid() ? last : station.today; }
    // Over the chosen stations: per station, per station and program, and the messages.
    TStatisticsTable station_table;
    TStatisticsTable program_table;
    TStatisticsTable message_table;
    // The chosen stations' stops by reason over the chosen days.
    TStatisticsTable lost_table;
    // The sums over the chosen stations.
    qint64 executions = 0;
    qint64 executing_seconds = 0;
    qint64 scheduled_seconds = 0;
    qint64 planned_stop_seconds = 0;
    qint64 messages = 0;
    // Per chosen station, for the chart: name and utilisation (negative: no shift).
    std::vector<std::pair<QString, double>> utilisation;
    double target = 0;
    // Silent alerts this reader started or ended (the others' it found done).
    QStringList alert_lines;
};

#endif
