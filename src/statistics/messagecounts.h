#ifndef QUORVEX_MESSAGECOUNTS_H
#define QUORVEX_MESSAGECOUNTS_H

#include "src/statistics/statisticstable.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// Controller messages by frequency, with the programs that gave each.
// Messages that differ only in white space and case are one message.
class TMessageCounts
{
public:
    struct TMessage
    {
        // As first seen, its white space made single.
        QString text;
        qint64 count = 0;
        double share = 0;
        double cumulative_share = 0;
        QStringList programs;
    };

    // COUNT more of MESSAGE, given by PROGRAM.
    void Add(const QString &message, const QString &program, qint64 count = 1);
    // Most frequent first; equal counts in the order first seen.
    std::vector<TMessage> Ranked() const;
    static TStatisticsTable Table(const std::vector<TMessage> &messages);

private:
    QHash<QString, QString> d_keys;
    QHash<QString, int> d_index;
    std::vector<TMessage> d_messages;
    std::vector<QSet<QString>> d_programs;
    qint64 d_total = 0;
};

#endif
