#include "src/statistics/losttime.h"

#include <QHash>

#include <algorithm>

namespace
{
QString Percent(double fraction)
{
    return QString::number(fraction * 100, 'f', 1) + QLatin1Char('%');
}
} // namespace

TLostTime::TLostTime(const std::vector<TStopRecord> &stops, const QSet<QDate> &days)
{
    QHash<QString, size_t> index;
    for (const TStopRecord &stop : stops)
    {
        const QDateTime start = stop.started.toLocalTime();
        const QDate day = start.date();
        if (!days.contains(day))
            continue;
        const QDateTime end = std::min(stop.ended.toLocalTime(), QDateTime(day.addDays(1), QTime(0, 0)));
        const qint64 seconds = start.secsTo(end);
        if (seconds <= 0)
            continue;
        const bool planned = stop.Classified() && stop.planned;
        TDay &sums = d_days[day];
        qint64 &sum = !stop.Classified() ? sums.unclassified : planned ? sums.planned : sums.unplanned;
        sum += seconds;
        const QString key = (planned ? QStringLiteral("p") : QStringLiteral("u")) + stop.reason;
        auto found = index.constFind(key);
        if (found == index.constEnd())
        {
            found = index.insert(key, d_reasons.size());
            d_reasons.push_back({stop.reason, planned});
        }
        d_reasons[*found].seconds += seconds;
    }
    d_total = Between(QDate(1, 1, 1), QDate(9999, 12, 31));
    Rank();
}

TLostTime::TLostTime(const std::vector<TReason> &sums) : d_reasons(sums)
{
    for (TReason &reason : d_reasons)
    {
        reason.planned = !reason.reason.isEmpty() && reason.planned;
        (reason.reason.isEmpty() ? d_total.unclassified
         : reason.planned        ? d_total.planned
                                 : d_total.unplanned) += reason.seconds;
    }
    Rank();
}

void TLostTime::Rank()
{
    std::sort(d_reasons.begin(), d_reasons.end(),
              [](const TReason &a, const TReason &b)
              {
                  if (a.planned != b.planned)
                      return !a.planned;
                  return a.seconds != b.seconds ? a.seconds > b.seconds : a.reason < b.reason;
              });
    qint64 cumulative[2] = {0, 0};
    const qint64 totals[2] = {d_total.unplanned + d_total.unclassified, d_total.planned};
    for (TReason &reason : d_reasons)
    {
        const int kind = reason.planned ? 1 : 0;
        cumulative[kind] += reason.seconds;
        reason.share = double(reason.seconds) / totals[kind];
        reason.cumulative_share = double(cumulative[kind]) / totals[kind];
    }
}

TLostTime::TDay TLostTime::Between(const QDate &first, const QDate &last) const
{
    TDay sum;
    for (auto day = d_days.lower_bound(first); day != d_days.end() && day->first <= last; ++day)
    {
        sum.planned += day->second.planned;
        sum.unplanned += day->second.unplanned;
        sum.unclassified += day->second.unclassified;
    }
    return sum;
}

QString TLostTime::Reason_Text(const TReason &reason)
{
    return reason.reason.isEmpty() ? QStringLiteral("not classified") : reason.reason;
}

TStatisticsTable TLostTime::Table() const
{
    TStatisticsTable table(QStringLiteral("Lost time by reason"),
                           {QStringLiteral("Reason"), QStringLiteral("Class"), QStringLiteral("Minutes"),
                            QStringLiteral("Share"), QStringLiteral("Cumulative")});
    table.Set_Text_Column(1);
    for (const TReason &reason : d_reasons)
        table.Add_Row({Reason_Text(reason),
                       reason.planned            ? QStringLiteral("planned")
                       : reason.reason.isEmpty() ? QStringLiteral("not classified")
                                                 : QStringLiteral("unplanned"),
                       QString::number(reason.seconds / 60.0, 'f', 1), Percent(reason.share),
                       Percent(reason.cumulative_share)});
    return table;
}
