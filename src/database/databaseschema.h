#ifndef QUORVEX_DATABASESCHEMA_H
#define QUORVEX_DATABASESCHEMA_H

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Every table of a station's file, made and upgraded here alone. The file
// carries its schema's version (SQLite's user_version): a file of an older
// version is brought up to this one once, step after step in one transaction;
// one of a newer version is refused, never written. The indexes and the
// mending of older stored forms follow at each opening.
class TDatabaseSchema
{
public:
    // The version this program writes. A new table or column is a new step
    // in the source, and this number one higher.
    static const int VERSION = 1;

    explicit TDatabaseSchema(QSqlDatabase db);

    // False when the file cannot be brought to VERSION (Last_Error says why).
    bool Prepare();
    QString Last_Error() const { return d_last_error; }
    QStringList Notices() const { return d_notices; }

    // The file's version; -1 when it cannot be read.
    static int Version(QSqlDatabase db);

private:
    bool Tables_Missing() const;
    bool Upgrade(int from);
    bool Make_Tables();

    QSqlDatabase d_db;
    QString d_last_error;
    QStringList d_notices;
};

#endif
