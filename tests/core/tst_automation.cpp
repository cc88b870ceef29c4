#include "core/automation.h"
#include "sim/dispatchobject.h"
#include "sim/eventsource.h"
#include "sim/progidregistration.h"
#include "sim/widetext.h"
#include "tests/support/testserver.h"
#include "tests/support/wine.h"

#include <QtTest>

using TArg = TAutomation::TArg;

namespace
{
VARIANT Int_Variant(int value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}
} // namespace

// The client object and its event sink against a real automation server of
// ours; after each test every object the server handed out is released again.
class TTestAutomation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TAutomation::Init_COM()); }
    void cleanupTestCase() { TAutomation::Uninit_COM(); }
    void init();
    void cleanup();
    void Creation_And_Its_Texts();
    void Properties_By_Name();
    void Call_Passes_Arguments_In_Dispatch_Order();
    void Sub_Objects_Are_Owned_By_The_Caller();
    void Only_Registered_Events_Arrive_In_Order();
    void Events_Set_Up_In_The_Required_Order();
    void Release_Gives_Everything_Back();
    void Connection_Point_Found_With_Another_Success_Code();

private:
    void Connect_Events(TAutomation *automation);

    TTestServer *d_server = nullptr;
    int d_live_before = 0;
    QList<QStringList> d_received;
};

void TTestAutomation::init()
{
    d_live_before = TDispatchObject::Live_Count();
    d_server = new TTestServer;
    d_received.clear();
}

void TTestAutomation::cleanup()
{
    delete d_server;
    QCOMPARE(TDispatchObject::Live_Count(), d_live_before);
}

// Each event as received inside the slot: its name, then its arguments as text.
void TTestAutomation::Connect_Events(TAutomation *automation)
{
    connect(automation, &TAutomation::Sink_Signal, this, [this](QString name, int count, TArg *arguments) {
        QStringList received{name};
        for (int i = 0; i < count; ++i)
            received << arguments[i].ToString();
        d_received << received;
    });
    QVERIFY(automation->Init_Events(d_server->Type_Library(), QStringLiteral("ITestEvents")));
    QVERIFY(automation->Init_Event_Signals(d_server->Type_Library()));
    QVERIFY(automation->Connect_Events());
    QCOMPARE(d_server->Events()->Sink_Count(), 1);
}

