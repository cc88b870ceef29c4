#include "core/automationevent.h"

#include "core/automation.h"

TAutomationEvent::TAutomationEvent(TAutomation *parent, const IID &interface_id)
    : d_reference_count(0), d_interface_id(interface_id), d_parent(parent)
{
}

TAutomationEvent::~TAutomationEvent() = default;

HRESULT STDMETHODCALLTYPE TAutomationEvent::QueryInterface(REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_INVALIDARG;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, d_interface_id))
    {
        *ppvObject = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TAutomationEvent::AddRef() { return ULONG(d_reference_count.fetchAndAddOrdered(1) + 1); }

ULONG STDMETHODCALLTYPE TAutomationEvent::Release()
{
    const int count = d_reference_count.fetchAndAddOrdered(-1) - 1;
    if (count == 0)
        delete this;
    return ULONG(count);
}

HRESULT STDMETHODCALLTYPE TAutomationEvent::GetTypeInfoCount(UINT *) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TAutomationEvent::GetTypeInfo(UINT, LCID, ITypeInfo **) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TAutomationEvent::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TAutomationEvent::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                                   DISPPARAMS *pDispParams, VARIANT *, EXCEPINFO *, UINT *)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!(wFlags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    Q_ASSERT_X(d_parent, "core/automation", "d_parent");
    if (d_parent)
    {
        if (pDispParams)
            d_parent->Dispatch_Event(dispIdMember, int(pDispParams->cArgs), pDispParams->rgvarg);
        else
            d_parent->Dispatch_Event(dispIdMember, 0, nullptr);
    }
    return S_OK;
}
