#ifndef QUORVEX_PLATFORM_OAIDL_H
#define QUORVEX_PLATFORM_OAIDL_H

#include "unknwn.h"

#include <cstddef>

// OLE Automation data types and the IDispatch and type-information interfaces.

typedef OLECHAR *BSTR;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef double DATE;
typedef LONG DISPID;
typedef DISPID MEMBERID;
typedef DWORD HREFTYPE;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)
#define DISPID_UNKNOWN (-1)
#define DISPID_VALUE (0)
#define DISPID_PROPERTYPUT (-3)
#define MEMBERID_NIL DISPID_UNKNOWN
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8

enum VARENUM
{
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0xfff
};

struct SAFEARRAYBOUND
{
    ULONG cElements;
    LONG lLbound;
};
typedef SAFEARRAYBOUND *LPSAFEARRAYBOUND;

struct SAFEARRAY
{
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];
};
typedef SAFEARRAY *LPSAFEARRAY;

#define FADF_BSTR 0x100
#define FADF_UNKNOWN 0x200
#define FADF_DISPATCH 0x400
#define FADF_VARIANT 0x800
#define FADF_HAVEVARTYPE 0x80

struct IDispatch;
struct IRecordInfo;

struct DECIMAL
{
    USHORT wReserved;
    BYTE scale;
    BYTE sign;
    ULONG Hi32;
    ULONGLONG Lo64;
};

struct VARIANT
{
    union {
        struct
        {
            VARTYPE vt;
            WORD wReserved1;
            WORD wReserved2;
            WORD wReserved3;
            union {
                LONGLONG llVal;
                LONG lVal;
                BYTE bVal;
                SHORT iVal;
                FLOAT fltVal;
                DOUBLE dblVal;
                VARIANT_BOOL boolVal;
                SCODE scode;
                DATE date;
                BSTR bstrVal;
                IUnknown *punkVal;
                IDispatch *pdispVal;
                SAFEARRAY *parray;
                BYTE *pbVal;
                SHORT *piVal;
                LONG *plVal;
                FLOAT *pfltVal;
                DOUBLE *pdblVal;
                VARIANT_BOOL *pboolVal;
                BSTR *pbstrVal;
                IDispatch **ppdispVal;
                VARIANT *pvarVal;
                PVOID byref;
                CHAR cVal;
                USHORT uiVal;
                ULONG ulVal;
                INT intVal;
                UINT uintVal;
                struct
                {
                    PVOID pvRecord;
                    IRecordInfo *pRecInfo;
                } brecVal;
            };
        };
        DECIMAL decVal;
    };
};
typedef VARIANT VARIANTARG;

// The shapes that servers and clients share on Windows.
static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(DWORD) == 4 && sizeof(HRESULT) == 4, "32-bit");
static_assert(sizeof(OLECHAR) == 2 && sizeof(GUID) == 16 && sizeof(VARTYPE) == 2, "Windows sizes");
static_assert(offsetof(VARIANT, llVal) == 8 && sizeof(VARIANT) == 8 + 2 * sizeof(void *), "VARIANT layout");
typedef VARIANT *LPVARIANT;
typedef VARIANT *LPVARIANTARG;

struct DISPPARAMS
{
    VARIANTARG *rgvarg;
    DISPID *rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO
{
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT(STDMETHODCALLTYPE *pfnDeferredFillIn)(EXCEPINFO *);
    SCODE scode;
};

enum TYPEKIND
{
    TKIND_ENUM = 0,
    TKIND_RECORD,
    TKIND_MODULE,
    TKIND_INTERFACE,
    TKIND_DISPATCH,
    TKIND_COCLASS,
    TKIND_ALIAS,
    TKIND_UNION,
    TKIND_MAX
};

enum FUNCKIND
{
    FUNC_VIRTUAL = 0,
    FUNC_PUREVIRTUAL,
    FUNC_NONVIRTUAL,
    FUNC_STATIC,
    FUNC_DISPATCH
};

enum INVOKEKIND
{
    INVOKE_FUNC = 1,
    INVOKE_PROPERTYGET = 2,
    INVOKE_PROPERTYPUT = 4,
    INVOKE_PROPERTYPUTREF = 8
};

enum CALLCONV
{
    CC_FASTCALL = 0,
    CC_CDECL = 1,
    CC_STDCALL = 4
};

enum VARKIND
{
    VAR_PERINSTANCE = 0,
    VAR_STATIC,
    VAR_CONST,
    VAR_DISPATCH
};

enum SYSKIND
{
    SYS_WIN16 = 0,
    SYS_WIN32,
    SYS_MAC,
    SYS_WIN64
};

struct ARRAYDESC;
struct TYPEDESC
{
    union {
        TYPEDESC *lptdesc;
        ARRAYDESC *lpadesc;
        HREFTYPE hreftype;
    };
    VARTYPE vt;
};

struct IDLDESC
{
    ULONG_PTR dwReserved;
    USHORT wIDLFlags;
};

struct PARAMDESCEX;
struct PARAMDESC
{
    PARAMDESCEX *pparamdescex;
    USHORT wParamFlags;
};

struct ELEMDESC
{
    TYPEDESC tdesc;
    union {
        IDLDESC idldesc;
        PARAMDESC paramdesc;
    };
};

struct TYPEATTR
{
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;
    IDLDESC idldescType;
};

struct FUNCDESC
{
    MEMBERID memid;
    SCODE *lprgscode;
    ELEMDESC *lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    SHORT cParams;
    SHORT cParamsOpt;
    SHORT oVft;
    SHORT cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};

struct VARDESC
{
    MEMBERID memid;
    LPOLESTR lpstrSchema;
    union {
        ULONG oInst;
        VARIANT *lpvarValue;
    };
    ELEMDESC elemdescVar;
    WORD wVarFlags;
    VARKIND varkind;
};

struct TLIBATTR
{
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

extern "C" const IID IID_IDispatch;
extern "C" const IID IID_ITypeInfo;
extern "C" const IID IID_ITypeLib;
extern "C" const IID IID_ICreateTypeInfo;
extern "C" const IID IID_ICreateTypeLib;
extern "C" const IID IID_ICreateTypeLib2;

struct ITypeInfo;
struct ITypeLib;
struct ITypeComp;

struct IDispatch : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                                    DISPID *rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                             UINT *puArgErr) = 0;

protected:
    ~IDispatch() = default;
};
typedef IDispatch *LPDISPATCH;

