#ifndef QUORVEX_USAGETOTALS_H
#define QUORVEX_USAGETOTALS_H

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The running totals of the program's own use (monitoring and the measurement
// software's run time) and the periods they are made of, one row each, which a
// central database is sent. Works on the connection it is given, inside the
// database's lock and the caller's transaction.
class TUsageTotals
{
public:
    enum TTotal
    {
        MONITOR_TIME,
        RUN_TIME
    };

    explicit TUsageTotals(QSqlDatabase db);

    int Total(TTotal total, bool *valid);
    // The total and the period as a row of its own.
    bool Add_Period(TTotal total, int seconds);
    // Adds the period at most once per token: a period replayed after a crash
    // between the commit and the removal of its pending file is not counted twice.
    bool Add_Once(TTotal total, int seconds, const QString &token);
    void Forget(const QString &token);

    QString Last_Error() const { return d_last_error; }
    // What had to be mended on the way (panel texts).
    QStringList Notices() const { return d_notices; }

    static const char *Column(TTotal total);

private:
    bool Add_To_Total(TTotal total, int seconds);

    QSqlDatabase d_db;
    QString d_last_error;
    QStringList d_notices;
};

#endif
