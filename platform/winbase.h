#ifndef QUORVEX_PLATFORM_WINBASE_H
#define QUORVEX_PLATFORM_WINBASE_H

#include "wintypes.h"

// System message texts, local memory, wide-string length, the thread's last
// error, the module handle and the event log.

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004

typedef PVOID PSID;

#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040

// Zeroes memory in a way the compiler may not leave out.
inline void *SecureZeroMemory(void *ptr, size_t cnt)
{
    volatile char *bytes = static_cast<volatile char *>(ptr);
    while (cnt--)
        *bytes++ = 0;
    return ptr;
}

extern "C"
{
    DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                LPWSTR lpBuffer, DWORD nSize, void *Arguments);
    HLOCAL WINAPI LocalAlloc(UINT uFlags, size_t uBytes);
    HLOCAL WINAPI LocalFree(HLOCAL hMem);
    int WINAPI lstrlenW(LPCWSTR lpString);
    DWORD WINAPI GetLastError();
    void WINAPI SetLastError(DWORD dwErrCode);
    // The program's own module for a null name; other modules are not known here.
    HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
    // The Application log of the local computer only (a null server name). Where Windows
    // keeps the system's log, this layer appends each event as a line to
    // ~/.eventlog/Application.log, which only its owner may read (0600, folder 0700).
    HANDLE WINAPI RegisterEventSourceW(LPCWSTR lpUNCServerName, LPCWSTR lpSourceName);
    BOOL WINAPI ReportEventW(HANDLE hEventLog, WORD wType, WORD wCategory, DWORD dwEventID, PSID lpUserSid,
                             WORD wNumStrings, DWORD dwDataSize, LPCWSTR *lpStrings, LPVOID lpRawData);
    BOOL WINAPI DeregisterEventSource(HANDLE hEventLog);
}

#endif
