#include "src/shifts/shiftcalendar.h"

#include <algorithm>

#include <QDateTime>
#include <QRegularExpression>
#include <QSettings>

namespace
{
const char *const GROUP = "Shift_Calendar";
const char *const TARGET_KEY = "Target_Utilisation";
const char *const DAY_NAMES[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                  "Friday", "Saturday", "Sunday"};

bool Valid_Day(int day_of_week)
{
    return day_of_week >= 1 && day_of_week <= 7;
}

QString Time_Text(const QTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm")) : QStringLiteral("24:00");
}
} // namespace

TShiftCalendar::TShiftCalendar() : d_target(0.85)
{
    for (int day = 1; day <= 5; ++day)
        d_shifts[day - 1] = {{QTime(6, 0), QTime(22, 0)}};
}

QVector<TShiftCalendar::TShift> TShiftCalendar::Shifts(int day_of_week) const
{
    return Valid_Day(day_of_week) ? d_shifts[day_of_week - 1] : QVector<TShift>();
}

void TShiftCalendar::Set_Shifts(int day_of_week, const QVector<TShift> &shifts)
{
    if (Valid_Day(day_of_week))
        d_shifts[day_of_week - 1] = shifts;
}

QDateTime TShiftCalendar::Moment(const QDate &date, const QTime &time, const QTimeZone &zone)
{
    return zone.isValid() ? QDateTime(date, time, zone) : QDateTime(date, time);
}

qint64 TShiftCalendar::Scheduled_Seconds(const QDate &date, const QTimeZone &zone,
                                         const QDateTime &until) const
{
    if (!date.isValid())
        return 0;
    const QDateTime from = Moment(date, QTime(0, 0), zone);
    QDateTime to = Moment(date.addDays(1), QTime(0, 0), zone);
    if (until.isValid() && until < to)
        to = until;
    qint64 seconds = 0;
    for (const TInterval &span : Intervals(from, to))
        seconds += qMax(span.start, from).secsTo(qMin(span.end, to));
    return seconds;
}

bool TShiftCalendar::Parse(const QString &text, QVector<TShift> *shifts)
{
    static const QRegularExpression SHIFT(
        QStringLiteral("^([01]\\d|2[0-3]):([0-5]\\d)-(([01]\\d|2[0-3]):([0-5]\\d)|24:00)$"));
    QVector<TShift> parsed;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
    {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        const QRegularExpressionMatch match = SHIFT.match(trimmed);
        if (!match.hasMatch())
            return false;
        const QTime start(match.captured(1).toInt(), match.captured(2).toInt());
        const QTime end = match.captured(3) == QLatin1String("24:00")
                              ? QTime()
                              : QTime(match.captured(4).toInt(), match.captured(5).toInt());
        parsed.append({start, end});
    }
    *shifts = parsed;
    return true;
}

QString TShiftCalendar::Text(const QVector<TShift> &shifts)
{
    QStringList parts;
    for (const TShift &shift : shifts)
        parts << Time_Text(shift.start) + QLatin1Char('-') + Time_Text(shift.end);
    return parts.join(QStringLiteral(", "));
}

QString TShiftCalendar::Day_Name(int day_of_week)
{
    return Valid_Day(day_of_week) ? QString::fromLatin1(DAY_NAMES[day_of_week - 1]) : QString();
}

void TShiftCalendar::Read(QSettings *settings)
{
    settings->beginGroup(QLatin1String(GROUP));
    for (int day = 1; day <= 7; ++day)
    {
        const QVariant value = settings->value(Day_Name(day));
        if (!value.isValid())
            continue;
        // An unquoted value holding commas comes back as a list of its parts.
        const QString text = value.type() == QVariant::StringList
                                 ? value.toStringList().join(QLatin1Char(','))
                                 : value.toString();
        QVector<TShift> shifts;
        if (Parse(text, &shifts))
            d_shifts[day - 1] = shifts;
    }
    bool number = false;
    const double percent = settings->value(QLatin1String(TARGET_KEY)).toDouble(&number);
    if (number && percent > 0 && percent <= 200)
        d_target = percent / 100;
    settings->endGroup();
}

void TShiftCalendar::Write(QSettings *settings) const
{
    settings->beginGroup(QLatin1String(GROUP));
    for (int day = 1; day <= 7; ++day)
        settings->setValue(Day_Name(day), Text(d_shifts[day - 1]));
    settings->setValue(QLatin1String(TARGET_KEY), qRound(d_target * 1000) / 10.0);
    settings->endGroup();
}

QString TShiftCalendar::Line() const
{
    QStringList days;
    for (int day = 1; day <= 7; ++day)
        days << Day_Name(day) + QLatin1Char('=') + Text(d_shifts[day - 1]);
    days << QStringLiteral("Target=") + QString::number(qRound(d_target * 1000) / 10.0);
    return days.join(QLatin1Char(';'));
}

TShiftCalendar TShiftCalendar::From_Line(const QString &line)
{
    TShiftCalendar calendar;
    for (const QString &part : line.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    {
        const QString key = part.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = part.section(QLatin1Char('='), 1);
        bool number = false;
        const double percent = value.toDouble(&number);
        if (key == QLatin1String("Target") && number && percent > 0 && percent <= 200)
            calendar.d_target = percent / 100;
        for (int day = 1; day <= 7; ++day)
        {
            QVector<TShift> shifts;
            if (key == Day_Name(day) && Parse(value, &shifts))
                calendar.d_shifts[day - 1] = shifts;
        }
    }
    return calendar;
}

QVector<TShiftCalendar::TInterval> TShiftCalendar::Intervals(const QDateTime &from, const QDateTime &to) const
{
    QVector<TInterval> intervals;
    // Shifts are in the zone FROM is given in (a station's own), else in local time.
    const QTimeZone zone = from.timeSpec() == Qt::TimeZone ? from.timeZone() : QTimeZone();
    // A shift of the day before may reach into FROM's day; TO's day is its day in that zone too.
    const QDate last = (zone.isValid() ? to.toTimeZone(zone) : to.toLocalTime()).date();
    for (QDate date = from.date().addDays(-1); date.isValid() && date <= last; date = date.addDays(1))
        for (const TShift &shift : d_shifts[date.dayOfWeek() - 1])
        {
            const QDateTime start = Moment(date, shift.start, zone);
            const bool next_day = shift.end.isValid() && shift.end <= shift.start;
            const QDateTime end = shift.end.isValid()
                                      ? Moment(next_day ? date.addDays(1) : date, shift.end, zone)
                                      : Moment(date.addDays(1), QTime(0, 0), zone);
            if (end > from && start < to)
                intervals.append({start, end});
        }
    std::sort(intervals.begin(), intervals.end(),
              [](const TInterval &a, const TInterval &b) { return a.start < b.start; });
    // Shifts that meet (06:00-14:00, 14:00-22:00) are one span of scheduled time.
    QVector<TInterval> merged;
    for (const TInterval &interval : intervals)
        if (!merged.isEmpty() && interval.start <= merged.last().end)
            merged.last().end = qMax(merged.last().end, interval.end);
        else
            merged.append(interval);
    return merged;
}

TShiftCalendar::TInterval TShiftCalendar::Interval_At(const QDateTime &at) const
{
    for (const TInterval &interval : Intervals(at, at.addMSecs(1)))
        if (interval.start <= at && at < interval.end)
            return interval;
    return {};
}

bool TShiftCalendar::operator==(const TShiftCalendar &other) const
{
    for (int day = 0; day < 7; ++day)
        if (d_shifts[day] != other.d_shifts[day])
            return false;
    return qFuzzyCompare(d_target, other.d_target);
}
