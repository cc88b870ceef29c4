#include "winbase.h"

#include <cstdlib>
#include <cstring>

// The system's texts (English Windows) for the status codes the program can meet.

namespace
{
struct TMessage
{
    DWORD code;
    const char *text;
};

const TMessage MESSAGES[] = {
    {0x00000000, "The operation completed successfully."},
    {0x00000001, "Incorrect function."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80070005, "Access is denied."},
    {0x8007000E, "Not enough memory resources are available to complete this operation."},
    {0x80070057, "The parameter is incorrect."},
    {0x800702E4, "The requested operation requires elevation."},
    {0x80040154, "Class not registered"},
    {0x800401F3, "Invalid class string"},
    {0x800401F0, "CoInitialize has not been called."},
    {0x80080005, "Server execution failed"},
    {0x80020001, "Unknown interface."},
    {0x80020003, "Member not found."},
    {0x80020004, "Parameter not found."},
    {0x80020005, "Type mismatch."},
    {0x80020006, "Unknown name."},
    {0x80020007, "No named arguments."},
    {0x80020008, "Bad variable type."},
    {0x80020009, "Exception occurred."},
    {0x8002000A, "Out of present range."},
    {0x8002000B, "Invalid index."},
    {0x8002000C, "Unknown language."},
    {0x8002000D, "Memory is locked."},
    {0x8002000E, "Invalid number of parameters."},
    {0x8002000F, "Parameter not optional."},
    {0x80020010, "Invalid callee."},
    {0x80020011, "Does not support a collection."},
    {0x80029C4A, "Error loading type library/DLL."},
    {0x80010108, "The object invoked has disconnected from its clients."},
};

const char *Message_Text(DWORD code)
{
    for (const TMessage &message : MESSAGES)
        if (message.code == code)
            return message.text;
    return nullptr;
}
} // namespace

extern "C" DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPWSTR lpBuffer,
                                       DWORD nSize, void *)
{
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || !lpBuffer)
        return 0;
    const char *text = Message_Text(dwMessageId);
    if (!text)
        return 0;

    // Every system text ends with a carriage return and a line feed.
    const size_t length = std::strlen(text) + 2;
    WCHAR *target;
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER)
    {
        target = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
        if (!target)
            return 0;
        *reinterpret_cast<WCHAR **>(lpBuffer) = target;
    }
    else
    {
        if (nSize < length + 1)
            return 0;
        target = lpBuffer;
    }
    for (size_t i = 0; i + 2 < length; ++i)
        target[i] = WCHAR(static_cast<unsigned char>(text[i]));
    target[length - 2] = u'\r';
    target[length - 1] = u'\n';
    target[length] = 0;
    return DWORD(length);
}

extern "C" HLOCAL WINAPI LocalAlloc(UINT uFlags, size_t uBytes)
{
    void *memory = std::malloc(uBytes ? uBytes : 1);
    if (memory && (uFlags & LMEM_ZEROINIT))
        std::memset(memory, 0, uBytes);
    return memory;
}

extern "C" HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    std::free(hMem);
    return nullptr;
}

extern "C" int WINAPI lstrlenW(LPCWSTR lpString)
{
    if (!lpString)
        return 0;
    int length = 0;
    while (lpString[length])
        ++length;
    return length;
}

namespace
{
thread_local DWORD t_last_error = 0;

// Stands for the program's image: any distinct address serves as its handle.
char g_module;
} // namespace

extern "C" DWORD WINAPI GetLastError() { return t_last_error; }

extern "C" void WINAPI SetLastError(DWORD dwErrCode) { t_last_error = dwErrCode; }

extern "C" HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    if (lpModuleName)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&g_module);
}
