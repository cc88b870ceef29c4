#ifndef QUORVEX_SQLLITERAL_H
#define QUORVEX_SQLLITERAL_H

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// Values as literals of a central statement, for whoever writes or reads the
// central database. Texts go in as the driver quotes them, never through
// QString::arg, which would take a "%1" inside a name for a placeholder; a
// zero character, which PostgreSQL's text cannot hold, becomes U+FFFD.
class TSqlLiteral
{
public:
    explicit TSqlLiteral(QSqlDatabase db) : d_db(db) {}

    QString Text(const QString &value) const;
    // A wall time without a zone: TIME's own, in the zone it is given in.
    static QString Timestamp(const QDateTime &time);
    // An instant (timestamptz), in UTC.
    static QString Instant(const QDateTime &time);

private:
    QSqlDatabase d_db;
};

#endif
