#ifndef QUORVEX_PENDINGFILE_H
#define QUORVEX_PENDINGFILE_H

#include "src/database/database.h"
#include "src/database/execution.h"
#include "src/database/stoprecord.h"

#include <QString>

class QDataStream;

// One execution, usage period or stop that the database refused, as a small file of its
// own. The form is the toolkit's binary stream, so every text comes back
// exactly as it went in: quotes, zero characters, lone surrogates and all.
class TPendingFile
{
public:
    enum TKind
    {
        EXECUTION,
        USAGE,
        STOP
    };

    static TPendingFile Execution(const TExecution &item);
    // A usage period gets a token of its own, by which the database counts it once.
    static TPendingFile Usage(TDatabase::TUsageTotal total, int seconds);
    // Written by its start, which makes writing it twice the same as once.
    static TPendingFile Stop(const TStopRecord &stop);

    TKind Kind() const { return d_kind; }
    const TExecution &Item() const { return d_item; }
    TDatabase::TUsageTotal Total() const { return d_total; }
    int Seconds() const { return d_seconds; }
    QString Token() const { return d_token; }
    const TStopRecord &Stop_Record() const { return d_stop; }

    // Written whole or not at all (a temporary file renamed into place).
    bool Write(const QString &file_name, QString *error) const;
    // False for a file that is not one of ours, cut short or holding impossible values.
    static bool Read(const QString &file_name, TPendingFile *pending, QString *error);

private:
    TPendingFile();
    bool Read_Execution(QDataStream &in);
    bool Read_Stop(QDataStream &in);

    TKind d_kind;
    TExecution d_item;
    TDatabase::TUsageTotal d_total;
    int d_seconds;
    QString d_token;
    TStopRecord d_stop;
};

#endif
