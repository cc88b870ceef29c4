#ifndef QUORVEX_ALERTJUDGE_H
#define QUORVEX_ALERTJUDGE_H

#include "src/alerts/alertsettings.h"
#include "src/shifts/shiftcalendar.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

#include <deque>

// An alert's start (ended invalid) or end.
struct TAlertEvent
{
    QString kind;
    QString detail;
    QDateTime started;
    QDateTime ended;
    bool Is_End() const { return ended.isValid(); }
    // Unique per station: what the central database keys the alert by.
    QString Key() const { return kind + QLatin1Char(':') + started.toString(Qt::ISODateWithMs); }
    // The panel's line: "WAR:  Alert: ..." or "INF:  Alert resolved: ...".
    QString Panel_Line() const;
};
Q_DECLARE_METATYPE(TAlertEvent)

// The station's own alert rules, judged on what it recorded: the machine
// idle longer than the threshold within one span of shifts, and more
// controller messages than the threshold within a sliding window. Told each
// change at its moment, it gives the alerts that started or ended up to that
// moment, each at the moment it did (not when it was asked). Pure: the
// caller brings the time.
class TAlertJudge
{
public:
    static const QString IDLE;
    static const QString MESSAGES;
    static const QString SILENT;

    TAlertJudge(const TAlertSettings &settings, const TShiftCalendar &calendar);

    // Monitoring attached to the software (its machine can be judged) or not.
    QVector<TAlertEvent> Set_Watching(const QDateTime &at, bool watching);
    QVector<TAlertEvent> Set_Executing(const QDateTime &at, bool executing);
    QVector<TAlertEvent> Add_Message(const QDateTime &at);
    QVector<TAlertEvent> Advance(const QDateTime &now);

    // The silence of a station last heard at HEARTBEAT, as the viewer of the
    // fleet judges it at NOW: the start of the latest silent alert (invalid:
    // none) and its end at the end of its span of shifts (invalid: ongoing).
    static TShiftCalendar::TInterval Silence(const TShiftCalendar &calendar, int minutes,
                                             const QDateTime &heartbeat, const QDateTime &now);

private:
    bool May_Start(const QString &kind, const QDateTime &at) const;
    QDateTime Earliest_Start(const QString &kind, const QDateTime &at) const;
    void Start(const QString &kind, const QString &detail, const QDateTime &at, QVector<TAlertEvent> *events);
    void End(TAlertEvent *active, const QDateTime &at, QVector<TAlertEvent> *events);

    TAlertSettings d_settings;
    TShiftCalendar d_calendar;
    bool d_watching;
    bool d_executing;
    QDateTime d_idle_since;
    TAlertEvent d_idle;
    QDateTime d_idle_shift_end;
    TAlertEvent d_messages;
    std::deque<QDateTime> d_message_times;
    QDateTime d_last_idle_start;
    QDateTime d_last_message_start;
};

#endif
