#ifndef QUORVEX_STATISTICSTABLE_H
#define QUORVEX_STATISTICSTABLE_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// One table of the statistics as the user reads it: a title, column headers
// and rows of formatted cells. The page, the CSV export and the PDF all show
// this same form. Columns after the first hold numbers unless set as text.
class TStatisticsTable
{
public:
    TStatisticsTable() = default;
    TStatisticsTable(const QString &title, const QStringList &headers);

    QString Title() const { return d_title; }
    QStringList Headers() const { return d_headers; }
    int Row_Count() const { return d_rows.size(); }
    int Column_Count() const { return d_headers.size(); }
    const QStringList &Row(int row) const { return d_rows.at(row); }
    void Add_Row(const QStringList &cells) { d_rows.append(cells); }
    bool Numeric(int column) const { return column > 0 && !d_text_columns.contains(column); }
    void Set_Text_Column(int column) { d_text_columns.append(column); }

    // The header line, then a line per row; UTF-8, fields quoted where needed.
    QByteArray Csv() const;

private:
    QString d_title;
    QStringList d_headers;
    QVector<QStringList> d_rows;
    QVector<int> d_text_columns;
};

#endif
