#ifndef QUORVEX_PLATFORM_OLEAUTO_H
#define QUORVEX_PLATFORM_OLEAUTO_H

#include "oaidl.h"

// Strings, variants, safe arrays and type libraries of OLE Automation.

extern "C"
{
    BSTR WINAPI SysAllocString(const OLECHAR *psz);
    BSTR WINAPI SysAllocStringLen(const OLECHAR *strIn, UINT ui);
    void WINAPI SysFreeString(BSTR bstrString);
    UINT WINAPI SysStringLen(BSTR pbstr);
    UINT WINAPI SysStringByteLen(BSTR bstr);

    void WINAPI VariantInit(VARIANTARG *pvarg);
    HRESULT WINAPI VariantClear(VARIANTARG *pvarg);
    HRESULT WINAPI VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc);

    SAFEARRAY *WINAPI SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND *rgsabound);
    HRESULT WINAPI SafeArrayDestroy(SAFEARRAY *psa);
    HRESULT WINAPI SafeArrayPutElement(SAFEARRAY *psa, LONG *rgIndices, void *pv);
    HRESULT WINAPI SafeArrayGetElement(SAFEARRAY *psa, LONG *rgIndices, void *pv);
    UINT WINAPI SafeArrayGetDim(SAFEARRAY *psa);
    HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound);
    HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound);
    HRESULT WINAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt);

    HRESULT WINAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib **pptlib);
    // Writes a library of dispinterfaces in the layer's format (see typelibraryfile.h).
    HRESULT WINAPI CreateTypeLib2(SYSKIND syskind, LPCOLESTR szFile, ICreateTypeLib2 **ppctlib);
}

#endif
