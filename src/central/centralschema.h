#ifndef QUORVEX_CENTRALSCHEMA_H
#define QUORVEX_CENTRALSCHEMA_H

#include <QString>

class QSqlDatabase;

// The tables of the central database, made by the first station that
// connects. Their version is kept in a row of their own: a station meets a
// schema newer than it knows and refuses to write into it, rather than
// writing rows a newer reader would misread.
class TCentralSchema
{
public:
    static const int VERSION = 1;

    enum TResult
    {
        READY,
        NEWER,
        FAILED
    };

    // Creates what is missing in one transaction, under a lock every station
    // takes, so that two stations connecting at once do not both create.
    static TResult Prepare(QSqlDatabase db, int *found_version, QString *error);
    // The message for a schema newer than VERSION.
    static QString Newer_Message(int found_version);
};

#endif
