#ifndef QUORVEX_STATIONACTIVITY_H
#define QUORVEX_STATIONACTIVITY_H

#include <QString>

// What a station is doing, from its heartbeat to the Fleet page. SILENT is
// never sent: it is judged by whoever reads a station that stopped sending.
enum class TStationActivity
{
    OFF,     // monitoring switched off
    WAITING, // for the measurement software
    IDLE,    // attached, nothing executing
    EXECUTING,
    SILENT
};

// The texts stored in the central database's stations.state: one pair of
// conversions, at the edge. A text of no activity (a newer station's) reads as OFF.
class TStationActivities
{
public:
    static QString Text(TStationActivity activity);
    static TStationActivity From_Text(const QString &text);
};

#endif
