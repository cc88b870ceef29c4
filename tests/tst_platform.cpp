#include <layer.h>
#include <typelibraryfile.h>
#include <windows.h>

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

// The non-Windows layer behaves as Windows does where the program and the
// simulator rely on it; the rest is exercised through the bridge's tests.
class TTestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void Strings_Are_Length_Prefixed();
    void Arrays_Own_Their_Elements();
    void COM_Is_Counted_Per_Thread();
    void System_Message_Texts();
    void Broken_Type_Library_Is_Refused();
};

void TTestPlatform::Strings_Are_Length_Prefixed()
{
    BSTR text = SysAllocString(u"probe");
    QCOMPARE(reinterpret_cast<const uint32_t *>(text)[-1], uint32_t(10));
    QCOMPARE(text[5], char16_t(0));
    SysFreeString(text);
    // Embedded zeros count in the length, not in lstrlenW.
    const OLECHAR with_zero[] = {u'a', 0, u'b'};
    BSTR counted = SysAllocStringLen(with_zero, 3);
    QCOMPARE(SysStringLen(counted), UINT(3));
    QCOMPARE(lstrlenW(counted), 1);
    SysFreeString(counted);
    QVERIFY(!SysAllocString(nullptr));
}

void TTestPlatform::Arrays_Own_Their_Elements()
{
    SAFEARRAYBOUND bound = {3, 1};
    SAFEARRAY *array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_BSTR;
    element.bstrVal = SysAllocString(u"kept");
    LONG index = 2;
    QCOMPARE(SafeArrayPutElement(array, &index, &element), S_OK);
    // The array holds a copy: the original may be changed and freed.
    element.bstrVal[0] = u'K';
    VARIANT read;
    VariantInit(&read);
    QCOMPARE(SafeArrayGetElement(array, &index, &read), S_OK);
    QCOMPARE(QString::fromUtf16(read.bstrVal), QStringLiteral("kept"));
    VariantClear(&read);
    index = 4;
    QCOMPARE(SafeArrayPutElement(array, &index, &element), DISP_E_BADINDEX);
    VariantClear(&element);
    // Destroying frees the strings inside (the leak checker watches).
    QCOMPARE(SafeArrayDestroy(array), S_OK);
}

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
}

void TTestPlatform::System_Message_Texts()
{
    const struct
    {
        HRESULT code;
        const char *text;
    } cases[] = {{REGDB_E_CLASSNOTREG, "Class not registered\r\n"},
                 {S_FALSE, "Incorrect function.\r\n"},
                 {HRESULT(0x800702E4), "The requested operation requires elevation.\r\n"},
                 {HRESULT(0x80041234), ""}};
    for (const auto &entry : cases)
    {
        LPWSTR buffer = nullptr;
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, DWORD(entry.code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
        QCOMPARE(QString::fromUtf16(buffer, int(length)), QString::fromLatin1(entry.text));
        QCOMPARE(buffer == nullptr, length == 0);
        LocalFree(buffer);
    }
}

void TTestPlatform::Broken_Type_Library_Is_Refused()
{
    QTemporaryDir folder;
    QFile broken(folder.filePath(QStringLiteral("broken.tlb")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("QUORVEX-TYPELIB 1\nfunction 1 Orphan\n");
    broken.close();
    const QString path = broken.fileName();
    ITypeLib *library = nullptr;
    QCOMPARE(LoadTypeLib(reinterpret_cast<LPCOLESTR>(path.utf16()), &library), TYPE_E_CANTLOADLIBRARY);
    QVERIFY(!library);
}

QTEST_GUILESS_MAIN(TTestPlatform)
#include "tst_platform.moc"
