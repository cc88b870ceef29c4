#include "src/centraldb/connectionsocket.h"

#include <QLibrary>
#include <QSqlDriver>
#include <QVariant>

#include <winsock2.h>

namespace
{
using TPqSocket = int (*)(const void *connection);

// PostgreSQL's client library, which Qt's driver has loaded: its call that names the socket.
TPqSocket Pq_Socket()
{
    static const TPqSocket resolved = []()
    {
#ifdef Q_OS_WIN
        QLibrary library(QStringLiteral("libpq"));
#else
        QLibrary library(QStringLiteral("pq"), 5);
#endif
        return reinterpret_cast<TPqSocket>(library.resolve("PQsocket"));
    }();
    return resolved;
}
} // namespace

void TConnectionSocket::Note(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    const TPqSocket pq_socket = Pq_Socket();
    if (!pq_socket || !handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return;
    const void *connection = *static_cast<void *const *>(handle.data());
    const int socket = connection ? pq_socket(connection) : -1;
    std::lock_guard<std::mutex> lock(d_mutex);
    d_socket = socket;
}

void TConnectionSocket::Forget()
{
    std::lock_guard<std::mutex> lock(d_mutex);
    d_socket = -1;
}

bool TConnectionSocket::Shut()
{
    std::lock_guard<std::mutex> lock(d_mutex);
    if (d_socket < 0)
        return false;
    shutdown(static_cast<SOCKET>(d_socket), SD_BOTH);
    return true;
}
