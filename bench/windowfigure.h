#ifndef QUORVEX_BENCH_WINDOWFIGURE_H
#define QUORVEX_BENCH_WINDOWFIGURE_H

#include <QString>

// The window itself on a file of years of records, as a user meets it: every
// date selected, then every program; how long until the report is shown, and
// the longest time the event loop was held meanwhile (a 5 ms timer records
// its largest gap). Needs a QApplication; uses HOME for the window's folder.
class TWindowFigure
{
public:
    struct TResult
    {
        double start_msec = 0;
        double visible_msec = 0;
        double longest_hold_msec = 0;
        double peak_megabytes = 0;
        bool shown = false;
    };

    // database_file is copied into a fresh home folder under folder.
    static TResult Measure(const QString &database_file, const QString &folder);
};

#endif
