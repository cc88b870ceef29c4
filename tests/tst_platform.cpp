#include <layer.h>
#include <typelibraryfile.h>
#include <windows.h>

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

// The non-Windows layer behaves as Windows does for the cases the program meets.
class TTestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void Strings_Are_Length_Prefixed();
    void Arrays_Own_Their_Elements();
    void COM_Is_Counted_Per_Thread();
    void Unknown_Classes();
    void System_Message_Texts();
    void Windows_Seen_From_Any_Thread();
    void Type_Library_Files();
};

void TTestPlatform::Strings_Are_Length_Prefixed()
{
    BSTR text = SysAllocString(u"probe");
    QCOMPARE(SysStringLen(text), UINT(5));
    QCOMPARE(SysStringByteLen(text), UINT(10));
    QCOMPARE(reinterpret_cast<const uint32_t *>(text)[-1], uint32_t(10));
    QCOMPARE(text[5], char16_t(0));
    QCOMPARE(lstrlenW(text), 5);
    SysFreeString(text);

    // Embedded zeros count in the length, not in lstrlenW.
    const OLECHAR with_zero[] = {u'a', 0, u'b'};
    BSTR counted = SysAllocStringLen(with_zero, 3);
    QCOMPARE(SysStringLen(counted), UINT(3));
    QCOMPARE(lstrlenW(counted), 1);
    SysFreeString(counted);
    SysFreeString(nullptr);
    QVERIFY(!SysAllocString(nullptr));
    QCOMPARE(SysStringLen(nullptr), UINT(0));
}

