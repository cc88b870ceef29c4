#ifndef QUORVEX_STALLINGPROXY_H
#define QUORVEX_STALLINGPROXY_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A TCP proxy to a server on this machine that can go silent as a link does
// when a cable is pulled or a VPN drops: held, it keeps every connection open
// and answers nothing, in either direction; released, what was held goes on
// its way, as when the link comes back.
class TStallingProxy : public QObject
{
public:
    explicit TStallingProxy(int target_port);
    ~TStallingProxy() override;

    bool Listen();
    int Port() const { return d_server.serverPort(); }
    void Hold();
    void Release();
    // Bytes held on their way to the server: a request sent into the silence.
    int Held_Requests() const;

private:
    struct TPair
    {
        QTcpSocket *client;
        QTcpSocket *server;
        QByteArray to_server;
        QByteArray to_client;
    };
    void Accept();
    void Pass(TPair *pair);

    int d_target_port;
    QTcpServer d_server;
    QList<TPair *> d_pairs;
    bool d_held;
};

#endif
