#ifndef QUORVEX_SQLTEXT_H
#define QUORVEX_SQLTEXT_H

#include <QString>
#include <QStringList>

// Fills the numbered placeholders of a fixed statement template. Each value
// fills its own placeholder in one pass, so a value holding "%2" stays as it is.
class TSqlText
{
public:
    // A text value as the content of a single-quoted literal: quotes doubled,
    // a zero character spliced in as char(0).
    static QString Text(const QString &value);
    static QString Number(qint64 value) { return QString::number(value); }

    // %1 takes values[0], %2 values[1] and so on; other text is copied as it stands.
    static QString Fill(const QString &statement, const QStringList &values);
    static QString Fill(const char *statement, const QStringList &values)
    {
        return Fill(QLatin1String(statement), values);
    }
};

#endif
