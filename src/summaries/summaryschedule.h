#ifndef QUORVEX_SUMMARYSCHEDULE_H
#define QUORVEX_SUMMARYSCHEDULE_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVector>

class QSettings;

// When the daily and weekly summaries are due, group "Summaries" of
// Settings.ini: a day's summary at the set time of the next day, a week's
// (Monday to Sunday) at that time of the next Monday. Each period is written
// once: the last one written is kept, and the periods due since, missed while
// the program was not running, are written at its next start (the latest
// month of days and two months of weeks at most).
class TSummarySchedule
{
public:
    enum TKind
    {
        DAILY,
        WEEKLY
    };
    struct TPeriod
    {
        TKind kind;
        QDate first;
        QDate last;
        // "daily 2026-12-07", "weekly 2026-W49".
        QString Name() const;
        bool operator==(const TPeriod &other) const
        {
            return kind == other.kind && first == other.first && last == other.last;
        }
    };

    // Empty: no summaries.
    QString folder;
    QTime at = QTime(6, 0);
    bool daily = true;
    bool weekly = true;
    // "station" or "fleet".
    QString scope = QStringLiteral("station");
    // The fleet's stations summed up: one group's (a plant or a hall); empty: all.
    QString group;
    QDate last_daily;
    // The Monday of the last week written.
    QDate last_weekly;

    void Read(QSettings *settings);
    // Notes PERIOD as written.
    void Written(const TPeriod &period, QSettings *settings);
    QVector<TPeriod> Due(const QDateTime &now) const;
};

#endif
