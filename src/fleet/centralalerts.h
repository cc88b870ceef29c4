#ifndef QUORVEX_CENTRALALERTS_H
#define QUORVEX_CENTRALALERTS_H

#include "src/alerts/alertjudge.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>

// The central alerts table as a reader of the fleet writes it for a station
// that cannot (its silence), through the functions the tables' owner made for
// it and nothing else: each alert is stored by its station and key, so that
// readers judging the same alert store, end and say it once between them. On
// the caller's thread and connection.
class TCentralAlerts
{
public:
    explicit TCentralAlerts(QSqlDatabase db) : d_db(db) {}

    // Stores the start of EVENT, a silence; FIRST tells whether this call stored it.
    bool Start(const QString &station_id, const TAlertEvent &event, bool *first);
    // Stores EVENT's end (its ended); FIRST tells whether this call ended it.
    bool End(const QString &station_id, const TAlertEvent &event, bool *first);
    // Ends every open silence of the station that started before AT, at AT; those this call ended.
    bool End_Open(const QString &station_id, const QDateTime &at, QVector<TAlertEvent> *ended);
    QString Last_Error() const { return d_last_error; }

private:
    bool Fail(const QString &error);

    QSqlDatabase d_db;
    QString d_last_error;
};

#endif
