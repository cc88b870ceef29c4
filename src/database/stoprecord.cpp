#include "src/database/stoprecord.h"

namespace
{
const char *const SOURCES[] = {"", "operator", "rule", "system"};
}

QString TStopRecord::Source_Text(TSource source)
{
    return QLatin1String(SOURCES[source]);
}

TStopRecord::TSource TStopRecord::Source_From_Text(const QString &text)
{
    for (int source = OPERATOR; source <= SYSTEM; ++source)
        if (text == QLatin1String(SOURCES[source]))
            return TSource(source);
    return NONE;
}

QString TStopRecord::Moment_Text(const QDateTime &moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}

QDateTime TStopRecord::Moment(const QString &text)
{
    // Exactly the stored form, read digit by digit (years of stops are read at once): a text written
    // by hand or by another program is not guessed at.
    static const char FORM[] = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != int(sizeof FORM - 1))
        return {};
    int numbers[6] = {};
    int field = 0;
    for (int i = 0; i < text.size(); ++i)
    {
        const ushort c = text.at(i).unicode();
        if (FORM[i] != 'd')
        {
            if (c != ushort(FORM[i]))
                return {};
            ++field;
            continue;
        }
        if (c < '0' || c > '9')
            return {};
        numbers[field] = numbers[field] * 10 + (c - '0');
    }
    const QDate date(numbers[0], numbers[1], numbers[2]);
    const QTime time(numbers[3], numbers[4], numbers[5]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

bool TStopRecord::operator==(const TStopRecord &other) const
{
    return started == other.started && ended == other.ended && open == other.open && reason == other.reason &&
           source == other.source && planned == other.planned && note == other.note;
}
