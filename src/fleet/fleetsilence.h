#ifndef QUORVEX_FLEETSILENCE_H
#define QUORVEX_FLEETSILENCE_H

#include "src/alerts/alertjudge.h"
#include "src/alerts/alertsettings.h"
#include "src/fleet/fleetsnapshot.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

// The silence of stations, judged by whoever reads the fleet: each silent
// alert is stored once in the central alerts table, by its station and start,
// so that two readers judging the same silence store and say it once between
// them. Runs on the reader's thread, on its connection.
class TFleetSilence
{
public:
    using TSay = std::function<void(const TAlertEvent &event, const QString &station_name)>;

    // Marks the silent stations of SNAPSHOT in the alerts' group (no
    // heartbeat for their silent minutes during a shift of the station's, in
    // its zone); with STORE, stores their alerts' starts and ends and tells
    // those this call stored. False, with ERROR, when the database refused.
    static bool Judge(QSqlDatabase db, const TAlertSettings &alerts, bool store, TFleetSnapshot *snapshot,
                      const TSay &tell, QString *error);
};

#endif
