#include "core/automation.h"
#include "sim/dispatchobject.h"
#include "sim/eventsource.h"
#include "tests/support/testserver.h"

#include <typelibraryfile.h>

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

// What a receiver saw of one Sink_Signal, copied inside the slot.
struct TReceived
{
    QString name;
    int count;
    QStringList arguments;
};
} // namespace

// Events from a server's connection point to Sink_Signal.
class TTestAutomationEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void Only_Registered_Events_Arrive();
    void Argument_Counts_And_Order();
    void Sink_Refuses_What_Is_No_Method_Call();
    void Set_Up_In_The_Required_Order();
    void Type_Library_Failures();
    void Interface_Members();
    void Release_Gives_Everything_Back();

private:
    void Connect();

    TTestServer *d_server = nullptr;
    TDispatchObject *d_object = nullptr;
    TAutomation *d_automation = nullptr;
    std::vector<TReceived> d_received;
    int d_live_before = 0;
};

void TTestAutomationEvents::initTestCase() { TAutomation::Init_COM(); }

void TTestAutomationEvents::cleanupTestCase() { TAutomation::Uninit_COM(); }

void TTestAutomationEvents::init()
{
    d_live_before = TDispatchObject::Live_Count();
    d_server = new TTestServer;
    d_object = d_server->New_Object();
    d_object->AddRef();
    d_automation = new TAutomation(static_cast<IDispatch *>(d_object), nullptr);
    d_received.clear();
    connect(d_automation, &TAutomation::Sink_Signal, this,
            [this](QString name, int count, TAutomation::TArg *arguments) {
                TReceived received{name, count, {}};
                for (int i = 0; i < count; ++i)
                    received.arguments << arguments[i].ToString();
                d_received.push_back(received);
            });
}

void TTestAutomationEvents::cleanup()
{
    delete d_automation;
    d_object->Release();
    delete d_server;
    QCOMPARE(TDispatchObject::Live_Count(), d_live_before);
}

void TTestAutomationEvents::Connect()
{
    QVERIFY(d_automation->Init_Events(d_server->Type_Library(), QStringLiteral("ITestEvents")));
    QVERIFY(d_automation->Init_Event_Signals(d_server->Type_Library()));
    QVERIFY(d_automation->Connect_Events());
    QCOMPARE(d_server->Events()->Sink_Count(), 1);
}

void TTestAutomationEvents::Only_Registered_Events_Arrive()
{
    Connect();
    QVERIFY(d_automation->Add_Event_Signal(QStringLiteral("Nothing")));
    QVERIFY(d_automation->Add_Event_Signal(QStringLiteral("Pair")));
    QVERIFY(!d_automation->Add_Event_Signal(QStringLiteral("pair")));
    QVERIFY(!d_automation->Add_Event_Signal(QStringLiteral("Unrelated")));

    d_server->Events()->Fire(4, {});
    d_server->Events()->Fire(99, {});
    QVERIFY(d_received.empty());
    d_server->Events()->Fire(1, {});
    QCOMPARE(int(d_received.size()), 1);
    QCOMPARE(d_received[0].name, QStringLiteral("Nothing"));
    QCOMPARE(d_received[0].count, 0);
}

void TTestAutomationEvents::Argument_Counts_And_Order()
{
    Connect();
    d_automation->Add_Event_Signal(QStringLiteral("Pair"));
    d_automation->Add_Event_Signal(QStringLiteral("Many"));

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"A");
    d_server->Events()->Fire(2, {text, Int_Variant(2)});
    QCOMPARE(int(d_received.size()), 1);
    QCOMPARE(d_received[0].arguments, (QStringList{"A", "2"}));
    // The server's argument stays the server's.
    QCOMPARE(QString::fromUtf16(reinterpret_cast<const ushort *>(text.bstrVal)), QStringLiteral("A"));
    VariantClear(&text);

    std::vector<VARIANT> sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen.push_back(Int_Variant(i));
    d_server->Events()->Fire(3, sixteen);
    QCOMPARE(int(d_received.size()), 2);
    QCOMPARE(d_received[1].count, 16);
    QCOMPARE(d_received[1].arguments.first(), QStringLiteral("1"));
    QCOMPARE(d_received[1].arguments.last(), QStringLiteral("16"));

    sixteen.push_back(Int_Variant(17));
    d_server->Events()->Fire(3, sixteen);
    QCOMPARE(int(d_received.size()), 2);
}

