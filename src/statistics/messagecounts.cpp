#include "src/statistics/messagecounts.h"

#include <algorithm>

namespace
{
QString Percent(double fraction)
{
    return QString::number(fraction * 100, 'f', 1) + QLatin1Char('%');
}
} // namespace

void TMessageCounts::Add(const QString &message, const QString &program, qint64 count)
{
    auto key = d_keys.constFind(message);
    if (key == d_keys.constEnd())
        key = d_keys.insert(message, message.simplified().toCaseFolded());
    auto known = d_index.constFind(*key);
    if (known == d_index.constEnd())
    {
        known = d_index.insert(*key, int(d_messages.size()));
        d_messages.emplace_back();
        d_messages.back().text = message.simplified();
        d_programs.emplace_back();
    }
    d_messages[size_t(*known)].count += count;
    d_programs[size_t(*known)].insert(program);
    d_total += count;
}

std::vector<TMessageCounts::TMessage> TMessageCounts::Ranked() const
{
    std::vector<TMessage> messages = d_messages;
    for (size_t i = 0; i < messages.size(); ++i)
    {
        messages[i].programs = d_programs[i].values();
        std::sort(messages[i].programs.begin(), messages[i].programs.end());
    }
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TMessage &a, const TMessage &b) { return a.count > b.count; });
    qint64 cumulative = 0;
    for (TMessage &message : messages)
    {
        cumulative += message.count;
        message.share = double(message.count) / d_total;
        message.cumulative_share = double(cumulative) / d_total;
    }
    return messages;
}

TStatisticsTable TMessageCounts::Table(const std::vector<TMessage> &messages)
{
    TStatisticsTable table(QStringLiteral("Controller messages"),
                           {QStringLiteral("Message"), QStringLiteral("Count"), QStringLiteral("Share"),
                            QStringLiteral("Cumulative"), QStringLiteral("Programs")});
    table.Set_Text_Column(4);
    for (const TMessage &message : messages)
        table.Add_Row({message.text, QString::number(message.count), Percent(message.share),
                       Percent(message.cumulative_share), message.programs.join(QStringLiteral(", "))});
    return table;
}
