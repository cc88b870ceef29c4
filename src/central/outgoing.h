#ifndef QUORVEX_OUTGOING_H
#define QUORVEX_OUTGOING_H

#include "src/centraldb/stationactivities.h"

#include <QDateTime>
#include <QString>

// What the station is doing, for the central heartbeat.
struct TStationState
{
    TStationActivity state = TStationActivity::OFF;
    QString program;
    QDateTime since;
};

// Who the station is, for the central heartbeat.
struct TStationIdentity
{
    QString name;
    // Its group, a plant or a hall ("Plant 2 / Room A"); empty: none.
    QString group;
    // Its shift calendar as one line.
    QString calendar;
};

#endif
