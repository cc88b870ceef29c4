#include "src/instance/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace
{
// How long a later start waits for the running one to take its call.
const int CALL_LIMIT_MSEC = 2000;
} // namespace

TSingleInstance::TSingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), d_folder(QFileInfo(folder).absoluteFilePath()),
      d_lock(d_folder + QStringLiteral("/quorvex.lock")), d_server(nullptr)
{
    // Only a lock whose program is gone counts as stale, however old.
    d_lock.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance()
{
    // The lock goes with d_lock after the server no longer answers.
    delete d_server;
}

QString TSingleInstance::Server_Name() const
{
    // Per folder and per user: the folder is the user's own.
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(d_folder).toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("quorvex-") + QString::fromLatin1(hash.left(24));
}

bool TSingleInstance::Claim()
{
    QDir().mkpath(d_folder);
    if (!d_lock.tryLock(0))
    {
        if (d_lock.error() == QLockFile::LockFailedError)
        {
            Ask_Forward();
            return false;
        }
        // A folder that takes no lock file stores nothing either: the window says that, so it runs.
        return true;
    }
    d_server = new QLocalServer;
    d_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file of a killed program would refuse the name: the lock says it is ours.
    QLocalServer::removeServer(Server_Name());
    connect(d_server, &QLocalServer::newConnection, this,
            [this]()
            {
                while (QLocalSocket *socket = d_server->nextPendingConnection())
                {
                    // Being called is the whole message: nothing sent is read.
                    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                    socket->disconnectFromServer();
                    emit Asked_Forward();
                }
            });
    d_server->listen(Server_Name());
    return true;
}

void TSingleInstance::Ask_Forward() const
{
    QLocalSocket socket;
    socket.connectToServer(Server_Name());
    if (socket.waitForConnected(CALL_LIMIT_MSEC))
        socket.waitForDisconnected(CALL_LIMIT_MSEC);
}
