#include "src/summaries/summaryschedule.h"

#include "src/common/groupname.h"

#include <QSettings>

namespace
{
const int DAYS_CAUGHT_UP = 31;
const int WEEKS_CAUGHT_UP = 8;
const char *const GROUP = "Summaries";
} // namespace

QString TSummarySchedule::TPeriod::Name() const
{
    if (kind == DAILY)
        return QStringLiteral("daily ") + first.toString(Qt::ISODate);
    int year = 0;
    const int week = first.weekNumber(&year);
    return QStringLiteral("weekly %1-W%2").arg(year).arg(week, 2, 10, QLatin1Char('0'));
}

void TSummarySchedule::Read(QSettings *settings)
{
    settings->beginGroup(QLatin1String(GROUP));
    folder = settings->value(QStringLiteral("Folder")).toString().trimmed();
    const QTime time = QTime::fromString(
        settings->value(QStringLiteral("Time"), QStringLiteral("06:00")).toString(), QStringLiteral("HH:mm"));
    at = time.isValid() ? time : QTime(6, 0);
    daily = settings->value(QStringLiteral("Daily"), true).toBool();
    weekly = settings->value(QStringLiteral("Weekly"), true).toBool();
    scope = settings->value(QStringLiteral("Scope"), QStringLiteral("station")).toString() ==
                    QLatin1String("fleet")
                ? QStringLiteral("fleet")
                : QStringLiteral("station");
    group = TGroupName::Clean(settings->value(QStringLiteral("Group")).toString());
    last_daily = QDate::fromString(settings->value(QStringLiteral("Last_Daily")).toString(), Qt::ISODate);
    last_weekly = QDate::fromString(settings->value(QStringLiteral("Last_Weekly")).toString(), Qt::ISODate);
    settings->endGroup();
}

void TSummarySchedule::Written(const TPeriod &period, QSettings *settings)
{
    QDate &last = period.kind == DAILY ? last_daily : last_weekly;
    last = qMax(last, period.first);
    settings->beginGroup(QLatin1String(GROUP));
    settings->setValue(QLatin1String(period.kind == DAILY ? "Last_Daily" : "Last_Weekly"),
                       last.toString(Qt::ISODate));
    settings->endGroup();
    settings->sync();
}

QVector<TSummarySchedule::TPeriod> TSummarySchedule::Due(const QDateTime &now) const
{
    QVector<TPeriod> due;
    if (folder.isEmpty())
        return due;
    const QDate today = now.date();
    const bool past_time = now.time() >= at;
    if (daily)
    {
        const QDate latest = today.addDays(past_time ? -1 : -2);
        QDate first = last_daily.isValid() ? last_daily.addDays(1) : latest;
        first = qMax(first, latest.addDays(1 - DAYS_CAUGHT_UP));
        for (QDate day = first; day <= latest; day = day.addDays(1))
            due.append({DAILY, day, day});
    }
    if (weekly)
    {
        const QDate this_monday = today.addDays(1 - today.dayOfWeek());
        const bool monday_done = today > this_monday || past_time;
        const QDate latest = this_monday.addDays(monday_done ? -7 : -14);
        // A Monday noted in an old or edited file is taken as its week's.
        QDate first = last_weekly.isValid() ? last_weekly.addDays(1 - last_weekly.dayOfWeek() + 7) : latest;
        first = qMax(first, latest.addDays(-7 * (WEEKS_CAUGHT_UP - 1)));
        for (QDate monday = first; monday <= latest; monday = monday.addDays(7))
            due.append({WEEKLY, monday, monday.addDays(6)});
    }
    return due;
}
