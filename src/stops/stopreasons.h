#ifndef QUORVEX_STOPREASONS_H
#define QUORVEX_STOPREASONS_H

#include <QString>
#include <QVector>

class QSettings;

// The reasons a person picks a stop's from, each planned (breaks, planned
// maintenance: not lost time) or unplanned, and whether it asks for a note.
// Kept in Settings.ini, group "Stops", as the array "Reasons"
// (Reasons\1\Name=Break, Reasons\1\Planned=true, Reasons\1\Note=false).
class TStopReasons
{
public:
    struct TReason
    {
        QString name;
        bool planned = false;
        bool note = false;
    };

    // A list that fits a CMM hall.
    TStopReasons();

    const QVector<TReason> &All() const { return d_reasons; }
    // The reason of that name; nullptr when the list has none.
    const TReason *Find(const QString &name) const;
    // Read reasons replace the defaults when at least one has a name; names
    // are plain text, cut to a length a list can show, given once each.
    void Read(QSettings *settings);
    void Write(QSettings *settings) const;

    static const int LONGEST_NAME = 80;
    // The system's own reasons, always planned = false.
    static QString Software_Absent();
    static QString Monitor_Off();

private:
    QVector<TReason> d_reasons;
};

#endif
