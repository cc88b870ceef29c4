#ifndef QUORVEX_CSVEXPORT_H
#define QUORVEX_CSVEXPORT_H

#include "src/database/execution.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The CSV form of recorded executions: a header line, then one line per
// execution with its messages as further fields, in Latin-1.
class TCsvExport
{
public:
    // Empty (no header either) when there are no executions.
    static QByteArray Text(const std::vector<TExecution> &items);
    static QByteArray Header();
    static QString Line(const TExecution &item);
    // A field holding a comma, a double quote or a line break is quoted, its
    // quotes doubled, so that every record keeps its field count.
    static QString Field(const QString &text);
};

#endif
