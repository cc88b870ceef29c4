#include "winreg.h"
#include "wstring.h"

#include <QByteArray>
#include <QHash>

#include <mutex>

// Keys are full paths below HKEY_CURRENT_USER, folded to lower case; a handle
// holds its key's path. HKEY_CLASSES_ROOT is the user's Software\Classes, as
// Windows merges it for a process without machine-wide registrations.

struct HKEY__
{
    QString path;
};

namespace
{
struct TValue
{
    DWORD type;
    QByteArray data;
};

struct TRegistry
{
    std::mutex mutex;
    QHash<QString, QHash<QString, TValue>> keys;
};

TRegistry &Registry()
{
    static TRegistry registry;
    return registry;
}

const QString CLASSES = QStringLiteral("software\\classes");

// The path of a subkey of an open or predefined key; false for a bad handle.
bool Path_Of(HKEY key, LPCWSTR sub_key, QString *path)
{
    QString base;
    if (key == HKEY_CURRENT_USER)
        base = QString();
    else if (key == HKEY_CLASSES_ROOT)
        base = CLASSES;
    else if (key)
        base = key->path;
    else
        return false;
    const QString sub = TWString::To_QString(sub_key).toLower();
    QStringList parts = base.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    parts += sub.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    *path = parts.join(QLatin1Char('\\'));
    return true;
}

// The path of an existing key; the caller holds the registry's lock.
LSTATUS Existing_Path(const TRegistry &registry, HKEY key, LPCWSTR sub_key, QString *path)
{
    if (!Path_Of(key, sub_key, path))
        return ERROR_INVALID_HANDLE;
    return registry.keys.contains(*path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

bool Predefined(HKEY key) { return key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT; }

// Every key on the way exists once a key does, as in the registry.
void Create_Path(TRegistry &registry, const QString &path)
{
    QString partial;
    for (const QString &part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
    {
        partial = partial.isEmpty() ? part : partial + QLatin1Char('\\') + part;
        if (!registry.keys.contains(partial))
            registry.keys.insert(partial, {});
    }
}
} // namespace

extern "C" LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, void *,
                                          PHKEY phkResult, LPDWORD lpdwDisposition)
{
    QString path;
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    if (!Path_Of(hKey, lpSubKey, &path))
        return ERROR_INVALID_HANDLE;
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const bool existed = registry.keys.contains(path);
    Create_Path(registry, path);
    if (lpdwDisposition)
        *lpdwDisposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = new HKEY__{path};
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    QString path;
    const LSTATUS status = Existing_Path(registry, hKey, lpSubKey, &path);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = new HKEY__{path};
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData,
                                         DWORD cbData)
{
    if (!hKey || Predefined(hKey))
        return ERROR_INVALID_HANDLE;
    if (dwType != REG_SZ)
        return ERROR_UNSUPPORTED_TYPE;
    if (!lpData && cbData > 0)
        return ERROR_INVALID_PARAMETER;
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto key = registry.keys.find(hKey->path);
    // The key was deleted while this handle was open.
    if (key == registry.keys.end())
        return ERROR_INVALID_HANDLE;
    key->insert(TWString::To_QString(lpValueName).toLower(),
                {dwType, QByteArray(reinterpret_cast<const char *>(lpData), int(cbData))});
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, BYTE *lpData,
                                           LPDWORD lpcbData)
{
    if (!hKey || Predefined(hKey))
        return ERROR_INVALID_HANDLE;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto key = registry.keys.constFind(hKey->path);
    if (key == registry.keys.constEnd())
        return ERROR_INVALID_HANDLE;
    const auto value = key->constFind(TWString::To_QString(lpValueName).toLower());
    if (value == key->constEnd())
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->type;
    const DWORD size = DWORD(value->data.size());
    LSTATUS status = ERROR_SUCCESS;
    if (lpData)
    {
        if (*lpcbData < size)
            status = ERROR_MORE_DATA;
        else
            std::copy(value->data.cbegin(), value->data.cend(), reinterpret_cast<char *>(lpData));
    }
    if (lpcbData)
        *lpcbData = size;
    return status;
}

extern "C" LSTATUS WINAPI RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey)
{
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    QString path;
    const LSTATUS status = Existing_Path(registry, hKey, lpSubKey, &path);
    if (status != ERROR_SUCCESS)
        return status;
    // Without a subkey the key itself stays, emptied.
    const bool keep = !lpSubKey || !*lpSubKey;
    if (keep)
        registry.keys[path].clear();
    const QString below = path + QLatin1Char('\\');
    for (auto key = registry.keys.begin(); key != registry.keys.end();)
        if ((key.key() == path && !keep) || key.key().startsWith(below))
            key = registry.keys.erase(key);
        else
            ++key;
    return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegCloseKey(HKEY hKey)
{
    if (!hKey || Predefined(hKey))
        return ERROR_INVALID_HANDLE;
    delete hKey;
    return ERROR_SUCCESS;
}
