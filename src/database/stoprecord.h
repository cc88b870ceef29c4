#ifndef QUORVEX_STOPRECORD_H
#define QUORVEX_STOPRECORD_H

#include <QDateTime>
#include <QMetaType>
#include <QString>

// A span of a scheduled shift in which the machine did not execute, long
// enough to be asked about: one row of the station's table "stops". Moments
// are in UTC, stored to the second as "2026-12-08T21:05:03Z". A stop still
// going on is open, and its end is the last moment it was known to go on.
struct TStopRecord
{
    enum TSource
    {
        NONE,
        OPERATOR,
        RULE,
        SYSTEM
    };

    QDateTime started;
    QDateTime ended;
    bool open = false;
    // Empty while not classified.
    QString reason;
    TSource source = NONE;
    // The class of the reason when it was given: a planned stop is not lost time.
    bool planned = false;
    QString note;

    qint64 Seconds() const { return started.secsTo(ended); }
    bool Classified() const { return !reason.isEmpty(); }

    static QString Source_Text(TSource source);
    static TSource Source_From_Text(const QString &text);
    // "2026-12-08T21:05:03Z"; an invalid moment from anything else.
    static QString Moment_Text(const QDateTime &moment);
    static QDateTime Moment(const QString &text);

    bool operator==(const TStopRecord &other) const;
    bool operator!=(const TStopRecord &other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(TStopRecord)

#endif
