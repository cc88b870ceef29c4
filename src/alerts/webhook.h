#ifndef QUORVEX_WEBHOOK_H
#define QUORVEX_WEBHOOK_H

#include "src/alerts/alertjudge.h"

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

// Posts each alert's start and end as JSON to a URL (a chat workflow's
// incoming hook, say): {"text": ..., "station": ..., "kind": ..., "state":
// "started" or "resolved", "started": ..., "ended": ..., "detail": ...}.
// "text" is what chat tools show: names and messages recorded elsewhere go
// there with chat markup neutralised (no mention, link or markup of theirs
// acts); the other fields carry them as they are. Only an https address is
// posted to, or plain http on this machine. Lives on the GUI thread; a post
// that fails is said once until one succeeds again.
class TWebhook : public QObject
{
    Q_OBJECT

public:
    TWebhook(const QUrl &url, QObject *parent = nullptr);

    void Post(const TAlertEvent &event, const QString &station_name);
    static QByteArray Body(const TAlertEvent &event, const QString &station_name);
    // TEXT as chat tools show it literally: &, < and > as entities (the common
    // escape of incoming hooks), a mark after each @ and in each :// so that
    // no mention or bare link is made of it.
    static QString Chat_Text(const QString &text);
    static bool Address_Allowed(const QUrl &url);

signals:
    void Message(const QString &text);
    // After each post's reply, whatever it was (for whoever waits for one).
    void Finished(bool posted);

private:
    void Report(bool posted, const QString &reason);

    QNetworkAccessManager *d_network;
    QUrl d_url;
    bool d_failing;
};

#endif
