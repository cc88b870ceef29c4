#ifndef QUORVEX_CONNECTIONSOCKET_H
#define QUORVEX_CONNECTIONSOCKET_H

#include <QSqlDatabase>

#include <mutex>

// The socket of a PostgreSQL connection whose thread may be caught in a request
// on a network gone silent. Shut from another thread, the request fails at once
// and the thread left behind ends, instead of when TCP gives up or the server's
// statement limit comes. Noted and forgotten on the connection's thread, shut
// from any; a socket forgotten before its connection closes is never shut
// after, so no later socket of the same number is touched.
class TConnectionSocket
{
public:
    // Notes the socket of DB, an open PostgreSQL connection.
    void Note(const QSqlDatabase &db);
    // Before the connection is closed.
    void Forget();
    // Both ways, if one is noted; true when one was.
    bool Shut();

private:
    std::mutex d_mutex;
    int d_socket = -1;
};

#endif
