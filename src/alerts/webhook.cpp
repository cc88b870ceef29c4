#include "src/alerts/webhook.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace
{
const int TIMEOUT_MSEC = 10000;
} // namespace

TWebhook::TWebhook(const QUrl &url, QObject *parent)
    : QObject(parent), d_network(new QNetworkAccessManager(this)), d_url(url), d_failing(false)
{
}

QByteArray TWebhook::Body(const TAlertEvent &event, const QString &station_name)
{
    QJsonObject body;
    // Without the panel's "WAR:  " or "INF:  ".
    const QString line = event.Panel_Line().mid(6);
    body.insert(QStringLiteral("text"), station_name + QStringLiteral(": ") + line);
    body.insert(QStringLiteral("station"), station_name);
    body.insert(QStringLiteral("kind"), event.kind);
    body.insert(QStringLiteral("state"), event.Is_End() ? QStringLiteral("resolved") : QStringLiteral("started"));
    body.insert(QStringLiteral("started"), event.started.toString(Qt::ISODate));
    body.insert(QStringLiteral("ended"),
                event.Is_End() ? QJsonValue(event.ended.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null));
    body.insert(QStringLiteral("detail"), event.detail);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

void TWebhook::Post(const TAlertEvent &event, const QString &station_name)
{
    QNetworkRequest request(d_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(TIMEOUT_MSEC);
    QNetworkReply *reply = d_network->post(request, Body(event, station_name));
    connect(reply, &QNetworkReply::finished, this, [this, reply]() {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool posted = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
        // Never the URL's query or user: a hook's token is often there.
        const QString shown = d_url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery);
        QString reason = status != 0 ? QStringLiteral("HTTP status %1").arg(status) : reply->errorString();
        reason.replace(d_url.toString(), shown);
        if (!posted && !d_failing)
            emit Message(QStringLiteral("WAR:  Alert not posted to %1: %2").arg(shown, reason));
        d_failing = !posted;
        emit Finished(posted);
    });
}
