#include "wincrypt.h"

#include "winbase.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstring>

namespace
{
const QByteArray MAGIC = QByteArrayLiteral("QVXDPAPI");
const int ID_BYTES = 16;

QString Folder()
{
    return QDir::homePath() + QStringLiteral("/.dpapi");
}

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return 0;
}

BOOL Hand_Out(const QByteArray &bytes, DATA_BLOB *out)
{
    out->pbData = static_cast<BYTE *>(LocalAlloc(LMEM_FIXED, size_t(qMax(1, bytes.size()))));
    if (!out->pbData)
        return Fail(ERROR_ACCESS_DENIED);
    std::memcpy(out->pbData, bytes.constData(), size_t(bytes.size()));
    out->cbData = DWORD(bytes.size());
    return 1;
}
} // namespace

extern "C" BOOL WINAPI CryptProtectData(DATA_BLOB *pDataIn, LPCWSTR, DATA_BLOB *, PVOID,
                                        CRYPTPROTECT_PROMPTSTRUCT *, DWORD, DATA_BLOB *pDataOut)
{
    if (!pDataIn || !pDataOut)
        return Fail(ERROR_INVALID_PARAMETER);
    QByteArray id(ID_BYTES, Qt::Uninitialized);
    QRandomGenerator::system()->generate(id.begin(), id.end());
    // Made, and given its mode, before anything is written into it.
    if (!QDir().mkpath(Folder()) ||
        !QFile::setPermissions(Folder(),
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return Fail(ERROR_ACCESS_DENIED);
    QFile file(Folder() + QLatin1Char('/') + QString::fromLatin1(id.toHex()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(reinterpret_cast<const char *>(pDataIn->pbData), qint64(pDataIn->cbData)) !=
            qint64(pDataIn->cbData) ||
        !file.flush())
    {
        file.remove();
        return Fail(ERROR_ACCESS_DENIED);
    }
    return Hand_Out(MAGIC + id, pDataOut);
}

extern "C" BOOL WINAPI CryptUnprotectData(DATA_BLOB *pDataIn, LPWSTR *ppszDataDescr, DATA_BLOB *, PVOID,
                                          CRYPTPROTECT_PROMPTSTRUCT *, DWORD, DATA_BLOB *pDataOut)
{
    if (!pDataIn || !pDataOut)
        return Fail(ERROR_INVALID_PARAMETER);
    if (ppszDataDescr)
        *ppszDataDescr = nullptr;
    const QByteArray blob(reinterpret_cast<const char *>(pDataIn->pbData), int(pDataIn->cbData));
    if (blob.size() != MAGIC.size() + ID_BYTES || !blob.startsWith(MAGIC))
        return Fail(ERROR_INVALID_DATA);
    QFile file(Folder() + QLatin1Char('/') + QString::fromLatin1(blob.mid(MAGIC.size()).toHex()));
    if (!file.open(QIODevice::ReadOnly))
        return Fail(ERROR_INVALID_DATA);
    return Hand_Out(file.readAll(), pDataOut);
}
