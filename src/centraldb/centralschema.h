#ifndef QUORVEX_CENTRALSCHEMA_H
#define QUORVEX_CENTRALSCHEMA_H

#include <QString>

class QSqlDatabase;

// The tables of the central database, made by scripts/central-setup under
// roles of least rights, or, where none was made, by the first station that
// connects. Their version is kept in a row of their own: a station meets a
// schema newer than it knows and refuses to write into it, rather than
// writing rows a newer reader would misread.
class TCentralSchema
{
public:
    static const int VERSION = 6;

    enum TResult
    {
        READY,
        NEWER,
        FAILED
    };

    // Uses tables of this version as they are; makes missing or older ones
    // where the login may (else FAILED, saying what to run).
    static TResult Prepare(QSqlDatabase db, int *found_version, QString *error);
    // The message for a schema newer than VERSION.
    static QString Newer_Message(int found_version);

private:
    static TResult Create(QSqlDatabase db, int *found_version, QString *error);
    static QString Missing_Message(int found_version, const QString &reason);
};

#endif
