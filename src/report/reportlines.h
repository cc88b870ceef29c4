#ifndef QUORVEX_REPORTLINES_H
#define QUORVEX_REPORTLINES_H

#include <QString>
#include <QStringRef>

#include <vector>

// A report's text and where each of its lines starts, indexed once (in the
// report's worker thread) so that a view can show any line of millions at
// once. Immutable once made; shared between threads by a pointer to const.
class TReportLines
{
public:
    explicit TReportLines(const QString &text = QString());

    const QString &Text() const { return d_text; }
    // One more than the line breaks: a text ending in a break ends in an empty line.
    int Line_Count() const { return int(d_starts.size()); }
    int Line_Start(int line) const { return d_starts[size_t(line)]; }
    // Without its line break.
    int Line_Length(int line) const;
    QStringRef Line(int line) const { return d_text.midRef(Line_Start(line), Line_Length(line)); }
    // The line holding the character at offset (the last line for the end of the text).
    int Line_Of(int offset) const;
    int Longest_Line() const { return d_longest; }

private:
    QString d_text;
    std::vector<int> d_starts;
    int d_longest;
};

#endif
