#include "oleauto.h"

#include <cstdlib>
#include <cstring>

// BSTRs, VARIANTs and one-dimensional SAFEARRAYs with the system's layout and
// ownership rules: a BSTR is length-prefixed and zero-terminated; VariantClear
// frees what a VARIANT owns; SafeArrayPutElement stores a copy and
// SafeArrayDestroy frees the elements.

namespace
{
// A BSTR's allocation starts with its length in bytes, four bytes before the text.
uint32_t *Prefix(BSTR text) { return reinterpret_cast<uint32_t *>(text) - 1; }

ULONG Element_Size(VARTYPE vt)
{
    switch (vt)
    {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return 4;
    case VT_R8:
    case VT_I8:
    case VT_UI8:
    case VT_DATE:
    case VT_CY:
        return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void *);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

USHORT Features(VARTYPE vt)
{
    switch (vt)
    {
    case VT_BSTR:
        return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_DISPATCH:
        return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
        return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_VARIANT:
        return FADF_VARIANT | FADF_HAVEVARTYPE;
    default:
        return FADF_HAVEVARTYPE;
    }
}

// The element type is kept in the four bytes before the descriptor, as Windows does.
struct TArrayBlock
{
    uint32_t vt;
    uint32_t padding;
    SAFEARRAY array;
};

TArrayBlock *Block(SAFEARRAY *psa)
{
    return reinterpret_cast<TArrayBlock *>(reinterpret_cast<char *>(psa) - offsetof(TArrayBlock, array));
}

HRESULT Element(SAFEARRAY *psa, LONG *rgIndices, void **element)
{
    if (!psa || !rgIndices)
        return E_INVALIDARG;
    const LONG offset = rgIndices[0] - psa->rgsabound[0].lLbound;
    if (offset < 0 || ULONG(offset) >= psa->rgsabound[0].cElements)
        return DISP_E_BADINDEX;
    *element = static_cast<char *>(psa->pvData) + size_t(offset) * psa->cbElements;
    return S_OK;
}

void Clear_Element(VARTYPE vt, void *element)
{
    switch (vt)
    {
    case VT_BSTR:
        SysFreeString(*static_cast<BSTR *>(element));
        *static_cast<BSTR *>(element) = nullptr;
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (IUnknown *object = *static_cast<IUnknown **>(element))
            object->Release();
        *static_cast<IUnknown **>(element) = nullptr;
        break;
    case VT_VARIANT:
        VariantClear(static_cast<VARIANT *>(element));
        break;
    default:
        break;
    }
}

HRESULT Copy_Element(VARTYPE vt, void *destination, const void *source, ULONG size)
{
    switch (vt)
    {
    case VT_BSTR:
    {
        const BSTR text = *static_cast<const BSTR *>(source);
        BSTR copy = text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
        if (text && !copy)
            return E_OUTOFMEMORY;
        *static_cast<BSTR *>(destination) = copy;
        return S_OK;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN:
    {
        IUnknown *object = *static_cast<IUnknown *const *>(source);
        if (object)
            object->AddRef();
        *static_cast<IUnknown **>(destination) = object;
        return S_OK;
    }
    case VT_VARIANT:
        VariantInit(static_cast<VARIANT *>(destination));
        return VariantCopy(static_cast<VARIANT *>(destination), static_cast<const VARIANT *>(source));
    default:
        std::memcpy(destination, source, size);
        return S_OK;
    }
}
} // namespace

extern "C" BSTR WINAPI SysAllocStringLen(const OLECHAR *strIn, UINT ui)
{
    uint32_t *block = static_cast<uint32_t *>(std::malloc(sizeof(uint32_t) + (size_t(ui) + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    block[0] = uint32_t(ui * sizeof(OLECHAR));
    BSTR text = reinterpret_cast<BSTR>(block + 1);
    if (strIn)
        std::memcpy(text, strIn, ui * sizeof(OLECHAR));
    else
        std::memset(text, 0, ui * sizeof(OLECHAR));
    text[ui] = 0;
    return text;
}

extern "C" BSTR WINAPI SysAllocString(const OLECHAR *psz)
{
    if (!psz)
        return nullptr;
    UINT length = 0;
    while (psz[length])
        ++length;
    return SysAllocStringLen(psz, length);
}

extern "C" void WINAPI SysFreeString(BSTR bstrString)
{
    if (bstrString)
        std::free(Prefix(bstrString));
}

extern "C" UINT WINAPI SysStringByteLen(BSTR bstr) { return bstr ? *Prefix(bstr) : 0; }

extern "C" UINT WINAPI SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }

extern "C" void WINAPI VariantInit(VARIANTARG *pvarg)
{
    if (pvarg)
    {
        pvarg->vt = VT_EMPTY;
        pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
    }
}

extern "C" HRESULT WINAPI VariantClear(VARIANTARG *pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    if (!(pvarg->vt & VT_BYREF))
    {
        if (pvarg->vt & VT_ARRAY)
            SafeArrayDestroy(pvarg->parray);
        else if (pvarg->vt == VT_BSTR)
            SysFreeString(pvarg->bstrVal);
        else if ((pvarg->vt == VT_DISPATCH || pvarg->vt == VT_UNKNOWN) && pvarg->punkVal)
            pvarg->punkVal->Release();
    }
    pvarg->vt = VT_EMPTY;
    pvarg->llVal = 0;
    return S_OK;
}

extern "C" HRESULT WINAPI VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc)
{
    if (!pvargDest || !pvargSrc)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    VariantClear(pvargDest);
    const VARTYPE vt = pvargSrc->vt;
    if ((vt & VT_ARRAY) && !(vt & VT_BYREF))
        return DISP_E_BADVARTYPE;
    *pvargDest = *pvargSrc;
    if (vt & VT_BYREF)
        return S_OK;
    if (vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN)
    {
        const HRESULT result = Copy_Element(vt, &pvargDest->byref, &pvargSrc->byref, sizeof(void *));
        if (FAILED(result))
            VariantInit(pvargDest);
        return result;
    }
    return S_OK;
}

extern "C" SAFEARRAY *WINAPI SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND *rgsabound)
{
    const ULONG size = Element_Size(vt);
    if (cDims != 1 || !rgsabound || size == 0)
        return nullptr;
    TArrayBlock *block = static_cast<TArrayBlock *>(std::calloc(1, sizeof(TArrayBlock)));
    if (!block)
        return nullptr;
    void *data = std::calloc(rgsabound[0].cElements ? rgsabound[0].cElements : 1, size);
    if (!data)
    {
        std::free(block);
        return nullptr;
    }
    block->vt = vt;
    SAFEARRAY *psa = &block->array;
    psa->cDims = 1;
    psa->fFeatures = Features(vt);
    psa->cbElements = size;
    psa->pvData = data;
    psa->rgsabound[0] = rgsabound[0];
    return psa;
}

extern "C" HRESULT WINAPI SafeArrayDestroy(SAFEARRAY *psa)
{
    if (!psa)
        return S_OK;
    if (psa->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    const VARTYPE vt = VARTYPE(Block(psa)->vt);
    for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i)
        Clear_Element(vt, static_cast<char *>(psa->pvData) + size_t(i) * psa->cbElements);
    std::free(psa->pvData);
    std::free(Block(psa));
    return S_OK;
}

extern "C" HRESULT WINAPI SafeArrayPutElement(SAFEARRAY *psa, LONG *rgIndices, void *pv)
{
    void *element = nullptr;
    const HRESULT found = Element(psa, rgIndices, &element);
    if (FAILED(found))
        return found;
    if (!pv)
        return E_INVALIDARG;
    const VARTYPE vt = VARTYPE(Block(psa)->vt);
    // A BSTR is passed as the string itself, anything else by its address.
    const void *source = vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN ? &pv : pv;
    Clear_Element(vt, element);
    return Copy_Element(vt, element, source, psa->cbElements);
}

extern "C" HRESULT WINAPI SafeArrayGetElement(SAFEARRAY *psa, LONG *rgIndices, void *pv)
{
    void *element = nullptr;
    const HRESULT found = Element(psa, rgIndices, &element);
    if (FAILED(found))
        return found;
    if (!pv)
        return E_INVALIDARG;
    return Copy_Element(VARTYPE(Block(psa)->vt), pv, element, psa->cbElements);
}

extern "C" UINT WINAPI SafeArrayGetDim(SAFEARRAY *psa) { return psa ? psa->cDims : 0; }

extern "C" HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound)
{
    if (!psa || !plLbound)
        return E_INVALIDARG;
    if (nDim != 1)
        return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

extern "C" HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound)
{
    if (!psa || !plUbound)
        return E_INVALIDARG;
    if (nDim != 1)
        return DISP_E_BADINDEX;
    *plUbound = psa->rgsabound[0].lLbound + LONG(psa->rgsabound[0].cElements) - 1;
    return S_OK;
}

extern "C" HRESULT WINAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt)
{
    if (!psa || !pvt)
        return E_INVALIDARG;
    *pvt = VARTYPE(Block(psa)->vt);
    return S_OK;
}
