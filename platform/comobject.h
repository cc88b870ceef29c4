#ifndef QUORVEX_PLATFORM_COMOBJECT_H
#define QUORVEX_PLATFORM_COMOBJECT_H

#include "unknwn.h"

#include <atomic>

// IUnknown for the layer's own objects that offer one interface: created with
// one reference, which the creator hands out; deleted with the last release.
template <class TInterface, const IID &INTERFACE_ID>
class TComObject : public TInterface
{
public:
    TComObject() : d_reference_count(1) {}
    virtual ~TComObject() = default;
    TComObject(const TComObject &) = delete;
    TComObject &operator=(const TComObject &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == INTERFACE_ID)
        {
            *ppvObject = static_cast<TInterface *>(this);
            this->AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++d_reference_count; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG count = --d_reference_count;
        if (count == 0)
            delete this;
        return count;
    }

private:
    std::atomic<ULONG> d_reference_count;
};

// IUnknown for an object that lives as long as the process (the task allocator,
// the running object table): its references are not counted.
template <class TInterface, const IID &INTERFACE_ID>
class TProcessObject : public TInterface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == INTERFACE_ID)
        {
            *ppvObject = static_cast<TInterface *>(this);
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

#endif
