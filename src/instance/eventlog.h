#ifndef QUORVEX_EVENTLOG_H
#define QUORVEX_EVENTLOG_H

#include <QString>

// The system's event log, where a start that no one may be watching (the one
// at logon) says why it ended: the Application log, under the source "Quorvex".
class TEventLog
{
public:
    static const char *const SOURCE;

    // False when the system would not take it.
    static bool Write_Error(const QString &text);
};

#endif
