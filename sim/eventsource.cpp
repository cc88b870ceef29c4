#include "sim/eventsource.h"

TEventSource::TEventSource(IConnectionPointContainer *container, const IID &interface_id)
    : d_container(container), d_interface_id(interface_id), d_next_cookie(1)
{
}

TEventSource::~TEventSource() { Disconnect_All(); }

HRESULT STDMETHODCALLTYPE TEventSource::QueryInterface(REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint))
    {
        *ppvObject = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TEventSource::AddRef() { return d_container->AddRef(); }

ULONG STDMETHODCALLTYPE TEventSource::Release() { return d_container->Release(); }

HRESULT STDMETHODCALLTYPE TEventSource::GetConnectionInterface(IID *pIID)
{
    if (!pIID)
        return E_POINTER;
    *pIID = d_interface_id;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventSource::GetConnectionPointContainer(IConnectionPointContainer **ppCPC)
{
    if (!ppCPC)
        return E_POINTER;
    d_container->AddRef();
    *ppCPC = d_container;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventSource::Advise(IUnknown *pUnkSink, DWORD *pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    // The sink must implement the event interface itself.
    IDispatch *sink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(d_interface_id, reinterpret_cast<void **>(&sink))) || !sink)
        return CONNECT_E_CANNOTCONNECT;
    *pdwCookie = d_next_cookie++;
    d_sinks.push_back({*pdwCookie, sink});
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventSource::Unadvise(DWORD dwCookie)
{
    for (auto entry = d_sinks.begin(); entry != d_sinks.end(); ++entry)
        if (entry->cookie == dwCookie)
        {
            IDispatch *sink = entry->sink;
            d_sinks.erase(entry);
            sink->Release();
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE TEventSource::EnumConnections(IEnumConnections **ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

HRESULT TEventSource::Fire(DISPID dispid, const std::vector<VARIANT> &arguments, WORD flags)
{
    // IDispatch order: the last declared argument first.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters = {reversed.empty() ? nullptr : reversed.data(), nullptr, UINT(reversed.size()), 0};
    HRESULT result = S_OK;
    // A sink may unadvise while it handles the event: work on a snapshot, each held.
    std::vector<TSink> sinks = d_sinks;
    for (const TSink &entry : sinks)
        entry.sink->AddRef();
    for (const TSink &entry : sinks)
    {
        result = entry.sink->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &parameters, nullptr, nullptr,
                                    nullptr);
        entry.sink->Release();
    }
    return result;
}

void TEventSource::Disconnect_All()
{
    std::vector<TSink> sinks;
    sinks.swap(d_sinks);
    for (const TSink &entry : sinks)
        entry.sink->Release();
}
