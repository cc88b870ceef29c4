#include "src/instance/eventlog.h"

#include <windows.h>

const char *const TEventLog::SOURCE = "Quorvex";

bool TEventLog::Write_Error(const QString &text)
{
    const QString source = QLatin1String(SOURCE);
    HANDLE log = RegisterEventSourceW(nullptr, reinterpret_cast<LPCWSTR>(source.utf16()));
    if (!log)
        return false;
    LPCWSTR strings[] = {reinterpret_cast<LPCWSTR>(text.utf16())};
    const bool written = ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr) != 0;
    DeregisterEventSource(log);
    return written;
}
