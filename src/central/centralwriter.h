#ifndef QUORVEX_CENTRALWRITER_H
#define QUORVEX_CENTRALWRITER_H

#include "src/central/outgoing.h"
#include "src/database/storedrows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QTimeZone>

#include <vector>

// Writes one station's rows into the central database, each batch in one
// transaction. Every row is keyed by the station and its local key and
// inserted with ON CONFLICT, so a batch sent again (after a lost reply or a
// crash before the station noted its progress) doubles nothing. Texts go in
// as the driver quotes them; a zero character, which PostgreSQL's text cannot
// hold, is sent as U+FFFD (the station's own file keeps it).
class TCentralWriter
{
public:
    TCentralWriter(QSqlDatabase db, const QString &station_id);

    // The station's time zone (the system's unless set): its local times
    // are sent in it, and its name with the heartbeat.
    void Set_Time_Zone(const QTimeZone &zone);
    // Writes the heartbeat's day as if the server's clock said NOW (invalid: as
    // it says); for tests, which make a station's past days as it wrote them.
    void Set_Now(const QDateTime &now) { d_now = now; }

    bool Insert_Executions(const std::vector<TStoredExecution> &rows);
    bool Insert_Usage(const std::vector<TStoredUsage> &rows);
    bool Upsert_Alerts(const std::vector<TStoredAlert> &rows);
    // A stop replaces what was sent of it before, never with an older change.
    bool Upsert_Stops(const std::vector<TStoredStop> &rows);
    // The station's state and who it is, and the scheduled seconds of its
    // today by its calendar, as of the server's clock.
    bool Heartbeat(const TStationIdentity &identity, const TStationState &state);
    QString Last_Error() const { return d_last_error; }
    // The last failure was the server refusing a row's data (SQLSTATE classes
    // 22 and 23: a value out of range, a rule of the table's), not the link, the
    // login or the tables: the other rows of the batch may go on without it.
    bool Refused_Data() const { return d_refused_data; }

    // A text as a literal of the driver's quoting.
    QString Text(const QString &value) const;
    static QString Timestamp(const QDateTime &time);
    // TIME's wall time in the station's zone.
    QString Local(const QDateTime &time) const;

private:
    // Runs statements made of a head and comma-separated rows, sent in pieces
    // of a bounded size, inside the current transaction; rows another one
    // depends on (executions before their messages) are sent first.
    class TRows;
    bool Run(const QString &statement);
    bool Begin();
    bool Finish(bool written);
    void Note_Error(const QSqlError &error);

    QSqlDatabase d_db;
    QString d_station;
    QTimeZone d_zone;
    bool d_system_zone;
    QString d_last_error;
    bool d_refused_data = false;
    QDateTime d_now;
};

#endif
