#ifndef QUORVEX_DATABASESCHEMA_H
#define QUORVEX_DATABASESCHEMA_H

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of a station's file: made where missing, with their indexes, and
// the stored forms of older files mended once.
class TDatabaseSchema
{
public:
    explicit TDatabaseSchema(QSqlDatabase db);

    // False when a table could not be made (Last_Error says which).
    bool Prepare();
    QString Last_Error() const { return d_last_error; }
    QStringList Notices() const { return d_notices; }

private:
    QSqlDatabase d_db;
    QString d_last_error;
    QStringList d_notices;
};

#endif
