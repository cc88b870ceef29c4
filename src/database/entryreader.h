#ifndef QUORVEX_ENTRYREADER_H
#define QUORVEX_ENTRYREADER_H

#include "src/database/databaseitem.h"

#include <QSqlDatabase>
#include <QStringList>

#include <vector>

// Reads the entries of many programs on many dates in a few statements, for
// the report and the exports over years of records, and gives them in the
// order of the nested loops over the two lists, each group in recording order.
// Works on the connection it is given, inside the database's lock. The lists
// hold no text twice (the caller sees to it).
class TEntryReader
{
public:
    explicit TEntryReader(const QSqlDatabase &db);

    std::vector<TDatabaseItem> Read(const QStringList &names, const QStringList &dates, bool dates_outside);

private:
    QString Filter(const QStringList &names, const QStringList &dates) const;
    QDate Date(const QString &date_text);
    QTime Time(const QString &time_text);

    QSqlDatabase d_db;
    QHash<QString, QDate> d_dates;
    QHash<QString, QTime> d_times;
};

#endif
