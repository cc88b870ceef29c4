#include "sim/dispatchobject.h"

#include "sim/eventsource.h"

namespace
{
std::atomic<int> g_live_count{0};

// Members are numbered from 1 in the order they were added.
DISPID Member_Id(size_t index) { return DISPID(index + 1); }
} // namespace

TDispatchObject::TDispatchObject() : d_reference_count(1) { ++g_live_count; }

TDispatchObject::~TDispatchObject() { --g_live_count; }

int TDispatchObject::Live_Count() { return g_live_count.load(); }

DISPID TDispatchObject::Add_Property(const QString &name, TGetter getter, TSetter setter)
{
    d_members.push_back({name, std::move(getter), std::move(setter), TMethod()});
    return Member_Id(d_members.size() - 1);
}

DISPID TDispatchObject::Add_Method(const QString &name, TMethod method)
{
    d_members.push_back({name, TGetter(), TSetter(), std::move(method)});
    return Member_Id(d_members.size() - 1);
}

TEventSource *TDispatchObject::Add_Event_Source(const IID &interface_id)
{
    d_event_sources.push_back(std::make_unique<TEventSource>(this, interface_id));
    return d_event_sources.back().get();
}

HRESULT STDMETHODCALLTYPE TDispatchObject::QueryInterface(REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
        *ppvObject = static_cast<IDispatch *>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer) && !d_event_sources.empty())
        *ppvObject = static_cast<IConnectionPointContainer *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE TDispatchObject::AddRef() { return ++d_reference_count; }

ULONG STDMETHODCALLTYPE TDispatchObject::Release()
{
    const ULONG count = --d_reference_count;
    if (count == 0)
        delete this;
    return count;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::GetTypeInfoCount(UINT *pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID,
                                                         DISPID *rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!rgszNames || !rgDispId)
        return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < cNames; ++i)
    {
        rgDispId[i] = DISPID_UNKNOWN;
        const QString name = QString::fromUtf16(reinterpret_cast<const ushort *>(rgszNames[i]));
        // Automation names are not case-sensitive.
        for (size_t index = 0; index < d_members.size(); ++index)
            if (d_members[index].name.compare(name, Qt::CaseInsensitive) == 0)
                rgDispId[i] = Member_Id(index);
        if (rgDispId[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                                  DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *, UINT *)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (dispIdMember < 1 || size_t(dispIdMember) > d_members.size())
        return DISP_E_MEMBERNOTFOUND;
    // Held for the call: a member may release the last outside reference.
    AddRef();
    const TMember member = d_members[size_t(dispIdMember - 1)];
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    const DISPPARAMS &parameters = pDispParams ? *pDispParams : none;
    VARIANT ignored;
    VariantInit(&ignored);
    VARIANT *result = pVarResult ? pVarResult : &ignored;

    HRESULT status = DISP_E_MEMBERNOTFOUND;
    if (member.method && (wFlags & DISPATCH_METHOD))
        status = member.method(parameters, result);
    else if (member.getter && (wFlags & DISPATCH_PROPERTYGET))
        status = parameters.cArgs == 0 ? member.getter(result) : DISP_E_BADPARAMCOUNT;
    else if (member.setter && (wFlags & DISPATCH_PROPERTYPUT))
    {
        if (parameters.cArgs != 1 || parameters.cNamedArgs != 1 ||
            parameters.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            status = DISP_E_PARAMNOTFOUND;
        else
            status = member.setter(parameters.rgvarg[0]);
    }
    VariantClear(&ignored);
    Release();
    return status;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TDispatchObject::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    for (const auto &source : d_event_sources)
        if (IsEqualIID(source->Interface_Id(), riid))
        {
            *ppCP = source.get();
            source->AddRef();
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

HRESULT TDispatchObject::Text_Result(VARIANT *result, const QString &text)
{
    VariantInit(result);
    result->vt = VT_BSTR;
    // A BSTR carries its length: the whole text passes, zero characters included.
    result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size()));
    return S_OK;
}

HRESULT TDispatchObject::Object_Result(VARIANT *result, IDispatch *object)
{
    VariantInit(result);
    if (!object)
        return S_OK;
    object->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}
