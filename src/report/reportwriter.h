#ifndef QUORVEX_REPORTWRITER_H
#define QUORVEX_REPORTWRITER_H

#include "src/report/reportlines.h"

#include <QByteArray>
#include <QDate>
#include <QLatin1String>
#include <QString>
#include <QTime>

class QDateTime;

// Writes the report of years of records, millions of lines, straight into one
// buffer: texts are copied in, numbers written digit by digit, and the date and
// time texts, which repeat, are formatted once each. The buffer holds a byte a
// character until a character beyond Latin-1 comes, and from then on two
// (what was written is widened once). Used by one thread.
class TReportWriter
{
public:
    explicit TReportWriter(qint64 expected_size);

    // Room for at least this many more characters without moving the buffer.
    void Reserve(qint64 characters);
    void Append(const QString &text) { Append(text.constData(), text.size()); }
    void Append(QLatin1String text);
    void Line(const QString &label, const QString &value);
    // The number right-aligned to width, then a line break.
    void Number_Line(const QString &label, qint64 value, int width);
    // What TSummaryText::Minutes_Seconds(seconds, width) gives, then " min:sec" and a line break.
    void Time_Line(const QString &label, int seconds, int width);
    // The same text as toString("yyyy MMM dd : hh mm ss ap"), nothing for an invalid one.
    void Execution_Date(const QDateTime &date_time);

    TReportLines Take();

private:
    void Append(const QChar *data, int size);
    void Put(char character)
    {
        if (d_wide)
            *d_out++ = QLatin1Char(character);
        else
            *d_byte_out++ = character;
    }
    void Padded(qint64 value, int width);
    void Widen();
    qint64 Used() const;

    bool d_wide;
    QByteArray d_bytes;
    char *d_byte_out;
    char *d_byte_end;
    QString d_text;
    QChar *d_out;
    QChar *d_end;
    // The executions come date by date: the last date's text serves the next ones.
    QDate d_last_date;
    QString d_last_date_text;
    QString d_am;
    QString d_pm;
};

#endif
