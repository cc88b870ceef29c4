#include "sim/progidregistration.h"

#include "sim/widetext.h"

#include <QUuid>

namespace
{
const QString CLASSES = QStringLiteral("Software\\Classes\\");
}

TProgIdRegistration::TProgIdRegistration(const QString &prog_id, const CLSID &clsid)
    : d_prog_key(CLASSES + prog_id), d_class_key(CLASSES + QStringLiteral("CLSID\\") + Clsid_Text(clsid)),
      d_status(ERROR_SUCCESS)
{
    d_status = Write_Default(d_prog_key + QStringLiteral("\\CLSID"), Clsid_Text(clsid));
    if (d_status == ERROR_SUCCESS)
        d_status = Write_Default(d_class_key + QStringLiteral("\\ProgID"), prog_id);
}

TProgIdRegistration::~TProgIdRegistration()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, TWideText::Of(d_prog_key));
    RegDeleteTreeW(HKEY_CURRENT_USER, TWideText::Of(d_class_key));
}

QString TProgIdRegistration::Clsid_Text(const CLSID &clsid)
{
    const QUuid uuid(clsid.Data1, clsid.Data2, clsid.Data3, clsid.Data4[0], clsid.Data4[1], clsid.Data4[2],
                     clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
    // The registry's own form: braces, upper case.
    return uuid.toString(QUuid::WithBraces).toUpper();
}

LSTATUS TProgIdRegistration::Write_Default(const QString &key_name, const QString &value)
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, TWideText::Of(key_name), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    // REG_SZ counts its bytes with the terminating zero.
    status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.utf16()),
                            DWORD((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return status;
}
