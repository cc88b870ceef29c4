#include "sim/classfactory.h"

TClassFactory::TClassFactory(const QString &prog_id, const CLSID &clsid, TCreator creator)
    : d_registration(prog_id, clsid), d_creator(std::move(creator)), d_cookie(0), d_reference_count(0)
{
    // The registry's reference is the only one: the object lives on the stack of its owner.
    CoRegisterClassObject(clsid, this, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &d_cookie);
}

TClassFactory::~TClassFactory() { CoRevokeClassObject(d_cookie); }

HRESULT STDMETHODCALLTYPE TClassFactory::QueryInterface(REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
    {
        *ppvObject = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TClassFactory::AddRef() { return ++d_reference_count; }

// Not deleted at zero: the owner destroys the factory, which revokes it.
ULONG STDMETHODCALLTYPE TClassFactory::Release() { return --d_reference_count; }

HRESULT STDMETHODCALLTYPE TClassFactory::CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    IDispatch *object = d_creator ? d_creator() : nullptr;
    if (!object)
        return CO_E_SERVER_EXEC_FAILURE;
    const HRESULT result = object->QueryInterface(riid, ppvObject);
    object->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE TClassFactory::LockServer(BOOL) { return S_OK; }
