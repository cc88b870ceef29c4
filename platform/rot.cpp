#include "comobject.h"
#include "objbase.h"
#include "wstring.h"

#include <QHash>

#include <mutex>
#include <vector>

// The running object table of the process and item monikers: enough for a
// server to register an object under a display name, as the simulator does.

namespace
{
struct TRunningEntry
{
    DWORD cookie;
    QString name;
    IUnknown *object;
    IMoniker *moniker;
};

QString Display_Name(IMoniker *moniker)
{
    LPOLESTR text = nullptr;
    if (!moniker || FAILED(moniker->GetDisplayName(nullptr, nullptr, &text)))
        return QString();
    const QString name = TWString::To_QString(text);
    CoTaskMemFree(text);
    return name;
}

// One table per process that never goes away, so its reference count is not kept.
class TRunningObjectTable final : public TProcessObject<IRunningObjectTable, IID_IRunningObjectTable>
{
public:
    HRESULT STDMETHODCALLTYPE Register(DWORD, IUnknown *punkObject, IMoniker *pmkObjectName, DWORD *pdwRegister) override
    {
        if (!punkObject || !pmkObjectName || !pdwRegister)
            return E_INVALIDARG;
        const QString name = Display_Name(pmkObjectName);
        std::lock_guard<std::mutex> lock(d_mutex);
        punkObject->AddRef();
        pmkObjectName->AddRef();
        *pdwRegister = d_next_cookie++;
        d_entries.push_back({*pdwRegister, name, punkObject, pmkObjectName});
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Revoke(DWORD dwRegister) override
    {
        TRunningEntry removed{0, QString(), nullptr, nullptr};
        {
            std::lock_guard<std::mutex> lock(d_mutex);
            for (auto entry = d_entries.begin(); entry != d_entries.end(); ++entry)
                if (entry->cookie == dwRegister)
                {
                    removed = *entry;
                    d_entries.erase(entry);
                    break;
                }
        }
        if (!removed.object)
            return E_INVALIDARG;
        removed.object->Release();
        removed.moniker->Release();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE IsRunning(IMoniker *pmkObjectName) override
    {
        IUnknown *object = nullptr;
        if (FAILED(GetObject(pmkObjectName, &object)))
            return S_FALSE;
        object->Release();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetObject(IMoniker *pmkObjectName, IUnknown **ppunkObject) override
    {
        if (!pmkObjectName || !ppunkObject)
            return E_INVALIDARG;
        *ppunkObject = Find(Display_Name(pmkObjectName));
        return *ppunkObject ? S_OK : MK_E_UNAVAILABLE;
    }

    HRESULT STDMETHODCALLTYPE NoteChangeTime(DWORD, FILETIME *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IMoniker *, FILETIME *) override { return MK_E_UNAVAILABLE; }

    // Nothing of the program walks the table.
    HRESULT STDMETHODCALLTYPE EnumRunning(IEnumMoniker **ppenumMoniker) override
    {
        if (ppenumMoniker)
            *ppenumMoniker = nullptr;
        return E_NOTIMPL;
    }

    // The registered object with this display name, with a reference for the caller.
    IUnknown *Find(const QString &name)
    {
        std::lock_guard<std::mutex> lock(d_mutex);
        for (const TRunningEntry &entry : d_entries)
            if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            {
                entry.object->AddRef();
                return entry.object;
            }
        return nullptr;
    }

private:
    std::mutex d_mutex;
    std::vector<TRunningEntry> d_entries;
    DWORD d_next_cookie = 1;
};

TRunningObjectTable &Table()
{
    static TRunningObjectTable table;
    return table;
}

class TItemMoniker final : public TComObject<IMoniker, IID_IMoniker>
{
public:
    explicit TItemMoniker(const QString &display_name) : d_display_name(display_name) {}

    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *, IMoniker *, REFIID riidResult, void **ppvResult) override
    {
        if (!ppvResult)
            return E_INVALIDARG;
        *ppvResult = nullptr;
        IUnknown *object = Table().Find(d_display_name);
        if (!object)
            return MK_E_NOOBJECT;
        const HRESULT result = object->QueryInterface(riidResult, ppvResult);
        object->Release();
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *ppszDisplayName) override
    {
        if (!ppszDisplayName)
            return E_INVALIDARG;
        *ppszDisplayName = TWString::Task_Copy(d_display_name);
        return *ppszDisplayName ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker *pmkOtherMoniker) override
    {
        return Display_Name(pmkOtherMoniker).compare(d_display_name, Qt::CaseInsensitive) == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx *, IMoniker *, IMoniker *) override
    {
        IUnknown *object = Table().Find(d_display_name);
        if (!object)
            return S_FALSE;
        object->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Hash(DWORD *pdwHash) override
    {
        if (!pdwHash)
            return E_INVALIDARG;
        *pdwHash = DWORD(qHash(d_display_name.toLower()));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *, IMoniker *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx *, DWORD, IMoniker **, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker *, BOOL, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx *, IMoniker *, FILETIME *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker *, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker *, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx *, IMoniker *, LPOLESTR, ULONG *, IMoniker **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD *pdwMksys) override
    {
        if (pdwMksys)
            *pdwMksys = 4; // MKSYS_ITEMMONIKER
        return S_OK;
    }

private:
    QString d_display_name;
};

} // namespace

extern "C" HRESULT WINAPI GetRunningObjectTable(DWORD reserved, LPRUNNINGOBJECTTABLE *pprot)
{
    if (!pprot)
        return E_INVALIDARG;
    *pprot = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    *pprot = &Table();
    return S_OK;
}

extern "C" HRESULT WINAPI CreateItemMoniker(LPCOLESTR lpszDelim, LPCOLESTR lpszItem, LPMONIKER *ppmk)
{
    if (!ppmk || !lpszItem)
        return E_INVALIDARG;
    *ppmk = new TItemMoniker(TWString::To_QString(lpszDelim) + TWString::To_QString(lpszItem));
    return S_OK;
}

