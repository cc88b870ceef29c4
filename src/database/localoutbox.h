#ifndef QUORVEX_LOCALOUTBOX_H
#define QUORVEX_LOCALOUTBOX_H

#include "src/database/storedrows.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

// The station's file as forwarding reads it: the executions, usage periods,
// alerts and stops after a key, in the order they were stored, and how far
// forwarding to a central database has got (one row of central_progress per
// central database and kind). Only that progress and the alerts are written
// here. The tables are the schema's: a file not at its version is not read.
// Lives on the forwarding thread, on a connection of its own.
class TLocalOutbox
{
public:
    enum TKind
    {
        EXECUTIONS,
        USAGE,
        ALERTS,
        STOPS
    };

    // TARGET names the central database, so that a station pointed at another
    // one sends it everything.
    explicit TLocalOutbox(const QString &target);
    ~TLocalOutbox();
    TLocalOutbox(const TLocalOutbox &) = delete;
    TLocalOutbox &operator=(const TLocalOutbox &) = delete;

    bool Open(const QString &file_name);
    void Close();
    QString Last_Error() const { return d_last_error; }

    // -1 when it cannot be read.
    qint64 Progress(TKind kind);
    bool Set_Progress(TKind kind, qint64 local_id);
    // How many executions are stored after LOCAL_ID; -1 when it cannot be read.
    int Count_After(qint64 local_id);

    bool Executions_After(qint64 local_id, int limit, std::vector<TStoredExecution> *rows);
    bool Usage_After(qint64 local_id, int limit, std::vector<TStoredUsage> *rows);
    bool Alerts_After(qint64 local_id, int limit, std::vector<TStoredAlert> *rows);
    // The stops made or changed after a change number, in the order of their changes.
    bool Stops_After(qint64 change, int limit, std::vector<TStoredStop> *rows);
    // An alert's start (ENDED invalid) or end, kept until forwarded.
    bool Record_Alert(const TStoredAlert &alert);

private:
    static const char *Kind_Name(TKind kind);
    bool Exec(QSqlQuery *query);
    bool Read_Messages(QSqlDatabase db, qint64 after, std::vector<TStoredExecution> *rows);

    QString d_target;
    QString d_connection_name;
    QString d_last_error;
    bool d_open;
};

#endif
