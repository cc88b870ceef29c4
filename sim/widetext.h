#ifndef QUORVEX_WIDETEXT_H
#define QUORVEX_WIDETEXT_H

#include <windows.h>

#include <QString>
#include <QStringList>

#include <vector>

// QString's UTF-16 as the system's wide strings: on Windows they are wchar_t,
// elsewhere char16_t; both hold UTF-16 code units.
class TWideText
{
public:
    static LPCWSTR Of(const QString &text) { return reinterpret_cast<LPCWSTR>(text.utf16()); }
    // A writable, zero-terminated copy, for calls whose parameters are not const.
    static std::vector<WCHAR> Writable(const QString &text)
    {
        std::vector<WCHAR> copy(size_t(text.size()) + 1, WCHAR(0));
        std::copy(text.utf16(), text.utf16() + text.size(), copy.begin());
        return copy;
    }

    // Writable copies of several texts, with an array of their pointers.
    explicit TWideText(const QStringList &texts)
    {
        for (const QString &text : texts)
            d_texts.push_back(Writable(text));
        for (std::vector<WCHAR> &text : d_texts)
            d_pointers.push_back(text.data());
    }
    LPOLESTR *Array() { return d_pointers.empty() ? nullptr : d_pointers.data(); }

private:
    std::vector<std::vector<WCHAR>> d_texts;
    std::vector<LPOLESTR> d_pointers;
};

#endif
