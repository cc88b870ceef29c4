#include "src/stops/stoprules.h"

#include "src/stops/stopreasons.h"

#include <QSettings>

void TStopRules::Add(const QString &pattern, const QString &reason)
{
    const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);
    const QString name = reason.simplified().left(TStopReasons::LONGEST_NAME);
    if (!expression.isValid() || pattern.isEmpty() || name.isEmpty())
    {
        d_problems << QStringLiteral("Stop rule '%1' left out: %2")
                          .arg(pattern,
                               expression.isValid() ? QStringLiteral("no reason") : expression.errorString());
        return;
    }
    d_rules.append({expression, name});
}

void TStopRules::Read(QSettings *settings)
{
    settings->beginGroup(QStringLiteral("Stops"));
    const int size = settings->beginReadArray(QStringLiteral("Rules"));
    for (int i = 0; i < size; ++i)
    {
        settings->setArrayIndex(i);
        Add(settings->value(QStringLiteral("Pattern")).toString(),
            settings->value(QStringLiteral("Reason")).toString());
    }
    settings->endArray();
    bool number = false;
    const int window = settings->value(QStringLiteral("Rule_Window_Seconds")).toInt(&number);
    if (number && window >= 0)
        d_window_seconds = window;
    settings->endGroup();
}

void TStopRules::Message(const QString &text, const QDateTime &at)
{
    d_last_message = text;
    d_last_at = at;
}

QString TStopRules::Reason_At(const QDateTime &at) const
{
    if (!d_last_at.isValid() || d_last_at > at || d_last_at.secsTo(at) > d_window_seconds)
        return {};
    for (const TRule &rule : d_rules)
        if (rule.pattern.match(d_last_message).hasMatch())
            return rule.reason;
    return {};
}
