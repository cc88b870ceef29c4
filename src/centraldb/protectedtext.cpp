#include "src/centraldb/protectedtext.h"

#include <QByteArray>

#include <windows.h>
// After windows.h, whose types it takes.
#include <wincrypt.h>

namespace
{
// The bytes DATA_BLOB points at, and the output blob given back to the system.
QByteArray Taken(DATA_BLOB *out)
{
    const QByteArray bytes(reinterpret_cast<const char *>(out->pbData), int(out->cbData));
    SecureZeroMemory(out->pbData, out->cbData);
    LocalFree(out->pbData);
    return bytes;
}
} // namespace

QString TProtectedText::Protect(const QString &clear)
{
    QByteArray bytes = clear.toUtf8();
    DATA_BLOB in{DWORD(bytes.size()), reinterpret_cast<BYTE *>(bytes.data())};
    DATA_BLOB out{0, nullptr};
    const bool done =
        CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out) != 0;
    bytes.fill('\0');
    return done ? QString::fromLatin1(Taken(&out).toBase64()) : QString();
}

bool TProtectedText::Unprotect(const QString &protected_text, QString *clear)
{
    QByteArray bytes = QByteArray::fromBase64(protected_text.toLatin1());
    DATA_BLOB in{DWORD(bytes.size()), reinterpret_cast<BYTE *>(bytes.data())};
    DATA_BLOB out{0, nullptr};
    if (bytes.isEmpty() ||
        !CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return false;
    QByteArray taken = Taken(&out);
    *clear = QString::fromUtf8(taken);
    taken.fill('\0');
    return true;
}
