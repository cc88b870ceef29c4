#ifndef QUORVEX_CLASSFACTORY_H
#define QUORVEX_CLASSFACTORY_H

#include "sim/progidregistration.h"

#include <windows.h>

#include <QString>

#include <atomic>
#include <functional>

// Registers an automation class under a ProgID for as long as it lives:
// CoCreateInstance with its CLSID calls the creator for a new object. The
// class object is registered in this process only (REGCLS_MULTIPLEUSE), so
// clients in the same process reach it, as the tests and the demo do.
class TClassFactory : public IClassFactory
{
public:
    using TCreator = std::function<IDispatch *()>;

    // The creator returns an object with one reference, which passes to the client.
    TClassFactory(const QString &prog_id, const CLSID &clsid, TCreator creator);
    virtual ~TClassFactory();
    TClassFactory(const TClassFactory &) = delete;
    TClassFactory &operator=(const TClassFactory &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    TProgIdRegistration d_registration;
    TCreator d_creator;
    DWORD d_cookie;
    std::atomic<ULONG> d_reference_count;
};

#endif
