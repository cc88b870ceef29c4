#ifndef QUORVEX_EXECUTIONREADER_H
#define QUORVEX_EXECUTIONREADER_H

#include "src/database/execution.h"

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

#include <vector>

// Reads the executions of many programs on many dates in a few statements, for
// the report and the exports over years of records, and gives them in the
// order of the nested loops over the two lists, each group in recording order.
// Works on the connection it is given, inside the database's lock. The lists
// hold no text twice (the caller sees to it).
class TExecutionReader
{
public:
    explicit TExecutionReader(const QSqlDatabase &db);

    std::vector<TExecution> Read(const QStringList &names, const QStringList &dates, bool dates_outside);
    // The distinct names of each date in one pass in recording order, date after
    // date: for thousands of dates faster than a statement each.
    QStringList Names_On_Dates(const QStringList &dates);

private:
    struct TRow;
    class TRowIndex;
    struct TSelection;

    bool Read_Programs(const QStringList &names, const QStringList &dates, bool dates_outside,
                       const QString &filter, TSelection *selection);
    void Arrange(const QStringList &names, const QStringList &dates, bool dates_outside,
                 TSelection *selection);
    void Read_Figures(const QString &selected, const TRowIndex &row_of_program, TSelection *selection);
    void Read_Messages(const QString &selected, const TRowIndex &row_of_program, TSelection *selection);
    QString Filter(const QStringList &names, const QStringList &dates) const;
    QString Text_Column(const char *column) const;
    QByteArray Bytes(const QVariant &value) const;
    QDate Date(const QString &date_text);

    QSqlDatabase d_db;
    bool d_utf8;
    QHash<QString, QDate> d_dates;
};

#endif
