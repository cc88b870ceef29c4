#ifndef QUORVEX_DISPATCHOBJECT_H
#define QUORVEX_DISPATCHOBJECT_H

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TEventSource;

// An automation object served by name, for our own servers (the tests and the
// simulator): properties with a getter and an optional setter, methods, and
// event sources offered through IConnectionPointContainer. Created with one
// reference for its creator; deleted with its last release. Lives on the
// thread that uses it.
class TDispatchObject : public IDispatch, public IConnectionPointContainer
{
public:
    using TGetter = std::function<HRESULT(VARIANT *result)>;
    using TSetter = std::function<HRESULT(const VARIANT &value)>;
    using TMethod = std::function<HRESULT(const DISPPARAMS &parameters, VARIANT *result)>;

    TDispatchObject();
    TDispatchObject(const TDispatchObject &) = delete;
    TDispatchObject &operator=(const TDispatchObject &) = delete;

    DISPID Add_Property(const QString &name, TGetter getter, TSetter setter = TSetter());
    DISPID Add_Method(const QString &name, TMethod method);
    // The object owns the source; its references are the object's.
    TEventSource *Add_Event_Source(const IID &interface_id);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                            DISPID *rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                                     VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override;

    ULONG Reference_Count() const { return d_reference_count.load(); }
    // Objects of this kind alive in the process: a test proves nothing leaked.
    static int Live_Count();

    static HRESULT Text_Result(VARIANT *result, const QString &text);
    static HRESULT Object_Result(VARIANT *result, IDispatch *object);

protected:
    virtual ~TDispatchObject();

private:
    struct TMember
    {
        QString name;
        TGetter getter;
        TSetter setter;
        TMethod method;
    };

    std::atomic<ULONG> d_reference_count;
    std::vector<TMember> d_members;
    std::vector<std::unique_ptr<TEventSource>> d_event_sources;
};

#endif
