#include "core/automation.h"
#include "sim/dispatchobject.h"
#include "tests/support/testserver.h"

#include <QtTest>

#include <layer.h>

using TArg = TAutomation::TArg;

// The client object against a real automation server of ours.
class TTestAutomation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void Creation_And_Its_Texts();
    void Creation_From_Class_Bytes();
    void Empty_Object_Refuses_Calls();
    void Properties_By_Name();
    void Call_Passes_Arguments_In_Dispatch_Order();
    void Failures_Keep_Earlier_Texts();
    void Sub_Objects_Are_Owned_By_The_Caller();
    void Running_Objects_By_Display_Name();
    void Windows_By_Class();

private:
    TTestServer *d_server = nullptr;
    int d_live_before = 0;
};

void TTestAutomation::initTestCase() { QVERIFY(TAutomation::Init_COM()); }

void TTestAutomation::cleanupTestCase() { TAutomation::Uninit_COM(); }

void TTestAutomation::init()
{
    d_live_before = TDispatchObject::Live_Count();
    d_server = new TTestServer;
}

// Every object the server handed out has been released again.
void TTestAutomation::cleanup()
{
    delete d_server;
    d_server = nullptr;
    QCOMPARE(TDispatchObject::Live_Count(), d_live_before);
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
    QVERIFY(!automation.CreateObject(QStringLiteral("No.Such.Server")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("ERR  CreateObect: Object 'No.Such.Server' does not exist."));

    // A ProgID whose class was never registered.
    const CLSID missing = {0x0badc0de, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    QCOMPARE(LayerRegisterProgID(u"Quorvex.Gone", missing), S_OK);
    QVERIFY(!automation.CreateObject(QStringLiteral("Quorvex.Gone")));
    QCOMPARE(automation.Last_Error(),
             QStringLiteral("ERR  QueryInterface: result_status 0x80040154 - Class not registered\r\n"));
    LayerUnregisterProgID(u"Quorvex.Gone");

    QCOMPARE(TAutomation::Error_Text(DISP_E_MEMBERNOTFOUND), QStringLiteral("Member not found.\r\n"));
    QCOMPARE(TAutomation::Error_Text(HRESULT(0x80041234)), QString());
}

void TTestAutomation::Creation_From_Class_Bytes()
{
    // {5d2c0e41-7a55-4c1e-9b3a-112233445566} in the order of its text.
    const unsigned char bytes[16] = {0x5d, 0x2c, 0x0e, 0x41, 0x7a, 0x55, 0x4c, 0x1e,
                                     0x9b, 0x3a, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    TAutomation automation;
    QVERIFY2(automation.CreateObject(bytes), qPrintable(automation.Last_Error()));
    QCOMPARE(automation.GetProperty(QStringLiteral("Count")).ToInt(), 42);
    QVERIFY(!automation.CreateObject(static_cast<const unsigned char *>(nullptr)));
    QCOMPARE(automation.Last_Error(), QStringLiteral("ERR  CreateObect: Object CLSID is null."));
}

void TTestAutomation::Empty_Object_Refuses_Calls()
{
    TAutomation automation;
    QCOMPARE(automation.GetProperty(QStringLiteral("Name")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: d_dispatch_interface NULL"));
    QVERIFY(!automation.SetProperty(QStringLiteral("Name"), TArg(1)));
    QCOMPARE(automation.Call(QStringLiteral("Echo")).type, TArg::TYPE_EMPTY);
    QVERIFY(!automation.GetSubObject(QStringLiteral("Child")));
    automation.ReleaseObject();
    automation.ReleaseObject();
}

void TTestAutomation::Properties_By_Name()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    QCOMPARE(automation.GetProperty(QStringLiteral("name")).ToString(), QStringLiteral("first"));

    QVERIFY(!automation.SetProperty(QStringLiteral("Name"), TArg()));
    QCOMPARE(automation.Last_Error(), QStringLiteral("SetProperty Error: Property 'Name' cannot be empty."));
    QCOMPARE(d_server->Property_Puts(), 0);

    // The value goes as the one named DISPID_PROPERTYPUT argument, which the server insists on.
    QVERIFY2(automation.SetProperty(QStringLiteral("Name"), TArg(QStringLiteral("O'Brien %1"))),
             qPrintable(automation.Last_Error()));
    QCOMPARE(d_server->Name(), QStringLiteral("O'Brien %1"));
    QVERIFY(!automation.SetProperty(QStringLiteral("Name"), TArg(3)));
    QCOMPARE(automation.Last_Error(), QStringLiteral("SetProperty Error: Type mismatch.\r\n"));
    QVERIFY(!automation.SetProperty(QStringLiteral("Nothing"), TArg(3)));
    QCOMPARE(automation.Last_Error(), QStringLiteral("SetProperty Error: Property 'Nothing' does not exist."));
    QVERIFY(!automation.SetProperty(QString(), TArg(3)));
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: Method name length is zero."));

    QCOMPARE(automation.GetProperty(QStringLiteral("Nothing")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: Method 'Nothing' does not exist."));
    QCOMPARE(automation.GetProperty(QStringLiteral("Broken")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("GetProperly Error: Unspecified error\r\n"));
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
    QCOMPARE(d_server->Echo_Calls().back().last(), QStringLiteral("I4:1"));

    QCOMPARE(automation.Call(QStringLiteral("Echo")).ToInt(), 0);
    QCOMPARE(automation.Call(QStringLiteral("Missing")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call: Method 'Missing' does not exist."));
    // A property is not a method.
    QCOMPARE(automation.Call(QStringLiteral("Count")).type, TArg::TYPE_EMPTY);
    QCOMPARE(automation.Last_Error(), QStringLiteral("Call Error: Member not found.\r\n"));
}

void TTestAutomation::Failures_Keep_Earlier_Texts()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    automation.GetProperty(QStringLiteral("Broken"));
    const QString failure = automation.Last_Error();
    QCOMPARE(automation.GetProperty(QStringLiteral("Count")).ToInt(), 42);
    QVERIFY(automation.SetProperty(QStringLiteral("Name"), TArg("x")));
    QCOMPARE(automation.Last_Error(), failure);
}

void TTestAutomation::Sub_Objects_Are_Owned_By_The_Caller()
{
    TAutomation automation(TTestServer::PROG_ID, nullptr);
    const int live = TDispatchObject::Live_Count();
    TAutomation *child = automation.GetSubObject(QStringLiteral("Child"));
    QVERIFY(child);
    QVERIFY(!child->parent());
    QCOMPARE(TDispatchObject::Live_Count(), live + 1);
    QCOMPARE(child->GetProperty(QStringLiteral("Count")).ToInt(), 42);
    delete child;
    QCOMPARE(TDispatchObject::Live_Count(), live);

    // A property that is text is no object; its string is freed (the leak checker watches).
    QVERIFY(!automation.GetSubObject(QStringLiteral("Name")));
    QVERIFY(!automation.GetSubObject(QStringLiteral("Unknown")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("GetSubObject Error: Unknown"));
    QVERIFY(!automation.GetSubObject(QStringLiteral("Broken")));
    QCOMPARE(automation.Last_Error(), QStringLiteral("GetSubObject Error: Object 'Broken' does not exist."));

    // A dispatch result taken with ToAutomation is released by its wrapper.
    const TArg value = automation.GetProperty(QStringLiteral("Child"));
    QCOMPARE(value.type, TArg::TYPE_DISPATCH);
    delete value.ToAutomation();
    QCOMPARE(TDispatchObject::Live_Count(), live);
}

void TTestAutomation::Running_Objects_By_Display_Name()
{
    TDispatchObject *object = d_server->New_Object();
    IRunningObjectTable *table = nullptr;
    QCOMPARE(GetRunningObjectTable(0, &table), S_OK);
    IMoniker *moniker = nullptr;
    QCOMPARE(CreateItemMoniker(u"!", u"Quorvex.Running", &moniker), S_OK);
    DWORD cookie = 0;
    QCOMPARE(table->Register(0, static_cast<IDispatch *>(object), moniker, &cookie), S_OK);
    moniker->Release();
    object->Release();

    TAutomation automation;
    QVERIFY(automation.GetRunningObjectNames().contains(QStringLiteral("!Quorvex.Running")));
    QVERIFY(automation.ConnectToRunningObject(QStringLiteral("!QUORVEX.running")));
    QCOMPARE(automation.GetProperty(QStringLiteral("Count")).ToInt(), 42);
    QVERIFY(!automation.ConnectToRunningObject(QStringLiteral("!Quorvex.Elsewhere")));
    QVERIFY(!automation.Has_Interface());

    QCOMPARE(table->Revoke(cookie), S_OK);
    table->Release();
    QCOMPARE(LayerRunningObjectCount(), ULONG(0));
}

void TTestAutomation::Windows_By_Class()
{
    QVERIFY(!TAutomation::Window_Class_Exists(QStringLiteral("QuorvexTestWindow")));
    HWND window = CreateWindowExW(0, u"QuorvexTestWindow", u"Test", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    QVERIFY(TAutomation::Window_Class_Exists(QStringLiteral("QuorvexTestWindow")));
    QVERIFY(DestroyWindow(window));
    QVERIFY(!TAutomation::Window_Class_Exists(QStringLiteral("QuorvexTestWindow")));
}

QTEST_GUILESS_MAIN(TTestAutomation)
#include "tst_automation.moc"
