#ifndef QUORVEX_BSTR_H
#define QUORVEX_BSTR_H

#include <windows.h>

#include <QString>

// Owns one BSTR and frees it with SysFreeString on every path out of a scope.
class TBstr
{
public:
    TBstr() : d_text(nullptr) {}
    explicit TBstr(const QString &text) : d_text(SysAllocString(reinterpret_cast<const OLECHAR *>(text.utf16()))) {}
    ~TBstr() { SysFreeString(d_text); }
    TBstr(const TBstr &) = delete;
    TBstr &operator=(const TBstr &) = delete;

    BSTR Get() const { return d_text; }
    BSTR *Address()
    {
        SysFreeString(d_text);
        d_text = nullptr;
        return &d_text;
    }
    QString Text() const { return To_QString(d_text); }

    static QString To_QString(const OLECHAR *text)
    {
        return text ? QString::fromUtf16(reinterpret_cast<const ushort *>(text)) : QString();
    }

private:
    BSTR d_text;
};

#endif
