#include "src/alerts/alertjudge.h"

const QString TAlertJudge::IDLE = QStringLiteral("idle");
const QString TAlertJudge::MESSAGES = QStringLiteral("messages");
const QString TAlertJudge::SILENT = QStringLiteral("silent");

namespace
{
QString Clock_Time(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }
} // namespace

QString TAlertEvent::Panel_Line() const
{
    if (Is_End())
        return QStringLiteral("INF:  Alert resolved: ") + detail + QStringLiteral(" (") + Clock_Time(started) +
               QStringLiteral(" to ") + ended.toString(QStringLiteral("HH:mm")) + QStringLiteral(").");
    return QStringLiteral("WAR:  Alert: ") + detail + QStringLiteral(" (since ") + Clock_Time(started) +
           QStringLiteral(").");
}

TAlertJudge::TAlertJudge(const TAlertSettings &settings, const TShiftCalendar &calendar)
    : d_settings(settings), d_calendar(calendar), d_watching(false), d_executing(false)
{
}

QDateTime TAlertJudge::Earliest_Start(const QString &kind, const QDateTime &at) const
{
    const QDateTime &last = kind == IDLE ? d_last_idle_start : d_last_message_start;
    if (!last.isValid())
        return at;
    return qMax(at, last.addSecs(qint64(d_settings.repeat_minutes) * 60));
}

bool TAlertJudge::May_Start(const QString &kind, const QDateTime &at) const { return Earliest_Start(kind, at) <= at; }

void TAlertJudge::Start(const QString &kind, const QString &detail, const QDateTime &at,
                        QVector<TAlertEvent> *events)
{
    TAlertEvent &active = kind == IDLE ? d_idle : d_messages;
    active = {kind, detail, at, QDateTime()};
    (kind == IDLE ? d_last_idle_start : d_last_message_start) = at;
    events->append(active);
}

void TAlertJudge::End(TAlertEvent *active, const QDateTime &at, QVector<TAlertEvent> *events)
{
    active->ended = at;
    events->append(*active);
    *active = TAlertEvent();
}

QVector<TAlertEvent> TAlertJudge::Advance(const QDateTime &now)
{
    QVector<TAlertEvent> events;
    const int idle_seconds = d_settings.idle_minutes * 60;
    // Idle: within one span of shifts, from the later of the idle moment and the span's start.
    while (idle_seconds > 0)
    {
        if (d_idle.started.isValid())
        {
            if (now < d_idle_shift_end)
                break;
            End(&d_idle, d_idle_shift_end, &events);
            // Idle on into a later span counts again from that span's start.
            d_idle_since = qMax(d_idle_since, d_idle_shift_end);
        }
        if (!d_watching || d_executing || !d_idle_since.isValid() || d_idle_since >= now)
            break;
        bool started = false;
        for (const TShiftCalendar::TInterval &span : d_calendar.Intervals(d_idle_since, now))
        {
            const QDateTime at =
                Earliest_Start(IDLE, qMax(d_idle_since, span.start).addSecs(idle_seconds));
            if (at < span.end && at <= now)
            {
                Start(IDLE,
                      QStringLiteral("machine idle for more than %1 minutes during a shift")
                          .arg(d_settings.idle_minutes),
                      at, &events);
                d_idle_shift_end = span.end;
                started = true;
                break;
            }
        }
        if (!started)
            break;
    }
    // Messages: the alert lasts while more than the threshold lie within the window.
    const int count = d_settings.message_count;
    const qint64 window = qint64(d_settings.message_minutes) * 60;
    if (d_messages.started.isValid() && int(d_message_times.size()) > count)
    {
        const QDateTime end = d_message_times[d_message_times.size() - count - 1].addSecs(window);
        if (end <= now)
            End(&d_messages, end, &events);
    }
    return events;
}

QVector<TAlertEvent> TAlertJudge::Set_Watching(const QDateTime &at, bool watching)
{
    QVector<TAlertEvent> events = Advance(at);
    if (!watching && d_idle.started.isValid())
        End(&d_idle, at, &events);
    if (watching && !d_watching)
        d_idle_since = at;
    d_watching = watching;
    if (!watching)
        d_idle_since = QDateTime();
    return events;
}

QVector<TAlertEvent> TAlertJudge::Set_Executing(const QDateTime &at, bool executing)
{
    QVector<TAlertEvent> events = Advance(at);
    if (executing && d_idle.started.isValid())
        End(&d_idle, at, &events);
    if (!executing && d_executing)
        d_idle_since = at;
    d_executing = executing;
    if (executing)
        d_idle_since = QDateTime();
    else if (!d_idle_since.isValid())
        d_idle_since = at;
    return events;
}

QVector<TAlertEvent> TAlertJudge::Add_Message(const QDateTime &at)
{
    QVector<TAlertEvent> events = Advance(at);
    const int count = d_settings.message_count;
    if (count <= 0 || d_settings.message_minutes <= 0)
        return events;
    const QDateTime window_start = at.addSecs(-qint64(d_settings.message_minutes) * 60);
    d_message_times.push_back(at);
    while (!d_message_times.empty() && d_message_times.front() <= window_start)
        d_message_times.pop_front();
    if (!d_messages.started.isValid() && int(d_message_times.size()) > count && May_Start(MESSAGES, at))
        Start(MESSAGES,
              QStringLiteral("more than %1 controller messages within %2 minutes")
                  .arg(count)
                  .arg(d_settings.message_minutes),
              at, &events);
    return events;
}

TShiftCalendar::TInterval TAlertJudge::Silence(const TShiftCalendar &calendar, int minutes,
                                               const QDateTime &heartbeat, const QDateTime &now)
{
    TShiftCalendar::TInterval silence;
    if (minutes <= 0 || !heartbeat.isValid())
        return silence;
    const QDateTime from = heartbeat.addSecs(qint64(minutes) * 60);
    if (from > now)
        return silence;
    for (const TShiftCalendar::TInterval &span : calendar.Intervals(heartbeat, now))
    {
        const QDateTime at = qMax(from, span.start);
        if (at < span.end && at <= now)
            silence = {at, now >= span.end ? span.end : QDateTime()};
    }
    return silence;
}
