#ifndef QUORVEX_OUTGOING_H
#define QUORVEX_OUTGOING_H

#include "src/centraldb/stationactivities.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// What a station sends to the central database, as read from its own file:
// rows keep their local key, which makes each one's central key.
struct TOutgoingExecution
{
    qint64 local_id = 0;
    QString name;
    QString revision;
    QString date_text;
    QString time_text;
    // Invalid when the stored texts are not in the stored form (they are sent as they are).
    QDateTime opened;
    int execution_seconds = 0;
    int idle_seconds = 0;
    int point_count = 0;
    QStringList messages;
};

struct TOutgoingUsage
{
    qint64 local_id = 0;
    QString total;
    int seconds = 0;
    QDateTime recorded;
};

// An alert's start (no end yet) or its end, as the station judged it.
struct TOutgoingAlert
{
    qint64 local_id = 0;
    // Unique per station (kind and start).
    QString key;
    QString kind;
    QString detail;
    QDateTime started;
    QDateTime ended;
};

// A stop as it now stands; its local key is its change number.
struct TOutgoingStop
{
    qint64 local_id = 0;
    QDateTime started;
    QDateTime ended;
    bool open = false;
    QString reason;
    QString source;
    bool planned = false;
    QString note;
};

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
    // A plant or room ("Plant 2 / Room A"); empty: none.
    QString group;
    // Its shift calendar as one line.
    QString calendar;
};

#include <QMetaType>
Q_DECLARE_METATYPE(TOutgoingAlert)

#endif
