#ifndef QUORVEX_WEBHOOK_H
#define QUORVEX_WEBHOOK_H

#include "src/alerts/alertjudge.h"

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

// Posts each alert's start and end as JSON to a URL (a chat workflow's
// incoming hook, say): {"text": ..., "station": ..., "kind": ..., "state":
// "started" or "resolved", "started": ..., "ended": ..., "detail": ...}.
// "text" is what chat tools show. Lives on the GUI thread; a post that fails
// is said once until one succeeds again.
class TWebhook : public QObject
{
    Q_OBJECT

public:
    TWebhook(const QUrl &url, QObject *parent = nullptr);

    void Post(const TAlertEvent &event, const QString &station_name);
    static QByteArray Body(const TAlertEvent &event, const QString &station_name);

signals:
    void Message(const QString &text);
    // After each post's reply, whatever it was (for whoever waits for one).
    void Finished(bool posted);

private:
    QNetworkAccessManager *d_network;
    QUrl d_url;
    bool d_failing;
};

#endif
