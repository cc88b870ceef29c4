#ifndef QUORVEX_STATISTICSPDF_H
#define QUORVEX_STATISTICSPDF_H

#include "src/statistics/statistics.h"

class QByteArray;
class QIODevice;

// The statistics as one A4 document: the summary, each table followed by its
// chart, and on every page a header with the date range and the page number.
// Charts are drawn on paper colours whatever the window's palette. Uses the
// charts' scene: GUI thread only.
class TStatisticsPdf
{
public:
    // False when the device refuses the document.
    static bool Write(QIODevice *device, const TStatistics &statistics, TStatistics::TPeriodKind kind);
    // The document in memory, which takes any.
    static QByteArray Document(const TStatistics &statistics, TStatistics::TPeriodKind kind);
};

#endif
