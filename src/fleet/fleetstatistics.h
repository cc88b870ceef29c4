#ifndef QUORVEX_FLEETSTATISTICS_H
#define QUORVEX_FLEETSTATISTICS_H

#include "src/database/databaseitem.h"
#include "src/fleet/fleetsnapshot.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>

#include <map>
#include <vector>

// The executions of stations as read from the central database, and the
// statistics the Fleet page and the fleet summaries make of them; on any
// thread, on a connection of that thread's.
class TFleetStatistics
{
public:
    // The executions of the stations (quoted ids; all when empty) opened from
    // FIRST to LAST, with their messages, per station.
    static bool Read_Items(QSqlDatabase db, const QStringList &quoted_ids, const QDate &first,
                           const QDate &last, std::map<QString, std::vector<TDatabaseItem>> *items,
                           QString *error);
    // The statistics of SNAPSHOT's chosen stations over its days, each
    // station against its own shift calendar.
    static bool Read(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error);
    // The stops of the stations (quoted ids) that began on SNAPSHOT's days, by reason.
    static bool Read_Lost_Time(QSqlDatabase db, const QStringList &quoted_ids, TFleetSnapshot *snapshot,
                               QString *error);
};

#endif