struct ITypeInfo : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR **ppTypeAttr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **ppTComp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC **ppFuncDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC **ppVarDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR *rgBstrNames, UINT cMaxNames, UINT *pcNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE *pRefType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT *pImplTypeFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR *rgszNames, UINT cNames, MEMBERID *pMemId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS *pDispParams,
                                             VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR *pBstrName, BSTR *pBstrDocString,
                                                       DWORD *pdwHelpContext, BSTR *pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR *pBstrDllName,
                                                  BSTR *pBstrName, WORD *pwOrdinal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo **ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID memid, INVOKEKIND invKind, PVOID *ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pUnkOuter, REFIID riid, PVOID *ppvObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMops(MEMBERID memid, BSTR *pBstrMops) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib **ppTLib, UINT *pIndex) = 0;
    virtual void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR *pTypeAttr) = 0;
    virtual void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC *pFuncDesc) = 0;
    virtual void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC *pVarDesc) = 0;

protected:
    ~ITypeInfo() = default;
};

struct ITypeLib : public IUnknown
{
    virtual UINT STDMETHODCALLTYPE GetTypeInfoCount() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo **ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND *pTKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **ppTinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR **ppTLibAttr) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **ppTComp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR *pBstrName, BSTR *pBstrDocString,
                                                       DWORD *pdwHelpContext, BSTR *pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsName(LPOLESTR szNameBuf, ULONG lHashVal, BOOL *pfName) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo **ppTInfo,
                                               MEMBERID *rgMemId, USHORT *pcFound) = 0;
    virtual void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR *pTLibAttr) = 0;

protected:
    ~ITypeLib() = default;
};


struct ICreateTypeInfo : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetGuid(REFGUID guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTypeFlags(UINT uTypeFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDocString(LPOLESTR pStrDoc) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVersion(WORD wMajorVerNum, WORD wMinorVerNum) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddRefTypeInfo(ITypeInfo *pTInfo, HREFTYPE *phRefType) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddFuncDesc(UINT index, FUNCDESC *pFuncDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddImplType(UINT index, HREFTYPE hRefType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetImplTypeFlags(UINT index, INT implTypeFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAlignment(WORD cbAlignment) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSchema(LPOLESTR pStrSchema) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddVarDesc(UINT index, VARDESC *pVarDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFuncAndParamNames(UINT index, LPOLESTR *rgszNames, UINT cNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVarName(UINT index, LPOLESTR szName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTypeDescAlias(TYPEDESC *pTDescAlias) = 0;
    virtual HRESULT STDMETHODCALLTYPE DefineFuncAsDllEntry(UINT index, LPOLESTR szDllName, LPOLESTR szProcName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFuncDocString(UINT index, LPOLESTR szDocString) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVarDocString(UINT index, LPOLESTR szDocString) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFuncHelpContext(UINT index, DWORD dwHelpContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVarHelpContext(UINT index, DWORD dwHelpContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMops(UINT index, BSTR bstrMops) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTypeIdldesc(IDLDESC *pIdlDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE LayOut() = 0;

protected:
    ~ICreateTypeInfo() = default;
};

struct ICreateTypeLib : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE CreateTypeInfo(LPOLESTR szName, TYPEKIND tkind, ICreateTypeInfo **ppCTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetName(LPOLESTR szName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVersion(WORD wMajorVerNum, WORD wMinorVerNum) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetGuid(REFGUID guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDocString(LPOLESTR szDoc) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFileName(LPOLESTR szHelpFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLcid(LCID lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLibFlags(UINT uLibFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveAllChanges() = 0;

protected:
    ~ICreateTypeLib() = default;
};

struct ICreateTypeLib2 : public ICreateTypeLib
{
    virtual HRESULT STDMETHODCALLTYPE DeleteTypeInfo(LPOLESTR szName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCustData(REFGUID guid, VARIANT *pVarVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpStringContext(ULONG dwHelpStringContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpStringDll(LPOLESTR szFileName) = 0;

protected:
    ~ICreateTypeLib2() = default;
};

#endif
