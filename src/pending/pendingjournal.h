#ifndef QUORVEX_PENDINGJOURNAL_H
#define QUORVEX_PENDINGJOURNAL_H

#include "src/database/database.h"

#include <QString>
#include <QStringList>

class TExecution;
struct TStopRecord;
class TPendingFile;

// What the monitor stores goes through here: an entry, usage period or stop that
// the database refuses for a reason that may pass (a full disk, a lock held by
// another program, a folder made read-only, a file that is not a database) is
// kept in a folder beside the database, one file each, and written in its turn
// once the database accepts writes again, also after a restart. A file is
// removed only after the database has committed what it holds. Lives on the
// GUI thread; owned by the main window, which owns the database too.
class TPendingJournal
{
public:
    enum TResult
    {
        WRITTEN,
        // The database will never take it (the same entry is there, or it has no date).
        REFUSED,
        KEPT,
        // Neither written nor kept: Keep_Error says why.
        LOST
    };

    explicit TPendingJournal(TDatabase *database);

    // Takes up the files a previous run left in folder, and removes the copies
    // of writes it was killed in; false when the folder cannot be made, and
    // then nothing can be kept.
    bool Open(const QString &folder);

    TResult Add_Execution(const TExecution &item);
    TResult Add_Usage(TDatabase::TUsageTotal total, int seconds);
    // A stop as it now stands: made, classified again or ended.
    TResult Put_Stop(const TStopRecord &stop);

    // Writes what is pending, oldest first, until the database refuses one;
    // returns how many program entries were written.
    int Write_Pending();

    int Pending_Entries() const;
    bool Is_Empty() const { return d_files.isEmpty(); }
    QString Folder() const { return d_folder; }
    // Why the last entry or period was not written.
    QString Last_Error() const { return d_last_error; }
    QString Keep_Error() const { return d_keep_error; }
    // The files found damaged since the last call, renamed out of the way.
    QStringList Take_Unreadable();
    // How many pending program entries were written since the last call, by
    // Write_Pending or before a new entry or period.
    int Take_Written();

private:
    TResult Add(const TPendingFile &pending);
    bool Store(const TPendingFile &pending);
    TResult Keep(const TPendingFile &pending);
    bool Write_One(const TPendingFile &pending);
    void Set_Aside_First();
    static void Remove_Broken_Writes(const QString &folder);

    TDatabase *d_database;
    QString d_folder;
    // File names, oldest first: a rising number and the kind ("000…017.entry").
    QStringList d_files;
    qint64 d_next_number;
    QString d_last_error;
    QString d_keep_error;
    QStringList d_unreadable;
    int d_written;
};

#endif
