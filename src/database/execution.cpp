#include "src/database/execution.h"

namespace
{
const char *const SOURCE = "src/database/execution";
const QString INVALID_TEXT = QStringLiteral("<invalid>");

// A build without assertions must still never hold a negative number.
int Not_Negative(int value)
{
    return value < 0 ? 0 : value;
}
} // namespace

TExecution::TExecution() : d_execution_time(0), d_idle_time(0), d_point_count(0) {}

void TExecution::Set_Execution_Time(int seconds)
{
    Q_ASSERT_X(!(seconds < 0), SOURCE, "!(seconds < 0)");
    d_execution_time = Not_Negative(seconds);
}

void TExecution::Set_Idle_Time(int seconds)
{
    Q_ASSERT_X(!(seconds < 0), SOURCE, "!(seconds < 0)");
    d_idle_time = Not_Negative(seconds);
}

void TExecution::Set_Point_Count(int count)
{
    Q_ASSERT_X(!(count < 0), SOURCE, "!(count < 0)");
    d_point_count = Not_Negative(count);
}

void TExecution::Set_Stored_Figures(int execution_seconds, int idle_seconds, int point_count)
{
    d_execution_time = Not_Negative(execution_seconds);
    d_idle_time = Not_Negative(idle_seconds);
    d_point_count = Not_Negative(point_count);
}

QString TExecution::Error_Message(int index) const
{
    Q_ASSERT_X(!(index < 0), SOURCE, "!(index < 0)");
    Q_ASSERT_X(index < d_error_messages.size(), SOURCE, "index < d_error_messages.size()");
    if (index < 0 || index >= d_error_messages.size())
        return QString();
    return d_error_messages.at(index);
}

QString TExecution::Date_Text() const
{
    return d_date_time.isValid() ? d_date_time.toString(QStringLiteral("dd MMM yyyy")) : INVALID_TEXT;
}

QString TExecution::Time_Text() const
{
    return d_date_time.isValid() ? d_date_time.toString(QStringLiteral("hh mm ss ap")) : INVALID_TEXT;
}

void TExecution::Clear()
{
    *this = TExecution();
}

void TExecution::Remove_Illegal_Characters()
{
    for (QString &message : d_error_messages)
        Remove_Illegal_Characters(&message);
    Remove_Illegal_Characters(&d_name);
    Remove_Illegal_Characters(&d_revision);
}

void TExecution::Remove_Illegal_Characters(QString *str)
{
    Q_ASSERT_X(str, SOURCE, "str");
    if (!str)
        return;
    static const char ILLEGAL[] = {'\'', '"', '%', '*', '[', ']', '^', '\\', '/', ',', ':'};
    for (char c : ILLEGAL)
        str->remove(QLatin1Char(c), Qt::CaseSensitive);
}

QString TExecution::Remove_Illegal_Characters(const QString &str)
{
    QString cleaned(str);
    Remove_Illegal_Characters(&cleaned);
    return cleaned;
}

bool TExecution::operator==(const TExecution &other) const
{
    return d_name == other.d_name && d_revision == other.d_revision && d_date_time == other.d_date_time &&
           d_execution_time == other.d_execution_time && d_idle_time == other.d_idle_time &&
           d_point_count == other.d_point_count && d_error_messages == other.d_error_messages;
}
