#ifndef QUORVEX_ENTRYWRITER_H
#define QUORVEX_ENTRYWRITER_H

#include "src/database/databaseitem.h"

#include <QSqlDatabase>
#include <QString>

// Writes the rows of one execution (program, its figures, its messages) on the
// connection it is given, inside the database's lock and the caller's
// transaction.
class TEntryWriter
{
public:
    explicit TEntryWriter(QSqlDatabase db);

    bool Insert(const TDatabaseItem &item);
    QString Last_Error() const { return d_last_error; }

private:
    bool Insert_Program(const TDatabaseItem &item, QString *key);

    QSqlDatabase d_db;
    QString d_last_error;
};

#endif
