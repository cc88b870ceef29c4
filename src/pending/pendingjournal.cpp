#include "src/pending/pendingjournal.h"

#include "src/database/stopstore.h"
#include "src/pending/pendingfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace
{
const QString ENTRY_SUFFIX = QStringLiteral(".entry");
const QString USAGE_SUFFIX = QStringLiteral(".usage");
const QString STOP_SUFFIX = QStringLiteral(".stop");
const QString SUFFIXES[] = {ENTRY_SUFFIX, USAGE_SUFFIX, STOP_SUFFIX};
// A retry must not hold the window while another program keeps its lock.
const int RETRY_BUSY_TIMEOUT_MSEC = 100;
} // namespace

TPendingJournal::TPendingJournal(TDatabase *database) : d_database(database), d_next_number(1), d_written(0)
{
}

bool TPendingJournal::Open(const QString &folder)
{
    d_folder = folder;
    d_files.clear();
    d_next_number = 1;
    if (!QDir().mkpath(folder))
    {
        d_keep_error = QStringLiteral("Cannot make the folder '%1'.").arg(folder);
        return false;
    }
    Remove_Broken_Writes(folder);
    // Zero-padded numbers: the order of the names is the order of keeping.
    d_files = QDir(folder).entryList(
        {QLatin1Char('*') + ENTRY_SUFFIX, QLatin1Char('*') + USAGE_SUFFIX, QLatin1Char('*') + STOP_SUFFIX},
        QDir::Files, QDir::Name);
    if (!d_files.isEmpty())
        d_next_number = d_files.last().section(QLatin1Char('.'), 0, 0).toLongLong() + 1;
    return true;
}

// A write killed before its commit leaves the saving file's temporary copy
// ("0000000000000017.entry.AbCdEf" where the system gives it a name). It never
// became an entry, so it is removed once it is older than this start: a copy
// made since may belong to a write still going on.
void TPendingJournal::Remove_Broken_Writes(const QString &folder)
{
    static const QRegularExpression broken(
        QStringLiteral("^[0-9]{16}\\.(entry|usage|stop)\\.[A-Za-z0-9]{6}$"));
    const QDateTime start = QDateTime::currentDateTimeUtc();
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : files)
    {
        if (broken.match(file.fileName()).hasMatch() && file.lastModified().toUTC() < start)
            QFile::remove(file.filePath());
    }
}

TPendingJournal::TResult TPendingJournal::Add_Execution(const TExecution &item)
{
    return Add(TPendingFile::Execution(item));
}

TPendingJournal::TResult TPendingJournal::Add_Usage(TDatabase::TUsageTotal total, int seconds)
{
    return Add(TPendingFile::Usage(total, seconds));
}

TPendingJournal::TResult TPendingJournal::Put_Stop(const TStopRecord &stop)
{
    if (!stop.started.isValid() || !stop.ended.isValid())
        return REFUSED;
    return Add(TPendingFile::Stop(stop));
}

TPendingJournal::TResult TPendingJournal::Add(const TPendingFile &pending)
{
    // Nothing passes what is still pending: entries arrive in their order.
    Write_Pending();
    if (!Is_Empty())
    {
        d_last_error = QStringLiteral("Earlier entries are still pending: %1").arg(d_last_error);
        return Keep(pending);
    }
    const TExecution &item = pending.Item();
    if (Write_One(pending))
        return WRITTEN;
    d_last_error = d_database->Last_Error();
    // An entry no database would take is not kept either.
    if (pending.Kind() == TPendingFile::EXECUTION &&
        (!item.Date_Time().isValid() || item.Name().isEmpty() ||
         d_database->Program_Exists(item.Name(), item.Date_Time())))
        return REFUSED;
    return Keep(pending);
}

bool TPendingJournal::Write_One(const TPendingFile &pending)
{
    switch (pending.Kind())
    {
    case TPendingFile::EXECUTION:
        return d_database->Add_Execution(pending.Item());
    case TPendingFile::STOP:
        return TStopStore(d_database).Put(pending.Stop_Record());
    case TPendingFile::USAGE:
        break;
    }
    if (pending.Total() == TDatabase::MONITOR_TIME)
        return d_database->Add_Software_Monitor_Time(pending.Seconds());
    return d_database->Add_Software_Run_Time(pending.Seconds());
}

TPendingJournal::TResult TPendingJournal::Keep(const TPendingFile &pending)
{
    return Store(pending) ? KEPT : LOST;
}

bool TPendingJournal::Store(const TPendingFile &pending)
{
    if (d_folder.isEmpty())
    {
        d_keep_error = QStringLiteral("No folder for pending entries.");
        return false;
    }
    const QString name =
        QStringLiteral("%1").arg(d_next_number, 16, 10, QLatin1Char('0')) + SUFFIXES[pending.Kind()];
    QString error;
    if (!pending.Write(QDir(d_folder).filePath(name), &error))
    {
        d_keep_error = QStringLiteral("Cannot write '%1': %2").arg(QDir(d_folder).filePath(name), error);
        return false;
    }
    ++d_next_number;
    d_files.append(name);
    return true;
}

int TPendingJournal::Write_Pending()
{
    if (Is_Empty())
        return 0;
    d_database->Set_Busy_Timeout(RETRY_BUSY_TIMEOUT_MSEC);
    int written = 0;
    while (!Is_Empty())
    {
        const QString name = d_files.first();
        const QString path = QDir(d_folder).filePath(name);
        TPendingFile pending = TPendingFile::Execution(TExecution());
        QString error;
        if (!TPendingFile::Read(path, &pending, &error))
        {
            Set_Aside_First();
            continue;
        }
        bool done;
        if (pending.Kind() == TPendingFile::EXECUTION)
        {
            const TExecution &item = pending.Item();
            done = d_database->Add_Execution(item);
            if (!done)
                d_last_error = d_database->Last_Error();
            // Present by its key: written before a crash that left the file behind.
            done = done || d_database->Program_Exists(item.Name(), item.Date_Time());
            written += done ? 1 : 0;
        }
        else
        {
            // A usage period counts once by its token; a stop is the same written twice.
            done = pending.Kind() == TPendingFile::STOP
                       ? Write_One(pending)
                       : d_database->Add_Usage_Once(pending.Total(), pending.Seconds(), pending.Token());
            if (!done)
                d_last_error = d_database->Last_Error();
        }
        if (!done)
            break;
        // Left behind when it cannot be removed: written again, it is found by its key or token.
        if (!QFile::remove(path))
            break;
        if (pending.Kind() == TPendingFile::USAGE)
            d_database->Forget_Usage_Token(pending.Token());
        d_files.removeFirst();
    }
    d_database->Set_Busy_Timeout(TDatabase::BUSY_TIMEOUT_MSEC);
    d_written += written;
    return written;
}

// A file that is not ours, or was damaged, must not hold up the rest: it is
// renamed out of the queue and kept for whoever wants to look at it.
void TPendingJournal::Set_Aside_First()
{
    const QString path = QDir(d_folder).filePath(d_files.first());
    QFile::rename(path, path + QStringLiteral(".unreadable"));
    d_unreadable.append(path);
    d_files.removeFirst();
}

int TPendingJournal::Take_Written()
{
    const int written = d_written;
    d_written = 0;
    return written;
}

QStringList TPendingJournal::Take_Unreadable()
{
    QStringList taken;
    taken.swap(d_unreadable);
    return taken;
}

int TPendingJournal::Pending_Entries() const
{
    int count = 0;
    for (const QString &name : d_files)
        count += name.endsWith(ENTRY_SUFFIX) ? 1 : 0;
    return count;
}
