#ifndef QUORVEX_STATIONACTIVITY_H
#define QUORVEX_STATIONACTIVITY_H

// What a station is doing: told by its recorder, followed by its stops and
// alerts, sent with its heartbeat and shown on the Fleet page. SILENT is never
// told by a station: it is judged by whoever reads one that stopped sending.
enum class TStationActivity
{
    OFF,     // monitoring switched off
    WAITING, // for the measurement software
    IDLE,    // attached, nothing executing
    EXECUTING,
    SILENT
};

#endif
