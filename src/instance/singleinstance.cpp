#include "src/instance/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace
{
// How long a later start waits for the running one to take its call.
const int CALL_LIMIT_MSEC = 2000;
const int KEY_BYTES = 32;

QByteArray Read_Key(const QString &file_name)
{
    QFile file(file_name);
    const QByteArray key = file.open(QIODevice::ReadOnly) ? file.read(2 * KEY_BYTES + 1) : QByteArray();
    return key.size() == 2 * KEY_BYTES ? key : QByteArray();
}
} // namespace

TSingleInstance::TSingleInstance(const QString &folder, const QString &key_file, QObject *parent)
    : QObject(parent), d_folder(QFileInfo(folder).absoluteFilePath()),
      d_key_file(key_file.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                          QStringLiteral("/Quorvex/instance.key")
                                    : key_file),
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

QByteArray TSingleInstance::Key() const
{
    QByteArray key = Read_Key(d_key_file);
    if (!key.isEmpty())
        return key;
    // A key cut short would make every start a name of its own: made again.
    QFile::remove(d_key_file);
    // Written whole under a name of its own, then put in place unless another start put one first.
    QByteArray made(KEY_BYTES, Qt::Uninitialized);
    QRandomGenerator::system()->generate(made.begin(), made.end());
    QDir().mkpath(QFileInfo(d_key_file).absolutePath());
    QFile file(d_key_file + QStringLiteral(".") + QString::number(QRandomGenerator::system()->generate()));
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write(made.toHex()) > 0 && file.flush())
    {
        file.close();
        if (!file.rename(d_key_file))
            file.remove();
    }
    key = Read_Key(d_key_file);
    // A key that cannot be kept still makes a name of its own for this run; later starts cannot call it.
    return key.isEmpty() ? made.toHex() : key;
}

QString TSingleInstance::Server_Name() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QDir::cleanPath(d_folder).toUtf8());
    hash.addData("\n", 1);
    hash.addData(Key());
    return QStringLiteral("quorvex-") + QString::fromLatin1(hash.result().toHex().left(32));
}

TSingleInstance::TClaim TSingleInstance::Claim()
{
    QDir().mkpath(d_folder);
    if (!d_lock.tryLock(0))
    {
        if (d_lock.error() == QLockFile::LockFailedError)
            return Ask_Forward() ? TClaim::FORWARDED : TClaim::HELD;
        // A folder that takes no lock file stores nothing either: the window says that, so it runs.
        return TClaim::OURS;
    }
    Listen();
    return TClaim::OURS;
}

void TSingleInstance::Listen()
{
    d_server = new QLocalServer;
    d_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = Server_Name();
    // A socket file of a killed program would refuse the name: the lock says it is ours.
    QLocalServer::removeServer(name);
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
    if (!d_server->listen(name))
        d_listen_error = QStringLiteral("%1: %2").arg(name, d_server->errorString());
}

bool TSingleInstance::Ask_Forward() const
{
    QLocalSocket socket;
    socket.connectToServer(Server_Name());
    if (!socket.waitForConnected(CALL_LIMIT_MSEC))
        return false;
    // The running one hangs up once it has taken the call.
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(CALL_LIMIT_MSEC);
}
