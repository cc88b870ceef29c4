#include "src/database/connectionpool.h"

#include <QAtomicInt>
#include <QThread>

namespace
{
QAtomicInt g_serial;
}

TConnectionPool::TConnectionPool(const QString &base_name) : d_base_name(base_name) {}

TConnectionPool::~TConnectionPool()
{
    Remove_All();
}

QSqlDatabase TConnectionPool::Connection(const QString &file_name)
{
    QThread *thread = QThread::currentThread();
    std::lock_guard<std::mutex> lock(d_mutex);

    auto found = d_entries.constFind(thread);
    if (found != d_entries.constEnd())
    {
        QSqlDatabase db = QSqlDatabase::database(found->name, false);
        if (!db.isOpen())
            db.open();
        return db;
    }

    TEntry entry;
    entry.name = QStringLiteral("%1_thread_%2").arg(d_base_name).arg(g_serial.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), entry.name);
    db.setDatabaseName(file_name);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    db.open();
    // Runs in the finishing thread itself, where its connection may be closed.
    entry.finished = QObject::connect(
        thread, &QThread::finished, thread, [this, thread]() { Remove_Thread(thread); },
        Qt::DirectConnection);
    d_entries.insert(thread, entry);
    return db;
}

void TConnectionPool::Remove_Thread(QThread *thread)
{
    std::lock_guard<std::mutex> lock(d_mutex);
    auto found = d_entries.find(thread);
    if (found == d_entries.end())
        return;
    QObject::disconnect(found->finished);
    Unregister(found->name);
    d_entries.erase(found);
}

void TConnectionPool::Remove_All()
{
    std::lock_guard<std::mutex> lock(d_mutex);
    for (const TEntry &entry : qAsConst(d_entries))
    {
        QObject::disconnect(entry.finished);
        Unregister(entry.name);
    }
    d_entries.clear();
}

int TConnectionPool::Count() const
{
    std::lock_guard<std::mutex> lock(d_mutex);
    return d_entries.size();
}

void TConnectionPool::Unregister(const QString &name)
{
    // The pool keeps no handle, so the toolkit closes the file here and sees no connection still in use.
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
}
