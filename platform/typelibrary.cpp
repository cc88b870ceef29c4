#include "comobject.h"
#include "oleauto.h"
#include "typelibraryfile.h"
#include "wstring.h"

// LoadTypeLib and the ITypeLib / ITypeInfo objects over a TTypeLibraryFile.

namespace
{
class TTypeLibrary;

BSTR Bstr(const QString &text) { return SysAllocStringLen(TWString::From_QString(text), UINT(text.size())); }

class TTypeInformation final : public TComObject<ITypeInfo, IID_ITypeInfo>
{
public:
    TTypeInformation(ITypeLib *library, UINT index, const TTypeLibraryFile::TType &type)
        : d_library(library), d_index(index), d_type(type)
    {
        d_library->AddRef();
    }
    ~TTypeInformation() override { d_library->Release(); }

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR **ppTypeAttr) override
    {
        if (!ppTypeAttr)
            return E_INVALIDARG;
        TYPEATTR *attributes = new TYPEATTR();
        attributes->guid = d_type.guid;
        attributes->memidConstructor = MEMBERID_NIL;
        attributes->memidDestructor = MEMBERID_NIL;
        attributes->typekind = TKIND_DISPATCH;
        attributes->cFuncs = WORD(d_type.functions.size());
        attributes->cVars = WORD(d_type.variables.size());
        attributes->cbSizeVft = 7 * sizeof(void *);
        attributes->cbAlignment = sizeof(void *);
        attributes->wMajorVerNum = 1;
        *ppTypeAttr = attributes;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR *pTypeAttr) override { delete pTypeAttr; }

    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC **ppFuncDesc) override
    {
        if (!ppFuncDesc)
            return E_INVALIDARG;
        if (index >= d_type.functions.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const TTypeLibraryFile::TMember &function = d_type.functions[index];
        FUNCDESC *description = new FUNCDESC();
        description->memid = function.memid;
        description->funckind = FUNC_DISPATCH;
        description->invkind = INVOKE_FUNC;
        description->callconv = CC_STDCALL;
        description->cParams = SHORT(function.names.size() - 1);
        if (description->cParams > 0)
        {
            description->lprgelemdescParam = new ELEMDESC[size_t(description->cParams)]();
            for (SHORT i = 0; i < description->cParams; ++i)
                description->lprgelemdescParam[i].tdesc.vt = VT_VARIANT;
        }
        description->elemdescFunc.tdesc.vt = VT_VOID;
        *ppFuncDesc = description;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC *pFuncDesc) override
    {
        if (pFuncDesc)
            delete[] pFuncDesc->lprgelemdescParam;
        delete pFuncDesc;
    }

    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC **ppVarDesc) override
    {
        if (!ppVarDesc)
            return E_INVALIDARG;
        if (index >= d_type.variables.size())
            return TYPE_E_ELEMENTNOTFOUND;
        VARDESC *description = new VARDESC();
        description->memid = d_type.variables[index].memid;
        description->varkind = VAR_DISPATCH;
        description->elemdescVar.tdesc.vt = VT_VARIANT;
        *ppVarDesc = description;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC *pVarDesc) override { delete pVarDesc; }

    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR *rgBstrNames, UINT cMaxNames, UINT *pcNames) override
    {
        if (!rgBstrNames || !pcNames)
            return E_INVALIDARG;
        const TTypeLibraryFile::TMember *member = Member(memid);
        if (!member)
            return TYPE_E_ELEMENTNOTFOUND;
        UINT count = 0;
        for (const QString &name : member->names)
        {
            if (count >= cMaxNames)
                break;
            rgBstrNames[count++] = Bstr(name);
        }
        *pcNames = count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR *rgszNames, UINT cNames, MEMBERID *pMemId) override
    {
        if (!rgszNames || !pMemId)
            return E_INVALIDARG;
        HRESULT result = S_OK;
        for (UINT i = 0; i < cNames; ++i)
        {
            pMemId[i] = MEMBERID_NIL;
            const QString name = TWString::To_QString(rgszNames[i]);
            for (const auto *members : {&d_type.functions, &d_type.variables})
                for (const TTypeLibraryFile::TMember &member : *members)
                    if (member.names.first().compare(name, Qt::CaseInsensitive) == 0)
                        pMemId[i] = member.memid;
            if (pMemId[i] == MEMBERID_NIL)
                result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR *pBstrName, BSTR *pBstrDocString,
                                               DWORD *pdwHelpContext, BSTR *pBstrHelpFile) override
    {
        QString name;
        if (memid == MEMBERID_NIL)
            name = d_type.name;
        else if (const TTypeLibraryFile::TMember *member = Member(memid))
            name = member->names.first();
        else
            return TYPE_E_ELEMENTNOTFOUND;
        if (pBstrName)
            *pBstrName = Bstr(name);
        if (pBstrDocString)
            *pBstrDocString = nullptr;
        if (pdwHelpContext)
            *pdwHelpContext = 0;
        if (pBstrHelpFile)
            *pBstrHelpFile = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib **ppTLib, UINT *pIndex) override
    {
        if (ppTLib)
        {
            d_library->AddRef();
            *ppTLib = d_library;
        }
        if (pIndex)
            *pIndex = d_index;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT, HREFTYPE *) override { return TYPE_E_ELEMENTNOTFOUND; }
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT, INT *) override { return TYPE_E_ELEMENTNOTFOUND; }
    HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR *, BSTR *, WORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, REFIID, PVOID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR *) override { return E_NOTIMPL; }

