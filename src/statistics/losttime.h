#ifndef QUORVEX_LOSTTIME_H
#define QUORVEX_LOSTTIME_H

#include "src/database/stoprecord.h"
#include "src/statistics/statisticstable.h"

#include <QDate>
#include <QSet>
#include <QString>

#include <map>
#include <vector>

// The time a machine stood still in its shifts, by reason, over the days a
// selection counts: each stop counts on its local day, clipped to it. Planned
// stops (breaks, planned maintenance) are not lost time; a stop nobody
// classified is shown as such, never given a reason.
class TLostTime
{
public:
    struct TReason
    {
        // Empty for the stops not classified.
        QString reason;
        bool planned = false;
        qint64 seconds = 0;
        // Of the lost (or planned) time, within its class.
        double share = 0;
        double cumulative_share = 0;
    };
    struct TDay
    {
        qint64 planned = 0;
        qint64 unplanned = 0;
        qint64 unclassified = 0;
    };

    TLostTime() = default;
    TLostTime(const std::vector<TStopRecord> &stops, const QSet<QDate> &days);
    // From seconds already summed by reason (a stop's REASON empty when not
    // classified); without days, whose sums are then nothing.
    explicit TLostTime(const std::vector<TReason> &sums);

    // Unplanned reasons and the unclassified first, longest first; then the planned ones.
    const std::vector<TReason> &Reasons() const { return d_reasons; }
    // The sums of the days from FIRST to LAST.
    TDay Between(const QDate &first, const QDate &last) const;
    TDay Total() const { return d_total; }
    TStatisticsTable Table() const;
    static QString Reason_Text(const TReason &reason);

private:
    // Sorts the reasons and gives their shares.
    void Rank();

    std::vector<TReason> d_reasons;
    std::map<QDate, TDay> d_days;
    TDay d_total;
};

#endif
