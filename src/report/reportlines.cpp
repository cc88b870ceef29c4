#include "src/report/reportlines.h"

#include <algorithm>
#include <cstring>

TReportLines::TReportLines(const QString &text) : d_wide(true), d_text(text), d_longest(0)
{
    d_starts.reserve(size_t(text.size() / 32 + 1));
    d_starts.push_back(0);
    // The toolkit's search for one character goes many characters a step.
    for (int offset = d_text.indexOf(QLatin1Char('\n')); offset >= 0;
         offset = d_text.indexOf(QLatin1Char('\n'), offset + 1))
        Index_Line(offset);
    d_longest = std::max(d_longest, Size() - d_starts.back());
}

TReportLines TReportLines::From_Latin1(QByteArray latin1) { return TReportLines(std::move(latin1)); }

TReportLines::TReportLines(QByteArray latin1) : d_wide(false), d_latin1(std::move(latin1)), d_longest(0)
{
    d_starts.reserve(size_t(d_latin1.size() / 32 + 1));
    d_starts.push_back(0);
    const char *const begin = d_latin1.constData();
    const char *const end = begin + d_latin1.size();
    for (const char *found = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin))); found;
         found = static_cast<const char *>(std::memchr(found + 1, '\n', size_t(end - found - 1))))
        Index_Line(int(found - begin));
    d_longest = std::max(d_longest, Size() - d_starts.back());
}

void TReportLines::Index_Line(int offset)
{
    d_longest = std::max(d_longest, offset - d_starts.back());
    d_starts.push_back(offset + 1);
}

QString TReportLines::Mid(int start, int length) const
{
    if (d_wide)
        return d_text.mid(start, length);
    start = std::clamp(start, 0, Size());
    length = std::clamp(length, 0, Size() - start);
    return QString::fromLatin1(d_latin1.constData() + start, length);
}

int TReportLines::Index_Of(const QString &needle, int from) const
{
    if (d_wide)
        return d_text.indexOf(needle, from, Qt::CaseInsensitive);
    return int(QLatin1String(d_latin1.constData(), d_latin1.size()).indexOf(needle, from, Qt::CaseInsensitive));
}

QByteArray TReportLines::Latin1(int start, int length) const
{
    return d_wide ? d_text.midRef(start, length).toLatin1() : d_latin1.mid(start, length);
}

int TReportLines::Line_Length(int line) const
{
    const int end = line + 1 < Line_Count() ? Line_Start(line + 1) - 1 : Size();
    return end - Line_Start(line);
}

int TReportLines::Line_Of(int offset) const
{
    return int(std::upper_bound(d_starts.begin(), d_starts.end(), offset) - d_starts.begin()) - 1;
}
