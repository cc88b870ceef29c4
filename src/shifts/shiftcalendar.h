#ifndef QUORVEX_SHIFTCALENDAR_H
#define QUORVEX_SHIFTCALENDAR_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <QVector>

class QSettings;

// The weekly shift calendar utilisation is measured against: for each weekday
// the shifts the machine is meant to run, and the utilisation aimed at. A
// shift whose end is not after its start ends on the next day ("22:00-06:00");
// "24:00" is the end of the day. Kept in Settings.ini, group "Shift_Calendar",
// one key per weekday ("Monday=06:00-14:00, 14:00-22:00"; empty: no shift).
class TShiftCalendar
{
public:
    struct TShift
    {
        QTime start;
        // Invalid for "24:00".
        QTime end;
        bool operator==(const TShift &other) const { return start == other.start && end == other.end; }
    };

    // Monday to Friday 06:00-22:00, a target of 85%.
    TShiftCalendar();

    // Qt's numbering: 1 is Monday, 7 is Sunday.
    QVector<TShift> Shifts(int day_of_week) const;
    void Set_Shifts(int day_of_week, const QVector<TShift> &shifts);
    double Target() const { return d_target; }
    void Set_Target(double target) { d_target = target; }

    // The scheduled seconds of DATE in ZONE (local time when invalid): the part
    // of every shift that falls within that day, from its midnight to the next,
    // in real seconds (a day of a change of daylight saving time holds an hour
    // less or more), and none after UNTIL when it is given. A night shift
    // 22:00-06:00 gives two hours to the day it starts and six to the next.
    qint64 Scheduled_Seconds(const QDate &date, const QTimeZone &zone = QTimeZone(),
                             const QDateTime &until = QDateTime()) const;

    // "06:00-14:00, 14:00-22:00"; false (shifts untouched) when any part is not of that form.
    static bool Parse(const QString &text, QVector<TShift> *shifts);
    static QString Text(const QVector<TShift> &shifts);
    static QString Day_Name(int day_of_week);

    // What cannot be read keeps the default of that day.
    void Read(QSettings *settings);
    void Write(QSettings *settings) const;

    // One line of all days and the target ("Monday=06:00-22:00;...;Target=85"),
    // as a station tells the central database; what cannot be read keeps the default.
    QString Line() const;
    static TShiftCalendar From_Line(const QString &line);
    // The shifts that overlap [FROM, TO), as moments in FROM's time zone when
    // it is given one (a station's own), else in local time, in order;
    // a shift across midnight is one interval, and shifts that meet are one.
    struct TInterval
    {
        QDateTime start;
        QDateTime end;
    };
    QVector<TInterval> Intervals(const QDateTime &from, const QDateTime &to) const;
    // The shift interval holding AT; an invalid interval when none does.
    TInterval Interval_At(const QDateTime &at) const;

    bool operator==(const TShiftCalendar &other) const;
    bool operator!=(const TShiftCalendar &other) const { return !(*this == other); }

private:
    static QDateTime Moment(const QDate &date, const QTime &time, const QTimeZone &zone);

    QVector<TShift> d_shifts[7];
    double d_target;
};

#endif
