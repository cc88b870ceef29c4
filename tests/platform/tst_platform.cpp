#include <layer.h>
#include <windows.h>

#include <QThread>
#include <QtTest>

// The non-Windows layer behaves as Windows does where the program and the
// simulator rely on it beyond what the bridge's tests exercise.
class TTestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void COM_Is_Counted_Per_Thread();
};

void TTestPlatform::COM_Is_Counted_Per_Thread()
{
    QCOMPARE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HRESULT other_thread = E_FAIL;
    QThread *thread = QThread::create([&other_thread]() {
        other_thread = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
    });
    thread->start();
    QVERIFY(thread->wait(30000));
    delete thread;
    QCOMPARE(other_thread, S_OK);
    CoUninitialize();
    CoUninitialize();
    IUnknown *object = nullptr;
    QCOMPARE(CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
             CO_E_NOTINITIALIZED);
    // Nor can a class object be offered from outside an apartment.
    DWORD cookie = 0;
    QCOMPARE(CoRegisterClassObject(IID_IDispatch, reinterpret_cast<IUnknown *>(&cookie), CLSCTX_LOCAL_SERVER,
                                   REGCLS_MULTIPLEUSE, &cookie),
             CO_E_NOTINITIALIZED);
}

QTEST_GUILESS_MAIN(TTestPlatform)
#include "tst_platform.moc"