void TTestPlatform::Arrays_Own_Their_Elements()
{
    SAFEARRAYBOUND bound = {3, 1};
    SAFEARRAY *array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    QVERIFY(array);
    LONG lower = 0, upper = 0;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    QCOMPARE(lower, LONG(1));
    QCOMPARE(upper, LONG(3));

    VARIANT element;
    VariantInit(&element);
    element.vt = VT_BSTR;
    element.bstrVal = SysAllocString(u"kept");
    LONG index = 2;
    QCOMPARE(SafeArrayPutElement(array, &index, &element), S_OK);
    // The array holds a copy: the original may be freed and changed.
    element.bstrVal[0] = u'K';
    VariantClear(&element);
    VARIANT read;
    VariantInit(&read);
    QCOMPARE(SafeArrayGetElement(array, &index, &read), S_OK);
    QCOMPARE(QString::fromUtf16(read.bstrVal), QStringLiteral("kept"));
    VariantClear(&read);

    index = 4;
    QCOMPARE(SafeArrayPutElement(array, &index, &element), DISP_E_BADINDEX);
    // Destroying frees the strings inside (the leak checker watches).
    QCOMPARE(SafeArrayDestroy(array), S_OK);

    SAFEARRAYBOUND none = {0, 0};
    SAFEARRAY *empty = SafeArrayCreate(VT_BSTR, 1, &none);
    QVERIFY(empty);
    VARTYPE vt = VT_EMPTY;
    QCOMPARE(SafeArrayGetVartype(empty, &vt), S_OK);
    QCOMPARE(vt, VARTYPE(VT_BSTR));
    QCOMPARE(SafeArrayDestroy(empty), S_OK);
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
    // Uninitialised: creating objects is refused, and initialising starts afresh.
    IUnknown *object = nullptr;
    QCOMPARE(CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
             CO_E_NOTINITIALIZED);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

void TTestPlatform::Unknown_Classes()
{
    CLSID clsid = IID_IDispatch;
    QCOMPARE(CLSIDFromProgID(u"No.Such.ProgID", &clsid), CO_E_CLASSSTRING);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    IUnknown *object = nullptr;
    QCOMPARE(CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
             REGDB_E_CLASSNOTREG);
    QVERIFY(!object);
    CoUninitialize();
    QCOMPARE(LayerRegisteredClassCount(), ULONG(0));
}

void TTestPlatform::System_Message_Texts()
{
    const struct
    {
        HRESULT code;
        const char *text;
    } cases[] = {{REGDB_E_CLASSNOTREG, "Class not registered\r\n"},
                 {CO_E_CLASSSTRING, "Invalid class string\r\n"},
                 {S_FALSE, "Incorrect function.\r\n"},
                 {E_INVALIDARG, "The parameter is incorrect.\r\n"},
                 {HRESULT(0x800702E4), "The requested operation requires elevation.\r\n"},
                 {DISP_E_EXCEPTION, "Exception occurred.\r\n"}};
    for (const auto &entry : cases)
    {
        LPWSTR buffer = nullptr;
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, DWORD(entry.code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
        QCOMPARE(QString::fromUtf16(buffer, int(length)), QString::fromLatin1(entry.text));
        QCOMPARE(buffer[length], char16_t(0));
        LocalFree(buffer);
    }
    LPWSTR buffer = nullptr;
    QCOMPARE(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x80041234, 0,
                            reinterpret_cast<LPWSTR>(&buffer), 0, nullptr),
             DWORD(0));
    QVERIFY(!buffer);
}

void TTestPlatform::Windows_Seen_From_Any_Thread()
{
    HWND window = CreateWindowExW(0, u"QuorvexMain", u"Main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    QVERIFY(window);
    QCOMPARE(FindWindowW(u"quorvexmain", nullptr), window);
    QVERIFY(!IsWindowVisible(window));
    QCOMPARE(ShowWindow(window, SW_SHOW), FALSE);
    QCOMPARE(ShowWindow(window, SW_SHOW), TRUE);

    bool seen = false;
    QThread *thread = QThread::create([&seen]() {
        HWND found = FindWindowW(u"QuorvexMain", nullptr);
        seen = found && IsWindowVisible(found);
    });
    thread->start();
    QVERIFY(thread->wait(30000));
    delete thread;
    QVERIFY(seen);

    ShowWindow(window, SW_HIDE);
    QVERIFY(!IsWindowVisible(window));
    QVERIFY(DestroyWindow(window));
    QVERIFY(!FindWindowW(u"QuorvexMain", nullptr));
    QVERIFY(!IsWindowVisible(window));
    QVERIFY(!DestroyWindow(window));
}

void TTestPlatform::Type_Library_Files()
{
    QTemporaryDir folder;
    const GUID events = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    TTypeLibraryFile file;
    file.Set_Library(QStringLiteral("Library"), IID_IDispatch);
    file.Add_Dispinterface(QStringLiteral("IEvents"), events);
    file.Add_Function(-5, QStringLiteral("Negative"), {QStringLiteral("a")});
    file.Add_Variable(7, QStringLiteral("Seven"));
    const QString path = folder.filePath(QStringLiteral("library.tlb"));
    QVERIFY(file.Save(path));

    ITypeLib *library = nullptr;
    QCOMPARE(LoadTypeLib(reinterpret_cast<LPCOLESTR>(path.utf16()), &library), S_OK);
    QCOMPARE(library->GetTypeInfoCount(), UINT(1));
    ITypeInfo *type = nullptr;
    QCOMPARE(library->GetTypeInfoOfGuid(events, &type), S_OK);
    TYPEATTR *attributes = nullptr;
    QCOMPARE(type->GetTypeAttr(&attributes), S_OK);
    QVERIFY(attributes->guid == events);
    QCOMPARE(attributes->cFuncs, WORD(1));
    QCOMPARE(attributes->cVars, WORD(1));
    type->ReleaseTypeAttr(attributes);
    BSTR names[4];
    UINT count = 0;
    QCOMPARE(type->GetNames(-5, names, 4, &count), S_OK);
    QCOMPARE(count, UINT(2));
    QCOMPARE(QString::fromUtf16(names[0]), QStringLiteral("Negative"));
    SysFreeString(names[0]);
    SysFreeString(names[1]);
    type->Release();
    library->Release();

    QFile broken(folder.filePath(QStringLiteral("broken.tlb")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("QUORVEX-TYPELIB 1\nfunction 1 Orphan\n");
    broken.close();
    const QString broken_path = broken.fileName();
    QCOMPARE(LoadTypeLib(reinterpret_cast<LPCOLESTR>(broken_path.utf16()), &library), TYPE_E_CANTLOADLIBRARY);
    QVERIFY(!library);
}

QTEST_GUILESS_MAIN(TTestPlatform)
#include "tst_platform.moc"
