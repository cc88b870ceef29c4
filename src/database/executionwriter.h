#ifndef QUORVEX_EXECUTIONWRITER_H
#define QUORVEX_EXECUTIONWRITER_H

#include "src/database/execution.h"

#include <QSqlDatabase>
#include <QString>

// Writes the rows of one execution (program, its figures, its messages) on the
// connection it is given, inside the database's lock and the caller's
// transaction.
class TExecutionWriter
{
public:
    explicit TExecutionWriter(QSqlDatabase db);

    bool Insert(const TExecution &item);
    QString Last_Error() const { return d_last_error; }

private:
    bool Insert_Program(const TExecution &item, QString *key);

    QSqlDatabase d_db;
    QString d_last_error;
};

#endif
