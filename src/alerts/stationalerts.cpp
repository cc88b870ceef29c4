#include "src/alerts/stationalerts.h"

#include "src/alerts/webhook.h"
#include "src/common/clock.h"
#include "src/recorder/recorder.h"

#include <QTimer>

namespace
{
const int ADVANCE_MSEC = 15000;
} // namespace

TStationAlerts::TStationAlerts(const TAlertSettings &settings, const TShiftCalendar &calendar,
                               const TRecorder *recorder, const TClock *clock, const QString &station_name,
                               QObject *parent)
    : QObject(parent), d_settings(settings), d_judge(settings, calendar), d_recorder(recorder), d_clock(clock),
      d_station_name(station_name), d_webhook(nullptr), d_timer(new QTimer(this)), d_watching(false),
      d_executing(false)
{
    if (!settings.webhook_url.isEmpty())
    {
        d_webhook = new TWebhook(QUrl(settings.webhook_url), this);
        connect(d_webhook, &TWebhook::Message, this, &TStationAlerts::Message);
    }
    connect(recorder, &TRecorder::Activity_Changed, this, &TStationAlerts::Follow);
    connect(recorder, &TRecorder::Controller_Message, this,
            [this]() { Publish(d_judge.Add_Message(d_clock->Now())); });
    connect(d_timer, &QTimer::timeout, this, &TStationAlerts::Advance);
    d_timer->start(ADVANCE_MSEC);
}

void TStationAlerts::Set_Shift_Calendar(const TShiftCalendar &calendar)
{
    // The rules start afresh on the new calendar, as if attached now.
    const QDateTime now = d_clock->Now();
    Publish(d_judge.Set_Watching(now, false));
    d_judge = TAlertJudge(d_settings, calendar);
    d_watching = d_executing = false;
    Follow();
}

void TStationAlerts::Advance() { Publish(d_judge.Advance(d_clock->Now())); }

void TStationAlerts::Follow()
{
    const QDateTime now = d_clock->Now();
    const TStationActivity activity = d_recorder->Activity();
    const bool watching = activity == TStationActivity::IDLE || activity == TStationActivity::EXECUTING;
    const bool executing = activity == TStationActivity::EXECUTING;
    if (watching != d_watching)
        Publish(d_judge.Set_Watching(now, watching));
    if (executing != d_executing)
        Publish(d_judge.Set_Executing(now, executing));
    d_watching = watching;
    d_executing = executing;
}

void TStationAlerts::Publish(const QVector<TAlertEvent> &events)
{
    for (const TAlertEvent &event : events)
    {
        emit Message(event.Panel_Line());
        emit Alert(event);
        if (d_webhook)
            d_webhook->Post(event, d_station_name);
    }
}
