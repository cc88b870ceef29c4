#include "wincrypt.h"

#include "winbase.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// A blob of this layer's first form named a file that held the secret; such blobs are still read.
const QByteArray FILE_MAGIC = QByteArrayLiteral("QVXDPAPI");
const int ID_BYTES = 16;
// A blob now carries the secret itself, encrypted and authenticated with the user's key.
const QByteArray MAGIC = QByteArrayLiteral("QVXDPAP2");
const int NONCE_BYTES = 16;
const int KEY_BYTES = 32;
const int TAG_BYTES = 32;

QString Folder()
{
    return QDir::homePath() + QStringLiteral("/.dpapi");
}

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return 0;
}

QByteArray Random(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}

QByteArray Read_Key(const QString &path)
{
    QFile file(path);
    const QByteArray key = file.open(QIODevice::ReadOnly) ? file.read(KEY_BYTES + 1) : QByteArray();
    return key.size() == KEY_BYTES ? key : QByteArray();
}

// The user's key, made once: written whole to a file of its own, then linked
// into place, which fails where another thread or process put one first.
QByteArray User_Key()
{
    const QString folder = Folder();
    const QString path = folder + QStringLiteral("/key");
    QByteArray key = Read_Key(path);
    if (!key.isEmpty())
        return key;
    // Made, and given its mode, before anything is written into it.
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder,
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return QByteArray();
    key = Random(KEY_BYTES);
    const QByteArray made =
        QFile::encodeName(folder + QStringLiteral("/key-") + QString::fromLatin1(Random(8).toHex()));
    const int fd = ::open(made.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QByteArray();
    const bool written = ::write(fd, key.constData(), size_t(key.size())) == KEY_BYTES && ::fsync(fd) == 0;
    ::close(fd);
    const bool linked =
        written && (::link(made.constData(), QFile::encodeName(path).constData()) == 0 || errno == EEXIST);
    ::unlink(made.constData());
    return linked ? Read_Key(path) : QByteArray();
}

QByteArray Derived(const QByteArray &key, const char *purpose)
{
    return QMessageAuthenticationCode::hash(QByteArray(purpose), key, QCryptographicHash::Sha256);
}

// HMAC-SHA-256 of the nonce and a block counter as the key stream: the same call encrypts and decrypts.
QByteArray Stream(const QByteArray &key, const QByteArray &nonce, const QByteArray &data)
{
    const QByteArray stream_key = Derived(key, "quorvex-protect-encrypt");
    QByteArray out = data;
    for (int offset = 0, block = 0; offset < data.size(); ++block)
    {
        QByteArray counter = nonce;
        for (int shift = 24; shift >= 0; shift -= 8)
            counter.append(char((block >> shift) & 0xff));
        const QByteArray pad =
            QMessageAuthenticationCode::hash(counter, stream_key, QCryptographicHash::Sha256);
        for (int i = 0; i < pad.size() && offset < data.size(); ++i, ++offset)
            out[offset] = char(out.at(offset) ^ pad.at(i));
    }
    return out;
}

QByteArray Tag(const QByteArray &key, const QByteArray &sealed)
{
    return QMessageAuthenticationCode::hash(sealed, Derived(key, "quorvex-protect-authenticate"),
                                            QCryptographicHash::Sha256);
}

bool Same(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char differ = 0;
    for (int i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return differ == 0;
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

BOOL Unprotect_File_Form(const QByteArray &blob, DATA_BLOB *out)
{
    QFile file(Folder() + QLatin1Char('/') + QString::fromLatin1(blob.mid(FILE_MAGIC.size()).toHex()));
    if (!file.open(QIODevice::ReadOnly))
        return Fail(ERROR_INVALID_DATA);
    return Hand_Out(file.readAll(), out);
}
} // namespace

extern "C" BOOL WINAPI CryptProtectData(DATA_BLOB *pDataIn, LPCWSTR, DATA_BLOB *, PVOID,
                                        CRYPTPROTECT_PROMPTSTRUCT *, DWORD, DATA_BLOB *pDataOut)
{
    if (!pDataIn || !pDataOut)
        return Fail(ERROR_INVALID_PARAMETER);
    const QByteArray key = User_Key();
    if (key.isEmpty())
        return Fail(ERROR_ACCESS_DENIED);
    const QByteArray clear =
        QByteArray::fromRawData(reinterpret_cast<const char *>(pDataIn->pbData), int(pDataIn->cbData));
    QByteArray blob = MAGIC + Random(NONCE_BYTES);
    blob += Stream(key, blob.mid(MAGIC.size()), clear);
    blob += Tag(key, blob);
    return Hand_Out(blob, pDataOut);
}

extern "C" BOOL WINAPI CryptUnprotectData(DATA_BLOB *pDataIn, LPWSTR *ppszDataDescr, DATA_BLOB *, PVOID,
                                          CRYPTPROTECT_PROMPTSTRUCT *, DWORD, DATA_BLOB *pDataOut)
{
    if (!pDataIn || !pDataOut)
        return Fail(ERROR_INVALID_PARAMETER);
    if (ppszDataDescr)
        *ppszDataDescr = nullptr;
    const QByteArray blob(reinterpret_cast<const char *>(pDataIn->pbData), int(pDataIn->cbData));
    if (blob.size() == FILE_MAGIC.size() + ID_BYTES && blob.startsWith(FILE_MAGIC))
        return Unprotect_File_Form(blob, pDataOut);
    if (blob.size() < MAGIC.size() + NONCE_BYTES + TAG_BYTES || !blob.startsWith(MAGIC))
        return Fail(ERROR_INVALID_DATA);
    const QByteArray key = Read_Key(Folder() + QStringLiteral("/key"));
    const QByteArray sealed = blob.left(blob.size() - TAG_BYTES);
    if (key.isEmpty() || !Same(Tag(key, sealed), blob.right(TAG_BYTES)))
        return Fail(ERROR_INVALID_DATA);
    QByteArray clear =
        Stream(key, sealed.mid(MAGIC.size(), NONCE_BYTES), sealed.mid(MAGIC.size() + NONCE_BYTES));
    const BOOL handed = Hand_Out(clear, pDataOut);
    clear.fill('\0');
    return handed;
}
