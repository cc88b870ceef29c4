#include "src/database/sqltext.h"

QString TSqlText::Text(const QString &value)
{
    QString quoted(value);
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    // SQLite ends a statement at a zero character; inside the literal it is
    // spliced in as an expression, so such a text is stored and found unchanged.
    quoted.replace(QChar(0), QLatin1String("'||char(0)||'"));
    return quoted;
}

QString TSqlText::Fill(const QString &statement, const QStringList &values)
{
    QString result;
    result.reserve(statement.size() + 16 * values.size());
    for (int i = 0; i < statement.size(); ++i)
    {
        const QChar c = statement.at(i);
        if (c == QLatin1Char('%') && i + 1 < statement.size() && statement.at(i + 1).isDigit())
        {
            const int index = statement.at(i + 1).digitValue() - 1;
            if (index >= 0 && index < values.size())
            {
                result += values.at(index);
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}
