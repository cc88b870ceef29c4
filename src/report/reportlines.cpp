#include "src/report/reportlines.h"

#include <algorithm>

TReportLines::TReportLines(const QString &text) : d_text(text), d_longest(0)
{
    d_starts.reserve(size_t(text.size() / 32 + 1));
    d_starts.push_back(0);
    const int size = d_text.size();
    // The toolkit's search for one character goes many characters a step.
    for (int offset = d_text.indexOf(QLatin1Char('\n')); offset >= 0;
         offset = d_text.indexOf(QLatin1Char('\n'), offset + 1))
    {
        d_longest = std::max(d_longest, offset - d_starts.back());
        d_starts.push_back(offset + 1);
    }
    d_longest = std::max(d_longest, size - d_starts.back());
}

int TReportLines::Line_Length(int line) const
{
    const int end = line + 1 < Line_Count() ? Line_Start(line + 1) - 1 : d_text.size();
    return end - Line_Start(line);
}

int TReportLines::Line_Of(int offset) const
{
    return int(std::upper_bound(d_starts.begin(), d_starts.end(), offset) - d_starts.begin()) - 1;
}
