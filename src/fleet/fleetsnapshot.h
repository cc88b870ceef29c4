#ifndef QUORVEX_FLEETSNAPSHOT_H
#define QUORVEX_FLEETSNAPSHOT_H

#include "src/central/stationactivity.h"
#include "src/statistics/statistics.h"
#include "src/statistics/statisticstable.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// The room as the central database held it at one moment: every station's
// state and today's figures, and the statistics of the chosen stations over
// the chosen days. Made by the fleet reader's thread; immutable afterwards.
struct TFleetSnapshot
{
    struct TStation
    {
        QString id;
        QString name;
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
        TShiftCalendar calendar;
        bool chosen = false;
        // The stop going on, as the station last sent it; STOP_STARTED invalid when none.
        QDateTime stop_started;
        QString stop_reason;
        // Negative when nothing was scheduled yet today.
        double Utilisation() const;
    };

    QDateTime read_at;
    std::vector<TStation> stations;
    QDate first;
    QDate last;
    // Over the chosen stations: per station, per station and program, and the messages.
    TStatisticsTable station_table;
    TStatisticsTable program_table;
    TStatisticsTable message_table;
    // The chosen stations' stops by reason over the chosen days.
    TStatisticsTable lost_table;
    // Per chosen station, for the chart: name and utilisation (negative: no shift).
    std::vector<std::pair<QString, double>> utilisation;
    double target = 0;
    // Silent alerts this reader started or ended (the others' it found done).
    QStringList alert_lines;
};

#endif
