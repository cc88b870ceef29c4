#include "comobject.h"
#include "layer.h"
#include "objbase.h"
#include "winreg.h"
#include "wstring.h"

#include <QUuid>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

// COM initialisation per thread, the table of registered class objects, the
// task allocator. The table is process-wide, as the system's is; ProgIDs are
// looked up in the registry (winreg).

namespace
{
struct TThreadCom
{
    int count = 0;
    DWORD model = 0;
};
thread_local TThreadCom t_com;

struct TClassEntry
{
    CLSID clsid;
    IUnknown *object;
    DWORD cookie;
};

struct TRegistry
{
    std::mutex mutex;
    std::vector<TClassEntry> classes;
    DWORD next_cookie = 1;
};

TRegistry &Registry()
{
    static TRegistry registry;
    return registry;
}

const DWORD APARTMENT_MASK = COINIT_APARTMENTTHREADED | COINIT_MULTITHREADED;

} // namespace

LPOLESTR TWString::Task_Copy(const QString &text)
{
    const size_t bytes = (size_t(text.size()) + 1) * sizeof(OLECHAR);
    LPOLESTR copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text.utf16(), bytes);
    return copy;
}

extern "C" HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit)
{
    if (pvReserved)
        return E_INVALIDARG;
    const DWORD model = dwCoInit & APARTMENT_MASK;
    if (t_com.count > 0 && t_com.model != model)
        return RPC_E_CHANGED_MODE;
    t_com.model = model;
    return t_com.count++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

extern "C" void WINAPI CoUninitialize()
{
    if (t_com.count > 0)
        --t_com.count;
}

extern "C" ULONG WINAPI LayerRegisteredClassCount()
{
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return ULONG(registry.classes.size());
}

extern "C" HRESULT WINAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = IID_NULL;
    // HKEY_CLASSES_ROOT\<ProgID>\CLSID holds the class as text.
    const QString key_name = TWString::To_QString(lpszProgID) + QStringLiteral("\\CLSID");
    HKEY key = nullptr;
    if (!*lpszProgID || RegOpenKeyExW(HKEY_CLASSES_ROOT, TWString::From_QString(key_name), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return CO_E_CLASSSTRING;
    WCHAR text[64] = {};
    DWORD size = sizeof(text) - sizeof(WCHAR);
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return CO_E_CLASSSTRING;
    const QUuid uuid(TWString::To_QString(text, int(size / sizeof(WCHAR))).remove(QChar(0)));
    if (uuid.isNull())
        return CO_E_CLASSSTRING;
    lpclsid->Data1 = uuid.data1;
    lpclsid->Data2 = uuid.data2;
    lpclsid->Data3 = uuid.data3;
    for (int i = 0; i < 8; ++i)
        lpclsid->Data4[i] = uuid.data4[i];
    return S_OK;
}

extern "C" HRESULT WINAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD, DWORD, LPDWORD lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    if (t_com.count == 0)
        return CO_E_NOTINITIALIZED;
    TRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    pUnk->AddRef();
    const DWORD cookie = registry.next_cookie++;
    registry.classes.push_back({rclsid, pUnk, cookie});
    *lpdwRegister = cookie;
    return S_OK;
}

extern "C" HRESULT WINAPI CoRevokeClassObject(DWORD dwRegister)
{
    IUnknown *object = nullptr;
    {
        TRegistry &registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        for (auto entry = registry.classes.begin(); entry != registry.classes.end(); ++entry)
            if (entry->cookie == dwRegister)
            {
                object = entry->object;
                registry.classes.erase(entry);
                break;
            }
    }
    if (!object)
        return E_INVALIDARG;
    object->Release();
    return S_OK;
}

extern "C" HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD, REFIID riid, LPVOID *ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (t_com.count == 0)
        return CO_E_NOTINITIALIZED;

    IClassFactory *factory = nullptr;
    {
        TRegistry &registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        for (const TClassEntry &entry : registry.classes)
            if (entry.clsid == rclsid)
            {
                entry.object->QueryInterface(IID_IClassFactory, reinterpret_cast<void **>(&factory));
                break;
            }
    }
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    const HRESULT result = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return result;
}

extern "C" HRESULT WINAPI CoCreateGuid(GUID *pguid)
{
    if (!pguid)
        return E_INVALIDARG;
    const QUuid uuid = QUuid::createUuid();
    pguid->Data1 = uuid.data1;
    pguid->Data2 = uuid.data2;
    pguid->Data3 = uuid.data3;
    std::memcpy(pguid->Data4, uuid.data4, 8);
    return S_OK;
}

extern "C" LPVOID WINAPI CoTaskMemAlloc(size_t cb) { return std::malloc(cb ? cb : 1); }

extern "C" void WINAPI CoTaskMemFree(LPVOID pv) { std::free(pv); }

