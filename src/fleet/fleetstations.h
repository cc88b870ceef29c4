#ifndef QUORVEX_FLEETSTATIONS_H
#define QUORVEX_FLEETSTATIONS_H

#include "src/fleet/fleetsnapshot.h"

#include <QSqlDatabase>
#include <QString>

// The stations of the central database as they last told: state, group,
// time zone and calendar, with the stop going on and the open alerts. Each
// station's today is its own date at the snapshot's moment, in its zone.
class TFleetStations
{
public:
    // Fills SNAPSHOT's stations (its READ_AT and GROUP set); false, with
    // ERROR, when the database refused.
    static bool Read(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error);
    // The server's clock; invalid, with ERROR, when it could not be read.
    static QDateTime Now(QSqlDatabase db, QString *error);

private:
    static bool Read_Stops_And_Alerts(QSqlDatabase db, TFleetSnapshot *snapshot, QString *error);
};

#endif
