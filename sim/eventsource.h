#ifndef QUORVEX_EVENTSOURCE_H
#define QUORVEX_EVENTSOURCE_H

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

// One connection point of an automation object: clients advise their sinks
// for a dispinterface, and Fire calls every sink's Invoke. Its references are
// those of the object that contains it, which owns it.
class TEventSource : public IConnectionPoint
{
public:
    TEventSource(IConnectionPointContainer *container, const IID &interface_id);
    virtual ~TEventSource();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *pIID) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **ppCPC) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *pUnkSink, DWORD *pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **ppEnum) override;

    const IID &Interface_Id() const { return d_interface_id; }
    int Sink_Count() const { return int(d_sinks.size()); }

    // Raises an event: arguments in declared order (the first declared first);
    // they stay the caller's. Returns the result of the last sink's Invoke.
    HRESULT Fire(DISPID dispid, const std::vector<VARIANT> &arguments, WORD flags = DISPATCH_METHOD);
    // Drops every sink, as a server does when it goes away.
    void Disconnect_All();

private:
    struct TSink
    {
        DWORD cookie;
        IDispatch *sink;
    };

    IConnectionPointContainer *d_container;
    IID d_interface_id;
    std::vector<TSink> d_sinks;
    DWORD d_next_cookie;
};

#endif
