#ifndef QUORVEX_AUTOMATIONEVENT_H
#define QUORVEX_AUTOMATIONEVENT_H

#include <windows.h>

#include <QAtomicInt>

class TAutomation;

// The event sink a server calls: an IDispatch for one event interface that
// hands every method call to its TAutomation. Advise gives the server a
// reference; the sink deletes itself when its last reference is released.
class TAutomationEvent : public IDispatch
{
public:
    TAutomationEvent(TAutomation *parent, const IID &interface_id);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                            DISPID *rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                                     VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;
    virtual ~TAutomationEvent();

private:
    QAtomicInt d_reference_count;
    IID d_interface_id;
    TAutomation *d_parent;
};

#endif
