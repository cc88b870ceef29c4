#ifndef QUORVEX_PLATFORM_WINBASE_H
#define QUORVEX_PLATFORM_WINBASE_H

#include "wintypes.h"

// System message texts, local memory, wide-string length, the thread's last
// error and the module handle.

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

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
}

#endif