void TTestAutomationEvents::Sink_Refuses_What_Is_No_Method_Call()
{
    Connect();
    d_automation->Add_Event_Signal(QStringLiteral("Nothing"));
    QCOMPARE(d_server->Events()->Fire(1, {}, DISPATCH_PROPERTYGET), DISP_E_MEMBERNOTFOUND);
    QVERIFY(d_received.empty());
    QCOMPARE(d_server->Events()->Fire(1, {}, DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    QCOMPARE(int(d_received.size()), 1);
}

void TTestAutomationEvents::Set_Up_In_The_Required_Order()
{
    // Without the listed functions nothing is asked of the server.
    QVERIFY(!d_automation->Connect_Events());
    QCOMPARE(d_server->Connection_Point_Queries(), 0);
    QVERIFY(d_automation->Init_Events(d_server->Type_Library(), QStringLiteral("ITestEvents")));
    QVERIFY(!d_automation->Connect_Events());
    QCOMPARE(d_server->Connection_Point_Queries(), 0);

    QVERIFY(d_automation->Init_Event_Signals(d_server->Type_Library()));
    QVERIFY(d_automation->Add_Event_Signal(QStringLiteral("Nothing")));
    QVERIFY(d_automation->Connect_Events());
    // Listing the functions again forgets the events chosen before.
    QVERIFY(d_automation->Init_Event_Signals(d_server->Type_Library()));
    d_server->Events()->Fire(1, {});
    QVERIFY(d_received.empty());

    // Connecting again replaces the earlier advise instead of adding one.
    QVERIFY(d_automation->Connect_Events());
    QCOMPARE(d_server->Events()->Sink_Count(), 1);

    // An interface that is not in the library is not found.
    TAutomation other;
    QVERIFY(!other.Init_Events(d_server->Type_Library(), QStringLiteral("itestevents")));
}

void TTestAutomationEvents::Type_Library_Failures()
{
    const QString missing = QStringLiteral("/no/such/folder/pcdlrn.tlb");
    QVERIFY(!d_automation->Init_Events(missing, QStringLiteral("ITestEvents")));
    QCOMPARE(d_automation->Last_Error(), QStringLiteral("Init_Events: Cannot load Type Library '%1'").arg(missing));
    QVERIFY(!d_automation->Init_Event_Signals(missing));
    QCOMPARE(d_automation->Last_Error(), QStringLiteral("Init_Event_Signals: Cannot load Type Library '%1'").arg(missing));

    // A library without the interface's GUID lists nothing.
    QTemporaryDir folder;
    TTypeLibraryFile other;
    other.Set_Library(QStringLiteral("Other"), IID_NULL);
    other.Add_Dispinterface(QStringLiteral("IElse"), IID_IDispatch);
    other.Add_Function(1, QStringLiteral("Nothing"));
    QVERIFY(other.Save(folder.filePath(QStringLiteral("other.tlb"))));
    QVERIFY(d_automation->Init_Events(d_server->Type_Library(), QStringLiteral("ITestEvents")));
    QVERIFY(!d_automation->Init_Event_Signals(folder.filePath(QStringLiteral("other.tlb"))));
    QVERIFY(!d_automation->Add_Event_Signal(QStringLiteral("Nothing")));
}

void TTestAutomationEvents::Interface_Members()
{
    const QString library = d_server->Type_Library();
    QVERIFY(TAutomation::Interface_Has_Function(library, QStringLiteral("ITestEvents"), QStringLiteral("Pair")));
    QVERIFY(TAutomation::Interface_Has_Function(library, QStringLiteral("ITestEvents"), QStringLiteral("second")));
    QVERIFY(!TAutomation::Interface_Has_Function(library, QStringLiteral("ITestEvents"), QStringLiteral("State")));
    QVERIFY(TAutomation::Interface_Has_Variable(library, QStringLiteral("ITestEvents"), QStringLiteral("State")));
    QVERIFY(!TAutomation::Interface_Has_Variable(library, QStringLiteral("IOther"), QStringLiteral("State")));
    QVERIFY(!TAutomation::Interface_Has_Function(QStringLiteral("/none.tlb"), QStringLiteral("ITestEvents"),
                                                 QStringLiteral("Pair")));
}

void TTestAutomationEvents::Release_Gives_Everything_Back()
{
    Connect();
    d_automation->Add_Event_Signal(QStringLiteral("Nothing"));
    const ULONG held = d_object->Reference_Count();
    d_automation->Release_Events();
    QCOMPARE(d_server->Events()->Sink_Count(), 0);
    // The connection point's reference was the object's own.
    QCOMPARE(d_object->Reference_Count(), held - 1);
    d_server->Events()->Fire(1, {});
    QVERIFY(d_received.empty());

    // After a release the interface is still known: functions can be listed and connected again.
    QVERIFY(d_automation->Init_Event_Signals(d_server->Type_Library()));
    QVERIFY(d_automation->Connect_Events());
    d_automation->ReleaseObject();
    QCOMPARE(d_server->Events()->Sink_Count(), 0);
}

QTEST_GUILESS_MAIN(TTestAutomationEvents)
#include "tst_automationevents.moc"