private:
    const TTypeLibraryFile::TMember *Member(MEMBERID memid) const
    {
        for (const auto *members : {&d_type.functions, &d_type.variables})
            for (const TTypeLibraryFile::TMember &member : *members)
                if (member.memid == memid)
                    return &member;
        return nullptr;
    }

    ITypeLib *d_library;
    UINT d_index;
    TTypeLibraryFile::TType d_type;
};

class TTypeLibrary final : public TComObject<ITypeLib, IID_ITypeLib>
{
public:
    explicit TTypeLibrary(const TTypeLibraryFile &file) : d_file(file) {}

    UINT STDMETHODCALLTYPE GetTypeInfoCount() override { return UINT(d_file.Types().size()); }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo **ppTInfo) override
    {
        if (!ppTInfo)
            return E_INVALIDARG;
        *ppTInfo = nullptr;
        if (index >= d_file.Types().size())
            return TYPE_E_ELEMENTNOTFOUND;
        *ppTInfo = new TTypeInformation(this, index, d_file.Types()[index]);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND *pTKind) override
    {
        if (!pTKind)
            return E_INVALIDARG;
        if (index >= d_file.Types().size())
            return TYPE_E_ELEMENTNOTFOUND;
        *pTKind = TKIND_DISPATCH;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **ppTinfo) override
    {
        if (!ppTinfo)
            return E_INVALIDARG;
        for (UINT index = 0; index < d_file.Types().size(); ++index)
            if (d_file.Types()[index].guid == guid)
                return GetTypeInfo(index, ppTinfo);
        *ppTinfo = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR **ppTLibAttr) override
    {
        if (!ppTLibAttr)
            return E_INVALIDARG;
        TLIBATTR *attributes = new TLIBATTR();
        attributes->guid = d_file.Library_Guid();
        attributes->syskind = SYS_WIN64;
        attributes->wMajorVerNum = 1;
        *ppTLibAttr = attributes;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR *pTLibAttr) override { delete pTLibAttr; }

    HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR *pBstrName, BSTR *pBstrDocString,
                                               DWORD *pdwHelpContext, BSTR *pBstrHelpFile) override
    {
        if (index >= INT(d_file.Types().size()) || index < -1)
            return TYPE_E_ELEMENTNOTFOUND;
        const QString name = index == -1 ? d_file.Library_Name() : d_file.Types()[size_t(index)].name;
        if (pBstrName)
            *pBstrName = Bstr(name);
        if (pBstrDocString)
            *pBstrDocString = nullptr;
        if (pdwHelpContext)
            *pdwHelpContext = 0;
        if (pBstrHelpFile)
            *pBstrHelpFile = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE IsName(LPOLESTR szNameBuf, ULONG, BOOL *pfName) override
    {
        if (!szNameBuf || !pfName)
            return E_INVALIDARG;
        const QString name = TWString::To_QString(szNameBuf);
        *pfName = FALSE;
        for (const TTypeLibraryFile::TType &type : d_file.Types())
            if (type.name.compare(name, Qt::CaseInsensitive) == 0)
                *pfName = TRUE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindName(LPOLESTR, ULONG, ITypeInfo **, MEMBERID *, USHORT *) override
    {
        return E_NOTIMPL;
    }

private:
    TTypeLibraryFile d_file;
};
} // namespace

extern "C" HRESULT WINAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib **pptlib)
{
    if (!szFile || !pptlib)
        return E_INVALIDARG;
    *pptlib = nullptr;
    TTypeLibraryFile file;
    if (!file.Load(TWString::To_QString(szFile)))
        return TYPE_E_CANTLOADLIBRARY;
    *pptlib = new TTypeLibrary(file);
    return S_OK;
}
