#include "src/csv/csvexport.h"

QByteArray TCsvExport::Text(const std::vector<TExecution> &items)
{
    QByteArray text;
    if (items.empty())
        return text;
    text += Header();
    for (const TExecution &item : items)
        text += Line(item).toLatin1();
    return text;
}

QByteArray TCsvExport::Header()
{
    return QByteArrayLiteral(
        "Name,Revision,Date,Time,Execution Time,Idle Time,Point Count,Error Message Count,Error Messages\n");
}

QString TCsvExport::Line(const TExecution &item)
{
    // One pass over the format: a name holding "%2" must not take the revision's place.
    QString line =
        QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
            .arg(Field(item.Name()), Field(item.Revision()), Field(item.Date_Text()), Field(item.Time_Text()),
                 QString::number(item.Execution_Time()), QString::number(item.Idle_Time()),
                 QString::number(item.Point_Count()), QString::number(item.Error_Message_Count()));
    for (int index = 0; index < item.Error_Message_Count(); ++index)
        line += QLatin1Char(',') + Field(item.Error_Message(index));
    line += QLatin1Char('\n');
    return line;
}

QString TCsvExport::Field(const QString &text)
{
    const bool needs_quotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                              text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!needs_quotes)
        return text;
    QString quoted(text);
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
