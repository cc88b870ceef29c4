#ifndef QUORVEX_ALERTRELAY_H
#define QUORVEX_ALERTRELAY_H

#include "src/alerts/alertjudge.h"
#include "src/alerts/alertsettings.h"

#include <QObject>

class TWebhook;

// Passes on the alerts judged of other stations (a silent one, by whoever
// reads the fleet): a line for the panel, and the webhook's post when one is set.
class TAlertRelay : public QObject
{
    Q_OBJECT

public:
    explicit TAlertRelay(const TAlertSettings &alerts, QObject *parent = nullptr);

    void Relay(const TAlertEvent &event, const QString &station_name);

signals:
    void Message(const QString &text);

private:
    TWebhook *d_webhook;
};

#endif
