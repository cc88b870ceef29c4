#ifndef QUORVEX_CONNECTIONPOOL_H
#define QUORVEX_CONNECTIONPOOL_H

#include <QHash>
#include <QMetaObject>
#include <QSqlDatabase>
#include <QString>

#include <mutex>

class QThread;

// The connections of threads other than the one that opened the database.
// The toolkit's SQL connections may only be used in the thread that made them,
// so each such thread gets one of its own on the same file, registered under a
// name derived from the owner's, and removed when that thread finishes.
// Thread-safe; owned by TDatabase.
class TConnectionPool
{
public:
    explicit TConnectionPool(const QString &base_name);
    ~TConnectionPool();

    // The calling thread's connection on file_name, registered and opened on
    // first use; an invalid or closed handle when it cannot be opened.
    QSqlDatabase Connection(const QString &file_name);

    // Unregisters every connection the pool made.
    void Remove_All();

    int Count() const;

private:
    struct TEntry
    {
        QString name;
        QMetaObject::Connection finished;
    };

    void Remove_Thread(QThread *thread);
    static void Unregister(const QString &name);

    QString d_base_name;
    QHash<QThread *, TEntry> d_entries;
    mutable std::mutex d_mutex;
};

#endif
