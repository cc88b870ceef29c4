#ifndef QUORVEX_REPORTLINES_H
#define QUORVEX_REPORTLINES_H

#include <QByteArray>
#include <QString>

#include <vector>

// A report's text and where each of its lines starts, indexed once (in the
// report's worker thread) so that a view can show any line of millions at
// once. A text of Latin-1 characters only, as nearly every report is, is kept
// one byte a character: the report of a million executions is half a
// gigabyte, and every fresh page of it costs its first touch. Immutable once
// made; shared between threads by a pointer to const.
class TReportLines
{
public:
    explicit TReportLines(const QString &text = QString());
    // Takes over a text of Latin-1 characters.
    static TReportLines From_Latin1(QByteArray latin1);

    int Size() const { return d_wide ? d_text.size() : d_latin1.size(); }
    QString Text() const { return d_wide ? d_text : QString::fromLatin1(d_latin1); }
    QString Mid(int start, int length) const;
    QChar At(int offset) const { return d_wide ? d_text.at(offset) : QLatin1Char(d_latin1.at(offset)); }
    // The first occurrence at or after from, in any case; -1 when none.
    int Index_Of(const QString &needle, int from) const;
    // Characters as Latin-1 bytes (what Latin-1 cannot hold becomes "?").
    QByteArray Latin1(int start, int length) const;

    // One more than the line breaks: a text ending in a break ends in an empty line.
    int Line_Count() const { return int(d_starts.size()); }
    int Line_Start(int line) const { return d_starts[size_t(line)]; }
    // Without its line break.
    int Line_Length(int line) const;
    QString Line(int line) const { return Mid(Line_Start(line), Line_Length(line)); }
    // The line holding the character at offset (the last line for the end of the text).
    int Line_Of(int offset) const;
    int Longest_Line() const { return d_longest; }

private:
    explicit TReportLines(QByteArray latin1);
    void Index_Line(int offset);

    bool d_wide;
    QString d_text;
    QByteArray d_latin1;
    std::vector<int> d_starts;
    int d_longest;
};

#endif
