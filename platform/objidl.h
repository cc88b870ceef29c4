#ifndef QUORVEX_PLATFORM_OBJIDL_H
#define QUORVEX_PLATFORM_OBJIDL_H

#include "unknwn.h"

// The task allocator, bind contexts, monikers and the running object table.

extern "C" const IID IID_IBindCtx;
extern "C" const IID IID_IMoniker;
extern "C" const IID IID_IRunningObjectTable;
extern "C" const IID IID_IEnumMoniker;

struct IStream;
struct IEnumString;
struct IMoniker;
struct IRunningObjectTable;

struct FILETIME
{
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct ULARGE_INTEGER
{
    ULONGLONG QuadPart;
};

struct BIND_OPTS
{
    DWORD cbStruct;
    DWORD grfFlags;
    DWORD grfMode;
    DWORD dwTickCountDeadline;
};

#define ROTFLAGS_REGISTRATIONKEEPSALIVE 0x1


struct IEnumMoniker : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IMoniker **rgelt, ULONG *pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker **ppenum) = 0;

protected:
    ~IEnumMoniker() = default;
};

struct IBindCtx : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE RegisterObjectBound(IUnknown *punk) = 0;
    virtual HRESULT STDMETHODCALLTYPE RevokeObjectBound(IUnknown *punk) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseBoundObjects() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBindOptions(BIND_OPTS *pbindopts) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBindOptions(BIND_OPTS *pbindopts) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRunningObjectTable(IRunningObjectTable **pprot) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterObjectParam(LPOLESTR pszKey, IUnknown *punk) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObjectParam(LPOLESTR pszKey, IUnknown **ppunk) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumObjectParam(IEnumString **ppenum) = 0;
    virtual HRESULT STDMETHODCALLTYPE RevokeObjectParam(LPOLESTR pszKey) = 0;

protected:
    ~IBindCtx() = default;
};
typedef IBindCtx *LPBC;

struct IPersist : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID *pClassID) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : public IPersist
{
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IStream *pStm) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IStream *pStm, BOOL fClearDirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *pcbSize) = 0;

protected:
    ~IPersistStream() = default;
};

struct IMoniker : public IPersistStream
{
    virtual HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *pbc, IMoniker *pmkToLeft, REFIID riidResult,
                                                   void **ppvResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *pbc, IMoniker *pmkToLeft, REFIID riid, void **ppvObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reduce(IBindCtx *pbc, DWORD dwReduceHowFar, IMoniker **ppmkToLeft,
                                             IMoniker **ppmkReduced) = 0;
    virtual HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker *pmkRight, BOOL fOnlyIfNotGeneric,
                                                  IMoniker **ppmkComposite) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enum(BOOL fForward, IEnumMoniker **ppenumMoniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IMoniker *pmkOtherMoniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hash(DWORD *pdwHash) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx *pbc, IMoniker *pmkToLeft, IMoniker *pmkNewlyRunning) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx *pbc, IMoniker *pmkToLeft, FILETIME *pFileTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE Inverse(IMoniker **ppmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker *pmkOther, IMoniker **ppmkPrefix) = 0;
    virtual HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker *pmkOther, IMoniker **ppmkRelPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx *pbc, IMoniker *pmkToLeft,
                                                     LPOLESTR *ppszDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx *pbc, IMoniker *pmkToLeft, LPOLESTR pszDisplayName,
                                                       ULONG *pchEaten, IMoniker **ppmkOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD *pdwMksys) = 0;

protected:
    ~IMoniker() = default;
};
typedef IMoniker *LPMONIKER;

struct IRunningObjectTable : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Register(DWORD grfFlags, IUnknown *punkObject, IMoniker *pmkObjectName,
                                               DWORD *pdwRegister) = 0;
    virtual HRESULT STDMETHODCALLTYPE Revoke(DWORD dwRegister) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsRunning(IMoniker *pmkObjectName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObject(IMoniker *pmkObjectName, IUnknown **ppunkObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE NoteChangeTime(DWORD dwRegister, FILETIME *pfiletime) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IMoniker *pmkObjectName, FILETIME *pfiletime) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumRunning(IEnumMoniker **ppenumMoniker) = 0;

protected:
    ~IRunningObjectTable() = default;
};
typedef IRunningObjectTable *LPRUNNINGOBJECTTABLE;

#endif
