#include "src/alerts/webhook.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace
{
const int TIMEOUT_MSEC = 10000;
// Invisible, and no chat tool takes it as part of a mention or an address.
const QChar WORD_JOINER(0x2060);
} // namespace

QString TWebhook::Chat_Text(const QString &text)
{
    QString neutral = text.toHtmlEscaped();
    // toHtmlEscaped also makes quotes entities, which chat tools show as such.
    neutral.replace(QLatin1String("&quot;"), QLatin1String("\""));
    neutral.replace(QLatin1Char('@'), QStringLiteral("@") + WORD_JOINER);
    neutral.replace(QLatin1String("://"), QStringLiteral(":") + WORD_JOINER + QStringLiteral("//"));
    return neutral;
}

bool TWebhook::Address_Allowed(const QUrl &url)
{
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QString host = url.host();
    const QHostAddress address(host);
    return host == QLatin1String("localhost") || (!address.isNull() && address.isLoopback());
}

TWebhook::TWebhook(const QUrl &url, QObject *parent)
    : QObject(parent), d_network(new QNetworkAccessManager(this)), d_url(url), d_failing(false)
{
}

QByteArray TWebhook::Body(const TAlertEvent &event, const QString &station_name)
{
    QJsonObject body;
    // Without the panel's "WAR:  " or "INF:  ".
    const QString line = event.Panel_Line().mid(6);
    body.insert(QStringLiteral("text"), Chat_Text(station_name + QStringLiteral(": ") + line));
    body.insert(QStringLiteral("station"), station_name);
    body.insert(QStringLiteral("kind"), event.kind);
    body.insert(QStringLiteral("state"),
                event.Is_End() ? QStringLiteral("resolved") : QStringLiteral("started"));
    body.insert(QStringLiteral("started"), event.started.toString(Qt::ISODate));
    body.insert(QStringLiteral("ended"), event.Is_End() ? QJsonValue(event.ended.toString(Qt::ISODate))
                                                        : QJsonValue(QJsonValue::Null));
    body.insert(QStringLiteral("detail"), event.detail);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

void TWebhook::Post(const TAlertEvent &event, const QString &station_name)
{
    // An alert crosses the network in clear only where it never leaves this machine.
    if (!Address_Allowed(d_url))
    {
        Report(false, QStringLiteral("the address must be https (plain http only on this machine)"));
        return;
    }
    QNetworkRequest request(d_url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(TIMEOUT_MSEC);
    QNetworkReply *reply = d_network->post(request, Body(event, station_name));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply]()
            {
                reply->deleteLater();
                const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                const bool posted = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
                Report(posted,
                       status != 0 ? QStringLiteral("HTTP status %1").arg(status) : reply->errorString());
            });
}

void TWebhook::Report(bool posted, const QString &reason)
{
    // Never the URL's query or user: a hook's token is often there.
    const QString shown = d_url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery);
    QString told = reason;
    told.replace(d_url.toString(), shown);
    if (!posted && !d_failing)
        emit Message(QStringLiteral("WAR:  Alert not posted to %1: %2").arg(shown, told));
    d_failing = !posted;
    emit Finished(posted);
}
