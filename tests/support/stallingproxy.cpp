#include "tests/support/stallingproxy.h"

#include <QTcpSocket>

TStallingProxy::TStallingProxy(int target_port) : d_target_port(target_port), d_held(false)
{
    connect(&d_server, &QTcpServer::newConnection, this, &TStallingProxy::Accept);
}

TStallingProxy::~TStallingProxy()
{
    // Neither side's end may reach the other once deleted.
    for (TPair *pair : d_pairs)
    {
        pair->client->disconnect(this);
        pair->server->disconnect(this);
    }
    for (TPair *pair : d_pairs)
    {
        delete pair->client;
        delete pair->server;
        delete pair;
    }
}

bool TStallingProxy::Listen()
{
    return d_server.listen(QHostAddress::LocalHost, 0);
}

void TStallingProxy::Hold()
{
    d_held = true;
}

void TStallingProxy::Release()
{
    d_held = false;
    for (TPair *pair : d_pairs)
        Pass(pair);
}

int TStallingProxy::Held_Requests() const
{
    int bytes = 0;
    for (const TPair *pair : d_pairs)
        bytes += pair->to_server.size();
    return bytes;
}

void TStallingProxy::Accept()
{
    while (QTcpSocket *client = d_server.nextPendingConnection())
    {
        client->setParent(nullptr);
        TPair *pair = new TPair{client, new QTcpSocket, QByteArray(), QByteArray()};
        d_pairs << pair;
        connect(client, &QTcpSocket::readyRead, this, [this, pair]() { Pass(pair); });
        connect(pair->server, &QTcpSocket::readyRead, this, [this, pair]() { Pass(pair); });
        connect(pair->server, &QTcpSocket::connected, this, [this, pair]() { Pass(pair); });
        // A side that ends ends the other, unless held: a silent link tells nothing.
        connect(client, &QTcpSocket::disconnected, this,
                [this, pair]()
                {
                    if (!d_held)
                        pair->server->disconnectFromHost();
                });
        connect(pair->server, &QTcpSocket::disconnected, this,
                [this, pair]()
                {
                    if (!d_held)
                        pair->client->disconnectFromHost();
                });
        pair->server->connectToHost(QHostAddress::LocalHost, quint16(d_target_port));
    }
}

// What came in is kept while held and passed on otherwise.
void TStallingProxy::Pass(TPair *pair)
{
    pair->to_server += pair->client->readAll();
    pair->to_client += pair->server->readAll();
    if (d_held || pair->server->state() != QAbstractSocket::ConnectedState)
        return;
    pair->server->write(pair->to_server);
    pair->to_server.clear();
    if (pair->client->state() == QAbstractSocket::ConnectedState)
        pair->client->write(pair->to_client);
    pair->to_client.clear();
}
