#include "src/alerts/alertrelay.h"

#include "src/alerts/webhook.h"

#include <QUrl>

TAlertRelay::TAlertRelay(const TAlertSettings &alerts, QObject *parent) : QObject(parent), d_webhook(nullptr)
{
    if (alerts.webhook_url.isEmpty())
        return;
    d_webhook = new TWebhook(QUrl(alerts.webhook_url), this);
    connect(d_webhook, &TWebhook::Message, this, &TAlertRelay::Message);
}

void TAlertRelay::Relay(const TAlertEvent &event, const QString &station_name)
{
    emit Message(station_name + QStringLiteral(": ") + event.Panel_Line());
    if (d_webhook)
        d_webhook->Post(event, station_name);
}
