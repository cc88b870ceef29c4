#include "src/database/stoprecord.h"

#include <QRegularExpression>

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
    // Exactly the stored form: a text written by hand or by another program is not guessed at.
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
    if (!form.match(text).hasMatch())
        return {};
    QDateTime moment = QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    moment.setTimeSpec(Qt::UTC);
    return moment;
}

bool TStopRecord::operator==(const TStopRecord &other) const
{
    return started == other.started && ended == other.ended && open == other.open && reason == other.reason &&
           source == other.source && planned == other.planned && note == other.note;
}
