#ifndef QUORVEX_PLATFORM_WSTRING_H
#define QUORVEX_PLATFORM_WSTRING_H

#include "wintypes.h"

#include <QString>

// Conversions between the layer's 16-bit strings and QString.
class TWString
{
public:
    static QString To_QString(const WCHAR *text)
    {
        return text ? QString::fromUtf16(text) : QString();
    }
    static QString To_QString(const WCHAR *text, int length)
    {
        return text ? QString::fromUtf16(text, length) : QString();
    }
    static const WCHAR *From_QString(const QString &text) { return reinterpret_cast<const WCHAR *>(text.utf16()); }
    // A copy in memory from CoTaskMemAlloc, as monikers hand out their names.
    static LPOLESTR Task_Copy(const QString &text);
};

#endif
