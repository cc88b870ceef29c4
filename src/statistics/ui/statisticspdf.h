#ifndef QUORVEX_STATISTICSPDF_H
#define QUORVEX_STATISTICSPDF_H

#include "src/statistics/statistics.h"

#include <QPalette>
#include <QtCharts/QChart>

#include <memory>
#include <vector>

class QByteArray;
class QIODevice;

// The statistics as one A4 document: the summary, each table followed by its
// chart, and on every page a header with the date range and the page number.
// Charts are drawn on paper colours whatever the window's palette. Uses the
// charts' scene: GUI thread only.
class TStatisticsPdf
{
public:
    // A table, a note under it, and its chart (none when null).
    struct TSection
    {
        TStatisticsTable table;
        QString note;
        std::unique_ptr<QtCharts::QChart> chart;
    };

    // False when the device refuses the document.
    static bool Write(QIODevice *device, const TStatistics &statistics, TStatistics::TPeriodKind kind);
    // Any figures in the same form: TITLE on every page, the summary, then the
    // sections in order (their charts drawn and used up).
    static bool Write(QIODevice *device, const QString &title, const QStringList &summary,
                      std::vector<TSection> *sections);
    // The colours charts are drawn in on paper.
    static QPalette Paper();
    // The document in memory, which takes any.
    static QByteArray Document(const TStatistics &statistics, TStatistics::TPeriodKind kind);
};

#endif
