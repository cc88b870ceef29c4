#ifndef QUORVEX_PLATFORM_OBJBASE_H
#define QUORVEX_PLATFORM_OBJBASE_H

#include "objidl.h"
#include "oaidl.h"

// COM initialisation, the class registry, the task allocator and monikers.

enum COINIT
{
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8
};

enum CLSCTX
{
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER
};

enum REGCLS
{
    REGCLS_SINGLEUSE = 0,
    REGCLS_MULTIPLEUSE = 1,
    REGCLS_MULTI_SEPARATE = 2
};

extern "C"
{
    HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
    HRESULT WINAPI CoInitialize(LPVOID pvReserved);
    void WINAPI CoUninitialize();
    HRESULT WINAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
    HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv);
    HRESULT WINAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                                         LPDWORD lpdwRegister);
    HRESULT WINAPI CoRevokeClassObject(DWORD dwRegister);
    HRESULT WINAPI CoCreateGuid(GUID *pguid);
    LPVOID WINAPI CoTaskMemAlloc(size_t cb);
    void WINAPI CoTaskMemFree(LPVOID pv);
    HRESULT WINAPI GetRunningObjectTable(DWORD reserved, LPRUNNINGOBJECTTABLE *pprot);
    HRESULT WINAPI CreateItemMoniker(LPCOLESTR lpszDelim, LPCOLESTR lpszItem, LPMONIKER *ppmk);
}

#endif
