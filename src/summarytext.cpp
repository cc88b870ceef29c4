#include "src/summarytext.h"

#include "src/database.h"

namespace
{
const QString SEPARATOR = QString(75, QLatin1Char('-')) + QLatin1Char('\n');

QString Padded(qint64 value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char(' ')); }

// Sums are kept in signed 32 bits like the stored values, without the undefined overflow of int.
int Add(int a, int b) { return int(quint32(a) + quint32(b)); }

void Append_Details(QString *text, const TDatabaseItem &item)
{
    const int total = Add(item.Execution_Time(), item.Idle_Time());
    *text += QStringLiteral("Program Name:                     %1\n").arg(item.Name());
    *text += QStringLiteral("Program Revision:                 %1\n").arg(item.Revision());
    *text += QStringLiteral("Execution Date:                   %1\n")
                 .arg(item.Date_Time().toString(QStringLiteral("yyyy MMM dd : hh mm ss ap")));
    *text += QStringLiteral("Total Time:            %1 min:sec\n").arg(TSummaryText::Minutes_Seconds(total, 12));
    *text += QStringLiteral("Execution Time:        %1 min:sec\n")
                 .arg(TSummaryText::Minutes_Seconds(item.Execution_Time(), 12));
    *text += QStringLiteral("Idle Time:             %1 min:sec\n").arg(TSummaryText::Minutes_Seconds(item.Idle_Time(), 12));
    *text += QStringLiteral("Point Count:           %1\n").arg(Padded(item.Point_Count(), 15));
    if (item.Error_Message_Count() > 0)
    {
        *text += QStringLiteral("Controller Messages During Execution:\n");
        for (int index = 0; index < item.Error_Message_Count(); ++index)
            *text += QStringLiteral(" %1\n").arg(item.Error_Message(index));
    }
    *text += SEPARATOR;
}
} // namespace

TSummaryText::TSummaryText(TDatabase *database, const QStringList &dates, const QStringList &programs)
    : d_database(database), d_dates(dates), d_programs(programs), d_summary_valid(false)
{
}

QString TSummaryText::Minutes_Seconds(int seconds, int width)
{
    return QStringLiteral("%1:%2").arg(Padded(seconds / 60, width)).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TSummaryText::Generate_Summary_Text()
{
    d_summary_text.clear();
    d_summary_valid = !d_programs.isEmpty();

    const QStringList dates = d_dates.isEmpty() ? d_database->Dates() : d_dates;
    std::vector<TDatabaseItem> items;
    for (const QString &date : dates)
        for (const QString &program : qAsConst(d_programs))
        {
            const std::vector<TDatabaseItem> entries = d_database->Program_Entries(program, date);
            items.insert(items.end(), entries.begin(), entries.end());
        }

    bool monitor_valid = false;
    bool run_valid = false;
    const int monitor_time = d_database->Software_Monitor_Time(&monitor_valid);
    const int run_time = d_database->Software_Run_Time(&run_valid);
    d_summary_text = Report(monitor_valid, monitor_time, run_valid, run_time, items);
    emit Finished();
}

QString TSummaryText::Report(bool monitor_time_valid, int monitor_time, bool run_time_valid, int run_time,
                             const std::vector<TDatabaseItem> &items)
{
    QString text;
    text += monitor_time_valid
                ? QStringLiteral("Total Monitor Time:      %1 min:sec\n").arg(Minutes_Seconds(monitor_time, 10))
                : QStringLiteral("Total Monitor Time:               <unavailable>\n");
    text += run_time_valid
                ? QStringLiteral("Total Software Run Time: %1 min:sec\n").arg(Minutes_Seconds(run_time, 10))
                : QStringLiteral("Total Software Run Time:          <unavailable>\n");
    text += SEPARATOR;
    text += QStringLiteral("     Selected Program Details:\n");
    text += SEPARATOR;

    int execution_time = 0;
    int idle_time = 0;
    int point_count = 0;
    QStringList messages;
    for (const TDatabaseItem &item : items)
    {
        Append_Details(&text, item);
        execution_time = Add(execution_time, item.Execution_Time());
        idle_time = Add(idle_time, item.Idle_Time());
        point_count = Add(point_count, item.Point_Count());
        messages += item.Error_Messages();
    }
    messages.removeDuplicates();

    text += QStringLiteral("     Selected Program Summary:\n");
    text += SEPARATOR;
    text += QStringLiteral("Program Count:         %1\n").arg(Padded(qint64(quint64(items.size())), 15));
    text += QStringLiteral("Program Time:    %1 min:sec\n").arg(Minutes_Seconds(Add(execution_time, idle_time), 18));
    text += QStringLiteral("Execution Time:  %1 min:sec\n").arg(Minutes_Seconds(execution_time, 18));
    text += QStringLiteral("Idle Time:       %1 min:sec\n").arg(Minutes_Seconds(idle_time, 18));
    text += QStringLiteral("Point Count:     %1\n").arg(Padded(point_count, 21));
    text += QStringLiteral("\nUnique Error Messages:\n");
    text += SEPARATOR;
    for (const QString &message : qAsConst(messages))
        text += QStringLiteral(" %1\n").arg(message);
    return text;
}
