#ifndef QUORVEX_FLEETFIGURES_H
#define QUORVEX_FLEETFIGURES_H

#include "src/fleet/fleetsnapshot.h"

#include <QSqlDatabase>
#include <QString>

#include <map>

// The figures of the Fleet page, from those the server keeps per station and
// day (never from the executions): every station's today, and the chosen
// stations' last days, each station's days its own. On the reader's thread,
// on its connection.
class TFleetFigures
{
public:
    TFleetFigures(QSqlDatabase db, TFleetSnapshot *snapshot);

    // False, with Last_Error, when the database refused.
    bool Read();
    QString Last_Error() const { return d_error; }

    // The seconds STATION's calendar schedules from the start of DAY (its
    // own) to the end of the day or to NOW, whichever is first.
    static qint64 Scheduled(const TFleetSnapshot::TStation &station, const QDate &day, const QDateTime &now);

private:
    struct TDay
    {
        qint64 executions = 0;
        qint64 executing_seconds = 0;
        qint64 messages = 0;
        // Negative: none kept.
        qint64 scheduled_seconds = -1;
        qint64 planned_stop_seconds = 0;
    };

    // A VALUES list of (station, first day, last day) for the stations
    // CHOSEN_ONLY or all, each over its days (chosen) or its today.
    QString Ranges(bool chosen_only);
    bool Query(QSqlQuery *query, const QString &statement);
    bool Read_Days();
    bool Read_Planned_Stops(const QString &ranges);
    // Scheduled() of a past day, worked out once a read for each calendar,
    // zone and day however many stations share them; CALENDAR names the
    // station's calendar and zone.
    qint64 Scheduled_Past_Day(const TFleetSnapshot::TStation &station, const QString &calendar,
                              const QDate &day);
    void Station_Table();
    bool Read_Programs(const QString &ranges);
    bool Read_Messages(const QString &ranges);
    bool Read_Lost_Time(const QString &ranges);

    QSqlDatabase d_db;
    TFleetSnapshot *d_snapshot;
    std::map<std::pair<QString, QDate>, TDay> d_days;
    std::map<std::pair<QString, QDate>, qint64> d_scheduled;
    // " BETWEEN first AND last" of the days of the latest ranges, all stations' together.
    QString d_days_between;
    QString d_error;
};

#endif
