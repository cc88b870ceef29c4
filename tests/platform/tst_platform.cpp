#include "tests/support/testhome.h"

#include <layer.h>
#include <windows.h>
#include <wstring.h>
// After windows.h, whose types it takes.
#include <wincrypt.h>

#include <QDir>
#include <QThread>
#include <QtTest>

namespace
{
QByteArray Protect(const QByteArray &clear)
{
    QByteArray bytes = clear;
    DATA_BLOB in{DWORD(bytes.size()), reinterpret_cast<BYTE *>(bytes.data())};
    DATA_BLOB out{0, nullptr};
    if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return QByteArray();
    const QByteArray blob(reinterpret_cast<const char *>(out.pbData), int(out.cbData));
    LocalFree(out.pbData);
    return blob;
}

// The clear bytes, or "(refused: CODE)".
QByteArray Unprotect(QByteArray blob)
{
    DATA_BLOB in{DWORD(blob.size()), reinterpret_cast<BYTE *>(blob.data())};
    DATA_BLOB out{0, nullptr};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return "(refused: " + QByteArray::number(uint(GetLastError())) + ")";
    const QByteArray clear(reinterpret_cast<const char *>(out.pbData), int(out.cbData));
    LocalFree(out.pbData);
    return clear;
}
} // namespace

// The non-Windows layer behaves as Windows does where the program and the
// simulator rely on it beyond what the bridge's tests exercise.
class TTestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void COM_Is_Counted_Per_Thread();
    void Protected_Data_Leaves_Nothing_Behind();
    void Event_Log_Is_Its_Owners_Alone();
};

void TTestPlatform::COM_Is_Counted_Per_Thread()
{
    QCOMPARE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    QCOMPARE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HRESULT other_thread = E_FAIL;
    QThread *thread = QThread::create(
        [&other_thread]()
        {
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
    QCOMPARE(CoCreateInstance(IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown,
                              reinterpret_cast<void **>(&object)),
             CO_E_NOTINITIALIZED);
    // Nor can a class object be offered from outside an apartment.
    DWORD cookie = 0;
    QCOMPARE(CoRegisterClassObject(IID_IDispatch, reinterpret_cast<IUnknown *>(&cookie), CLSCTX_LOCAL_SERVER,
                                   REGCLS_MULTIPLEUSE, &cookie),
             CO_E_NOTINITIALIZED);
}

// Passwords replaced leave nothing readable behind: the user's key is the one file
// kept, each blob carries its secret, a blob altered or sealed with another key
// reads as nothing, and a blob of the earlier form, naming a file, still reads.
void TTestPlatform::Protected_Data_Leaves_Nothing_Behind()
{
    TTestHome home;
    const QList<QByteArray> secrets{"first password", "second password", "third password"};
    QList<QByteArray> blobs;
    for (const QByteArray &secret : secrets)
        blobs << Protect(secret);
    const QDir folder(home.File_Path(QStringLiteral(".dpapi")));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("key")});
    // Qt's owner bits are 0x7000, the group's 0x0070 and the others' 0x0007.
    QCOMPARE(int(QFileInfo(folder.filePath(QStringLiteral("key"))).permissions() & 0x7077), 0x6000);
    QCOMPARE(int(QFileInfo(folder.path()).permissions() & 0x7077), 0x7000);
    for (int i = 0; i < secrets.size(); ++i)
    {
        QVERIFY(!blobs.at(i).contains(secrets.at(i)));
        QCOMPARE(Unprotect(blobs.at(i)), secrets.at(i));
    }
    QByteArray altered = blobs.first();
    altered[altered.size() - 40] = char(altered.at(altered.size() - 40) ^ 1);
    QCOMPARE(Unprotect(altered), QByteArray("(refused: 13)"));
    QCOMPARE(Unprotect(blobs.first().left(20)), QByteArray("(refused: 13)"));

    QFile old(folder.filePath(QStringLiteral("00112233445566778899aabbccddeeff")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("written before") == 14);
    old.close();
    QCOMPARE(Unprotect("QVXDPAPI" + QByteArray::fromHex("00112233445566778899aabbccddeeff")),
             QByteArray("written before"));

    QVERIFY(QFile::rename(folder.filePath(QStringLiteral("key")), folder.filePath(QStringLiteral("other"))));
    QCOMPARE(Unprotect(Protect("another key's")), QByteArray("another key's"));
    QCOMPARE(Unprotect(blobs.first()), QByteArray("(refused: 13)"));
}

// The stand-in for the Application log: an event a line whatever its strings
// hold, readable by its owner alone, and only the local computer's.
void TTestPlatform::Event_Log_Is_Its_Owners_Alone()
{
    TTestHome home;
    const QString other_server = QStringLiteral("\\\\plant-server");
    QCOMPARE(RegisterEventSourceW(TWString::From_QString(other_server),
                                  TWString::From_QString(QStringLiteral("Quorvex"))),
             HANDLE(nullptr));
    HANDLE log = RegisterEventSourceW(nullptr, TWString::From_QString(QStringLiteral("Quorvex")));
    QVERIFY(log);
    const QString first = QStringLiteral("did not start:\nits folder");
    const QString second = QStringLiteral("second");
    LPCWSTR strings[] = {TWString::From_QString(first), TWString::From_QString(second)};
    QVERIFY(ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 2, 0, strings, nullptr));
    QVERIFY(ReportEventW(log, EVENTLOG_WARNING_TYPE, 0, 0x40000007, nullptr, 0, 0, nullptr, nullptr));
    QVERIFY(!ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, nullptr, nullptr));
    QVERIFY(DeregisterEventSource(log));

    QFile file(home.File_Path(QStringLiteral(".eventlog/Application.log")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(0).endsWith(" Quorvex Error 1: did not start: its folder second"), lines.at(0));
    QVERIFY2(lines.at(1).endsWith(" Quorvex Warning 7: "), lines.at(1));
    QCOMPARE(lines.at(2), QByteArray());
    QCOMPARE(int(file.permissions() & 0x7077), 0x6000);
    QCOMPARE(int(QFileInfo(home.File_Path(QStringLiteral(".eventlog"))).permissions() & 0x7077), 0x7000);
}

QTEST_GUILESS_MAIN(TTestPlatform)
#include "tst_platform.moc"
