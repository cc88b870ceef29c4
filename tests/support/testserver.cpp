#include "tests/support/testserver.h"

#include "sim/eventsource.h"
#include "sim/typelibrarywriter.h"

const CLSID TTestServer::CLASS_ID = {0x5d2c0e41, 0x7a55, 0x4c1e, {0x9b, 0x3a, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
const IID TTestServer::EVENTS_ID = {0x5d2c0e42, 0x7a55, 0x4c1e, {0x9b, 0x3a, 0x11, 0x22, 0x33, 0x44, 0x55, 0x67}};
const QString TTestServer::PROG_ID = QStringLiteral("Quorvex.TestServer");

namespace
{
// Counts the queries for connection points, so that a test can prove a client
// did not ask, and answers a found one with the success code the test set.
class TCountingObject : public TDispatchObject
{
public:
    TCountingObject(int *queries, const HRESULT *found) : d_queries(queries), d_found(found) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (IsEqualIID(riid, IID_IConnectionPointContainer))
            ++*d_queries;
        return TDispatchObject::QueryInterface(riid, ppvObject);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override
    {
        const HRESULT result = TDispatchObject::FindConnectionPoint(riid, ppCP);
        return result == S_OK ? *d_found : result;
    }

private:
    int *d_queries;
    const HRESULT *d_found;
};
} // namespace

QString TTestServer::Describe(const VARIANT &value)
{
    switch (value.vt)
    {
    case VT_I4:
        return QStringLiteral("I4:%1").arg(value.lVal);
    case VT_R4:
        return QStringLiteral("R4:%1").arg(double(value.fltVal));
    case VT_R8:
        return QStringLiteral("R8:%1").arg(value.dblVal);
    case VT_BOOL:
        return QStringLiteral("BOOL:%1").arg(quint16(value.boolVal), 0, 16);
    case VT_BSTR:
        return QStringLiteral("BSTR:") + QString::fromUtf16(reinterpret_cast<const ushort *>(value.bstrVal));
    case VT_ERROR:
        return QStringLiteral("ERROR:%1").arg(quint32(value.scode), 0, 16);
    case VT_DISPATCH:
        return QStringLiteral("DISPATCH");
    case VT_ARRAY | VT_VARIANT:
    {
        QStringList items;
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(value.parray, 1, &lower);
        SafeArrayGetUBound(value.parray, 1, &upper);
        for (LONG index = lower; index <= upper; ++index)
        {
            VARIANT item;
            VariantInit(&item);
            SafeArrayGetElement(value.parray, &index, &item);
            items << Describe(item);
            VariantClear(&item);
        }
        return QStringLiteral("ARRAY[%1..%2]:").arg(lower).arg(upper) + items.join(QLatin1Char('|'));
    }
    case VT_BYREF | VT_I4:
        return QStringLiteral("I4*:%1").arg(*value.plVal);
    case VT_BYREF | VT_R8:
        return QStringLiteral("R8*:%1").arg(*value.pdblVal);
    default:
        return QStringLiteral("VT:%1").arg(value.vt);
    }
}

TTestServer::TTestServer() : d_events(nullptr), d_name(QStringLiteral("first")), d_property_puts(0), d_connection_point_queries(0), d_found_result(S_OK)
{
    d_factory = std::make_unique<TClassFactory>(PROG_ID, CLASS_ID, [this]() { return Make_Object(); });

    TTypeLibraryWriter library;
    library.Set_Library(QStringLiteral("TestServer"), CLASS_ID);
    library.Add_Dispinterface(QStringLiteral("IOther"), CLASS_ID);
    library.Add_Function(1, QStringLiteral("Unrelated"));
    library.Add_Dispinterface(QStringLiteral("ITestEvents"), EVENTS_ID);
    library.Add_Function(1, QStringLiteral("Nothing"));
    library.Add_Function(2, QStringLiteral("Pair"), {QStringLiteral("first"), QStringLiteral("second")});
    library.Add_Function(3, QStringLiteral("Many"));
    library.Add_Function(4, QStringLiteral("Unwanted"));
    library.Add_Variable(10, QStringLiteral("State"));
    library.Save(Type_Library());
}

TTestServer::~TTestServer() = default;

TDispatchObject *TTestServer::New_Object() { return Make_Object(); }

TDispatchObject *TTestServer::Make_Object()
{
    TDispatchObject *object = new TCountingObject(&d_connection_point_queries, &d_found_result);
    object->Add_Property(QStringLiteral("Name"),
                         [this](VARIANT *result) { return TDispatchObject::Text_Result(result, d_name); },
                         [this](const VARIANT &value) {
                             ++d_property_puts;
                             if (value.vt != VT_BSTR)
                                 return DISP_E_TYPEMISMATCH;
                             d_name = QString::fromUtf16(reinterpret_cast<const ushort *>(value.bstrVal));
                             return S_OK;
                         });
    object->Add_Property(QStringLiteral("Count"), [](VARIANT *result) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = 42;
        return S_OK;
    });
    object->Add_Property(QStringLiteral("Child"), [this](VARIANT *result) {
        TDispatchObject *child = Make_Object();
        const HRESULT status = TDispatchObject::Object_Result(result, child);
        child->Release();
        return status;
    });
    object->Add_Property(QStringLiteral("Broken"), [](VARIANT *) { return E_FAIL; });
    object->Add_Method(QStringLiteral("Echo"), [this](const DISPPARAMS &parameters, VARIANT *result) {
        QStringList call;
        for (UINT i = 0; i < parameters.cArgs; ++i)
            call << Describe(parameters.rgvarg[i]);
        d_echo_calls.push_back(call);
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = LONG(parameters.cArgs);
        return S_OK;
    });
    d_events = object->Add_Event_Source(EVENTS_ID);
    return object;
}
