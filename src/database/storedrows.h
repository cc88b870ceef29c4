#ifndef QUORVEX_STOREDROWS_H
#define QUORVEX_STOREDROWS_H

#include "src/database/execution.h"
#include "src/database/stoprecord.h"

#include <QDateTime>
#include <QString>

// Rows of the station's file with their key there, as forwarding reads them in
// the order they were stored: each one's key makes its central key.

struct TStoredExecution
{
    qint64 local_id = 0;
    // Its moment is invalid when the stored texts are not in the stored form.
    TExecution execution;
    // The texts as stored, sent as they are.
    QString date_text;
    QString time_text;
};

// A usage period, counted once into one of the totals.
struct TStoredUsage
{
    qint64 local_id = 0;
    QString total;
    int seconds = 0;
    QDateTime recorded;
};

// An alert's start (no end yet) or its end, as the station judged it.
struct TStoredAlert
{
    qint64 local_id = 0;
    // Unique per station (kind and start).
    QString key;
    QString kind;
    QString detail;
    QDateTime started;
    QDateTime ended;
};

// A stop as it now stands. A row another program wrote out of form has
// invalid moments.
struct TStoredStop
{
    // Its change number.
    qint64 local_id = 0;
    TStopRecord stop;
};

#endif
