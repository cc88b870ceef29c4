#ifndef QUORVEX_FILECHECK_H
#define QUORVEX_FILECHECK_H

#include <QSqlDatabase>
#include <QString>

// What must hold of a usage database whatever happened to the program: the
// file is whole, every entry has exactly one program_data row, no row belongs
// to no entry, nothing is negative, every entry has its name, date and time.
class TFileCheck
{
public:
    // The first fault found, empty when there is none.
    static QString Faults(const QSqlDatabase &db);
    // The same through a connection of its own on file.
    static QString Faults(const QString &file);
};

#endif
