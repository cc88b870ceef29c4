#ifndef QUORVEX_STOPRULES_H
#define QUORVEX_STOPRULES_H

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

class QSettings;

// Reasons a person need not give: a stop that begins within a set time after
// a controller message matching a rule's pattern gets the rule's reason.
// Kept in Settings.ini, group "Stops": the array "Rules" (Rules\1\Pattern,
// Rules\1\Reason) and Rule_Window_Seconds (default 120).
class TStopRules
{
public:
    struct TRule
    {
        QRegularExpression pattern;
        QString reason;
    };

    void Add(const QString &pattern, const QString &reason);
    // Rules whose pattern is not a valid expression are left out and named in Problems.
    void Read(QSettings *settings);
    QStringList Problems() const { return d_problems; }
    int Window_Seconds() const { return d_window_seconds; }
    void Set_Window_Seconds(int seconds) { d_window_seconds = seconds; }

    // A controller message arrived at AT.
    void Message(const QString &text, const QDateTime &at);
    // The reason of the first rule matching the last message, when that came
    // no longer than the window before AT; empty otherwise.
    QString Reason_At(const QDateTime &at) const;

private:
    QVector<TRule> d_rules;
    QStringList d_problems;
    int d_window_seconds = 120;
    QString d_last_message;
    QDateTime d_last_at;
};

#endif
