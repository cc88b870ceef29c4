#ifndef QUORVEX_STOPTABLE_H
#define QUORVEX_STOPTABLE_H

#include "src/database/stoprecord.h"
#include "src/database/storedrows.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

// The station's stops as rows of "stops", keyed by their start. Every write
// gives the row a new, rising change number, by which forwarding finds what is
// new or changed. Works on the connection it is given, inside the database's
// lock and the caller's transaction.
class TStopTable
{
public:
    static const char *const CREATE;

    explicit TStopTable(QSqlDatabase db);

    // Made or replaced by its start, so writing it again changes nothing.
    // Stops left open before it (by a run that was killed) end where they were
    // last known to go on: two stops never go on at once.
    bool Put(const TStopRecord &stop);
    // The open stop's end moves on to AT, without a change number: a mark that
    // only matters when the program is killed.
    bool Touch(const QDateTime &started, const QDateTime &at);
    // Every stop left open ends at its last known moment.
    bool Close_Left_Open();
    // The latest end of a stored stop; invalid when there is none.
    bool Latest_End(QDateTime *end);
    // The stops that overlap [FROM, TO), in order of their start.
    bool Overlapping(const QDateTime &from, const QDateTime &to, std::vector<TStopRecord> *stops);
    // The stop that started at STARTED; false when there is none.
    bool Find(const QDateTime &started, TStopRecord *stop);
    // The stops made or changed after a change number, in the order of their
    // changes; a row another program wrote out of form is given as it is.
    bool Changed_After(qint64 change, int limit, std::vector<TStoredStop> *rows);

    QString Last_Error() const { return d_last_error; }

private:
    bool Exec(QSqlQuery *query);
    static TStopRecord Row(const QSqlQuery &query);

    QSqlDatabase d_db;
    QString d_last_error;
};

#endif
