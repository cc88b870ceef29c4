#ifndef QUORVEX_STATIONACTIVITIES_H
#define QUORVEX_STATIONACTIVITIES_H

#include "src/common/stationactivity.h"

#include <QString>

// The texts stored in the central database's stations.state: one pair of
// conversions, at the edge. A text of no activity (a newer station's) reads as OFF.
class TStationActivities
{
public:
    static QString Text(TStationActivity activity);
    static TStationActivity From_Text(const QString &text);
};

#endif
