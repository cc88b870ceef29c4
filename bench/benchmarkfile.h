#ifndef QUORVEX_BENCH_BENCHMARKFILE_H
#define QUORVEX_BENCH_BENCHMARKFILE_H

#include <QString>

// Writes a usage database of realistic size through the program's own schema
// and stored forms: executions of a set of part programs spread over days,
// about half of them with one to three controller messages drawn from a small
// set (so messages repeat), reproducible from a seed, in one transaction.
class TBenchmarkFile
{
public:
    struct TShape
    {
        int executions = 100000;
        int programs = 300;
        int days = 1825;
        quint32 seed = 20261206;
    };

    // False, with a text in error, when the file cannot be written.
    static bool Generate(const QString &file_name, const TShape &shape, QString *error);
};

#endif