void TTestAutomation::Creation_And_Its_Texts()
{
    QVERIFY(!TAutomation::Init_COM());
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    QVERIFY2(automation.Has_Interface(), qPrintable(automation.Last_Error()));
    QVERIFY(automation.CreateObject(QStringLiteral("quorvex.testserver")));
    QVERIFY(!automation.CreateObject(QString()));
    QCOMPARE(automation.Last_Error(), QStringLiteral("ERR  CreateObect: Object '' name size is zero."));
    QVERIFY(!automation.Has_Interface());
    QCOMPARE(automation.GetProperty(QStringLiteral("Name")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: d_dispatch_interface NULL"));
    QVERIFY(!automation.CreateObject(QStringLiteral("No.Such.Server")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("ERR  CreateObect: Object 'No.Such.Server' does not exist."));
    const CLSID missing = {0x0badc0de, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    {
        // A ProgID left in the registry by a server that is gone.
        TProgIdRegistration gone(QStringLiteral("Quorvex.Gone"), missing);
        QCOMPARE(gone.Status(), ERROR_SUCCESS);
        QVERIFY(!automation.CreateObject(QStringLiteral("Quorvex.Gone")));
        if (TWine::Running())
            QEXPECT_FAIL("", "Wine's CLSIDFromProgID reads only HKEY_LOCAL_MACHINE\\Software\\Classes, not the "
                             "user's classes that Windows merges in: the ProgID is not found at all", Continue);
        QCOMPARE(automation.Last_Error(),
                 QStringLiteral("ERR  QueryInterface: result_status 0x80040154 - Class not registered\r\n"));
    }
    QVERIFY(!automation.CreateObject(QStringLiteral("Quorvex.Gone")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("ERR  CreateObect: Object 'Quorvex.Gone' does not exist."));
}

void TTestAutomation::Properties_By_Name()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    // The text a failure leaves, right after it.
    const auto failure = [&automation](bool done) { return done ? QStringLiteral("<done>") : automation.Last_Error(); };
    QCOMPARE(automation.GetProperty(QStringLiteral("name")).ToString(), QStringLiteral("first"));
    QCOMPARE(failure(automation.SetProperty(QStringLiteral("Name"), TArg())),
             QStringLiteral("SetProperty Error: Property 'Name' cannot be empty."));
    QCOMPARE(d_server->Property_Puts(), 0);
    // The value goes as the one named DISPID_PROPERTYPUT argument, which the server insists on.
    // Any text crosses unchanged, in both directions.
    const QString hostile = QStringLiteral("O'Brien %1 \u00e9 \u4e2d \U0001F600 \u202eleft");
    QCOMPARE(failure(automation.SetProperty(QStringLiteral("Name"), TArg(hostile))), QStringLiteral("<done>"));
    QCOMPARE(d_server->Name(), hostile);
    QCOMPARE(automation.GetProperty(QStringLiteral("Name")).ToString(), hostile);
    const bool typed = automation.SetProperty(QStringLiteral("Name"), TArg(3));
    if (TWine::Running())
        QEXPECT_FAIL("", "Wine's FormatMessageW has no text for DISP_E_TYPEMISMATCH", Continue);
    QCOMPARE(failure(typed), QStringLiteral("SetProperty Error: Type mismatch.\r\n"));
    QVERIFY(automation.Last_Error().startsWith(QStringLiteral("SetProperty Error: ")));
    QCOMPARE(failure(automation.SetProperty(QStringLiteral("Nothing"), TArg(3))),
             QStringLiteral("SetProperty Error: Property 'Nothing' does not exist."));
    QCOMPARE(failure(automation.GetProperty(QStringLiteral("Nothing")).type != TArg::TYPE_EMPTY),
             QStringLiteral("Call Error: Method 'Nothing' does not exist."));
    const QString broken = failure(automation.GetProperty(QStringLiteral("Broken")).type != TArg::TYPE_EMPTY);
    if (TWine::Running())
        QEXPECT_FAIL("", "Wine's FormatMessageW text for E_FAIL is \"Call failed.\"", Continue);
    QCOMPARE(broken, QStringLiteral("GetProperly Error: Unspecified error\r\n"));
    QCOMPARE(broken, QStringLiteral("GetProperly Error: ") + TAutomation::Error_Text(E_FAIL));
    // A success does not clear the text of the failure before it.
    QCOMPARE(automation.GetProperty(QStringLiteral("Count")).ToInt(), 42);
    QCOMPARE(automation.Last_Error(), broken);
}

void TTestAutomation::Call_Passes_Arguments_In_Dispatch_Order()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    QCOMPARE(automation.Call(QStringLiteral("Echo"), TArg(1), TArg(), TArg("three")).ToInt(), 2);
    QCOMPARE(d_server->Echo_Calls().back(), (QStringList{"BSTR:three", "I4:1"}));
    int count = 5;
    double value = 0.5;
    automation.Call(QStringLiteral("Echo"), TArg(true), TArg(2.5), TArg(1.5f), TArg(&count), TArg(&value),
                    TArg(QStringList{"a", "b"}));
    QCOMPARE(d_server->Echo_Calls().back(),
             (QStringList{"ARRAY[0..1]:BSTR:a|BSTR:b", "R8*:0.5", "I4*:5", "R4:1.5", "R8:2.5", "BOOL:ffff"}));
    automation.Call(QStringLiteral("Echo"), TArg(1), TArg(2), TArg(3), TArg(4), TArg(5), TArg(6), TArg(7), TArg(8),
                    TArg(9), TArg(10), TArg(11), TArg(12), TArg(13), TArg(14), TArg(15), TArg(16));
    QCOMPARE(d_server->Echo_Calls().back().size(), 16);
    QCOMPARE(d_server->Echo_Calls().back().first(), QStringLiteral("I4:16"));
    QCOMPARE(automation.Call(QStringLiteral("Missing")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call: Method 'Missing' does not exist."));
    // A property is not a method.
    QCOMPARE(automation.Call(QStringLiteral("Count")).type, TArg::TYPE_EMPTY);
    if (TWine::Running())
        QEXPECT_FAIL("", "Wine's FormatMessageW has no text for DISP_E_MEMBERNOTFOUND", Continue);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: Member not found.\r\n"));
    // A code without a system text shows itself.
    QCOMPARE(TAutomation::Error_Text(HRESULT(0xA0041234)), QStringLiteral("0xa0041234\r\n"));
}

void TTestAutomation::Sub_Objects_Are_Owned_By_The_Caller()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    const int live = TDispatchObject::Live_Count();
    TAutomation *child = automation.GetSubObject(QStringLiteral("Child"));
    QVERIFY(child && !child->parent());
    QCOMPARE(TDispatchObject::Live_Count(), live + 1);
    QCOMPARE(child->GetProperty(QStringLiteral("Count")).ToInt(), 42);
    delete child;
    QCOMPARE(TDispatchObject::Live_Count(), live);
    // A property that is text is no object; its string is freed (the leak checker watches).
    QVERIFY(!automation.GetSubObject(QStringLiteral("Name")));
    QVERIFY(!automation.GetSubObject(QStringLiteral("Broken")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("GetSubObject Error: Object 'Broken' does not exist."));
    // A dispatch result taken with ToAutomation is released by its wrapper.
    const TArg value = automation.GetProperty(QStringLiteral("Child"));
    QCOMPARE(value.type, TArg::TYPE_DISPATCH);
    delete value.ToAutomation();
    QCOMPARE(TDispatchObject::Live_Count(), live);
}

void TTestAutomation::Only_Registered_Events_Arrive_In_Order()
{
    TDispatchObject *object = d_server->New_Object();
    TAutomation automation(static_cast<IDispatch *>(object), nullptr);
    Connect_Events(&automation);
    QVERIFY(automation.Add_Event_Signal(QStringLiteral("Pair")));
    QVERIFY(automation.Add_Event_Signal(QStringLiteral("Many")));
    QVERIFY(!automation.Add_Event_Signal(QStringLiteral("pair")));
    QVERIFY(!automation.Add_Event_Signal(QStringLiteral("Unrelated")));
    d_server->Events()->Fire(4, {});
    d_server->Events()->Fire(1, {});
    QVERIFY(d_received.isEmpty());
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(TWideText::Of(QStringLiteral("A")));
    d_server->Events()->Fire(2, {text, Int_Variant(2)});
    QCOMPARE(d_received.value(0), (QStringList{"Pair", "A", "2"}));
    // The server's argument stays the server's.
    QCOMPARE(QString::fromUtf16(reinterpret_cast<const ushort *>(text.bstrVal)), QStringLiteral("A"));
    VariantClear(&text);
    std::vector<VARIANT> sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen.push_back(Int_Variant(i));
    d_server->Events()->Fire(3, sixteen);
    QCOMPARE(d_received.value(1).size(), 17);
    QCOMPARE(d_received.value(1).last(), QStringLiteral("16"));
    sixteen.push_back(Int_Variant(17));
    d_server->Events()->Fire(3, sixteen);
    QCOMPARE(d_received.size(), 2);
    // What is no method call is refused.
    QCOMPARE(d_server->Events()->Fire(2, {}, DISPATCH_PROPERTYGET), DISP_E_MEMBERNOTFOUND);
    QCOMPARE(d_received.size(), 2);
}

void TTestAutomation::Events_Set_Up_In_The_Required_Order()
{
    TDispatchObject *object = d_server->New_Object();
    TAutomation automation(static_cast<IDispatch *>(object), nullptr);
    const QString missing = QStringLiteral("/no/such/folder/pcdlrn.tlb");
    QVERIFY(!automation.Init_Events(missing, QStringLiteral("ITestEvents")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("Init_Events: Cannot load Type Library '%1'").arg(missing));
    // Without the listed functions nothing is asked of the server.
    QVERIFY(!automation.Connect_Events());
    QVERIFY(automation.Init_Events(d_server->Type_Library(), QStringLiteral("ITestEvents")));
    QVERIFY(!automation.Connect_Events());
    QCOMPARE(d_server->Connection_Point_Queries(), 0);
    Connect_Events(&automation);
    QVERIFY(automation.Add_Event_Signal(QStringLiteral("Nothing")));
    // Listing the functions again forgets the events chosen before.
    QVERIFY(automation.Init_Event_Signals(d_server->Type_Library()));
    d_server->Events()->Fire(1, {});
    QVERIFY(d_received.isEmpty());
    // Connecting again replaces the earlier advise instead of adding one.
    QVERIFY(automation.Connect_Events());
    QCOMPARE(d_server->Events()->Sink_Count(), 1);
    QVERIFY(!TAutomation().Init_Events(d_server->Type_Library(), QStringLiteral("itestevents")));
}

void TTestAutomation::Release_Gives_Everything_Back()
{
    TDispatchObject *object = d_server->New_Object();
    object->AddRef();
    {
        TAutomation automation(static_cast<IDispatch *>(object), nullptr);
        Connect_Events(&automation);
        automation.Add_Event_Signal(QStringLiteral("Nothing"));
        const ULONG held = object->Reference_Count();
        automation.Release_Events();
        QCOMPARE(d_server->Events()->Sink_Count(), 0);
        // The connection point's reference was the object's own.
        QCOMPARE(object->Reference_Count(), held - 1);
        d_server->Events()->Fire(1, {});
        QVERIFY(d_received.isEmpty());
        // After a release the interface is still known: functions can be listed and connected again.
        QVERIFY(automation.Init_Event_Signals(d_server->Type_Library()));
        QVERIFY(automation.Connect_Events());
        automation.ReleaseObject();
        QCOMPARE(d_server->Events()->Sink_Count(), 0);
    }
    object->Release();
}

// S_FALSE is success too: the connection point handed over is used and its
// reference given back, never dropped.
void TTestAutomation::Connection_Point_Found_With_Another_Success_Code()
{
    d_server->Set_Found_Result(S_FALSE);
    TDispatchObject *object = d_server->New_Object();
    object->AddRef();
    {
        TAutomation automation(static_cast<IDispatch *>(object), nullptr);
        const ULONG before = object->Reference_Count();
        Connect_Events(&automation);
        automation.Add_Event_Signal(QStringLiteral("Nothing"));
        d_server->Events()->Fire(1, {});
        QCOMPARE(d_received, (QList<QStringList>{{QStringLiteral("Nothing")}}));
        automation.Release_Events();
        QCOMPARE(d_server->Events()->Sink_Count(), 0);
        QCOMPARE(object->Reference_Count(), before);
        automation.ReleaseObject();
    }
    object->Release();
}

QTEST_GUILESS_MAIN(TTestAutomation)
#include "tst_automation.moc"
