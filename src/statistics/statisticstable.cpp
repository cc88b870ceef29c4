#include "src/statistics/statisticstable.h"

#include "src/csv/csvexport.h"

TStatisticsTable::TStatisticsTable(const QString &title, const QStringList &headers)
    : d_title(title), d_headers(headers)
{
}

QByteArray TStatisticsTable::Csv() const
{
    const auto line = [](const QStringList &cells)
    {
        QStringList fields;
        for (const QString &cell : cells)
            fields << TCsvExport::Field(cell);
        return fields.join(QLatin1Char(',')).toUtf8() + '\n';
    };
    QByteArray text = line(d_headers);
    for (const QStringList &row : d_rows)
        text += line(row);
    return text;
}
