#include "comobject.h"
#include "oleauto.h"
#include "typelibraryfile.h"
#include "wstring.h"

#include <memory>
#include <vector>

// CreateTypeLib2 for libraries of dispinterfaces, the only kind our servers
// describe: members with their ids and names are kept until SaveAllChanges
// writes the library file. What else a type library may carry is refused.

namespace
{
struct TMemberDraft
{
    MEMBERID memid;
    int parameters;
    QStringList names;
};

struct TTypeDraft
{
    QString name;
    GUID guid = {};
    std::vector<TMemberDraft> functions;
    std::vector<TMemberDraft> variables;
};

HRESULT Insert(std::vector<TMemberDraft> *members, UINT index, const TMemberDraft &member)
{
    if (index > members->size())
        return TYPE_E_ELEMENTNOTFOUND;
    members->insert(members->begin() + index, member);
    return S_OK;
}

class TCreateTypeInfo final : public TComObject<ICreateTypeInfo, IID_ICreateTypeInfo>
{
public:
    explicit TCreateTypeInfo(std::shared_ptr<TTypeDraft> draft) : d_draft(std::move(draft)) {}

    HRESULT STDMETHODCALLTYPE SetGuid(REFGUID guid) override
    {
        d_draft->guid = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddFuncDesc(UINT index, FUNCDESC *pFuncDesc) override
    {
        if (!pFuncDesc || pFuncDesc->funckind != FUNC_DISPATCH || pFuncDesc->cParams < 0)
            return E_INVALIDARG;
        return Insert(&d_draft->functions, index, TMemberDraft{pFuncDesc->memid, pFuncDesc->cParams, {}});
    }
    HRESULT STDMETHODCALLTYPE SetFuncAndParamNames(UINT index, LPOLESTR *rgszNames, UINT cNames) override
    {
        if (index >= d_draft->functions.size())
            return TYPE_E_ELEMENTNOTFOUND;
        TMemberDraft &function = d_draft->functions[index];
        // The function's name, then one per parameter.
        if (!rgszNames || cNames != UINT(function.parameters) + 1)
            return E_INVALIDARG;
        QStringList names;
        for (UINT i = 0; i < cNames; ++i)
        {
            const QString name = TWString::To_QString(rgszNames[i]);
            if (!Valid_Name(name))
                return E_INVALIDARG;
            names.append(name);
        }
        function.names = names;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddVarDesc(UINT index, VARDESC *pVarDesc) override
    {
        if (!pVarDesc || pVarDesc->varkind != VAR_DISPATCH)
            return E_INVALIDARG;
        return Insert(&d_draft->variables, index, TMemberDraft{pVarDesc->memid, 0, {}});
    }
    HRESULT STDMETHODCALLTYPE SetVarName(UINT index, LPOLESTR szName) override
    {
        if (index >= d_draft->variables.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const QString name = TWString::To_QString(szName);
        if (!Valid_Name(name))
            return E_INVALIDARG;
        d_draft->variables[index].names = QStringList{name};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetVersion(WORD, WORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetDocString(LPOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LayOut() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE SetTypeFlags(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddRefTypeInfo(ITypeInfo *, HREFTYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddImplType(UINT, HREFTYPE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetImplTypeFlags(UINT, INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAlignment(WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSchema(LPOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTypeDescAlias(TYPEDESC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DefineFuncAsDllEntry(UINT, LPOLESTR, LPOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFuncDocString(UINT, LPOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVarDocString(UINT, LPOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFuncHelpContext(UINT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVarHelpContext(UINT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMops(UINT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTypeIdldesc(IDLDESC *) override { return E_NOTIMPL; }

    // The file format separates names by blanks, one per line.
    static bool Valid_Name(const QString &name)
    {
        if (name.isEmpty())
            return false;
        for (QChar character : name)
            if (character.isSpace() || character.isNull())
                return false;
        return true;
    }

private:
    std::shared_ptr<TTypeDraft> d_draft;
};

class TCreateTypeLibrary final : public TComObject<ICreateTypeLib2, IID_ICreateTypeLib2>
{
public:
    explicit TCreateTypeLibrary(const QString &file_name) : d_file_name(file_name), d_guid() {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override
    {
        if (ppvObject && riid == IID_ICreateTypeLib)
        {
            *ppvObject = static_cast<ICreateTypeLib *>(this);
            AddRef();
            return S_OK;
        }
        return TComObject::QueryInterface(riid, ppvObject);
    }

    HRESULT STDMETHODCALLTYPE CreateTypeInfo(LPOLESTR szName, TYPEKIND tkind, ICreateTypeInfo **ppCTInfo) override
    {
        if (!ppCTInfo)
            return E_INVALIDARG;
        *ppCTInfo = nullptr;
        const QString name = TWString::To_QString(szName);
        if (!TCreateTypeInfo::Valid_Name(name))
            return E_INVALIDARG;
        if (tkind != TKIND_DISPATCH)
            return TYPE_E_BADMODULEKIND;
        for (const auto &type : d_types)
            if (type->name.compare(name, Qt::CaseInsensitive) == 0)
                return TYPE_E_NAMECONFLICT;
        d_types.push_back(std::make_shared<TTypeDraft>());
        d_types.back()->name = name;
        *ppCTInfo = new TCreateTypeInfo(d_types.back());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetName(LPOLESTR szName) override
    {
        const QString name = TWString::To_QString(szName);
        if (!TCreateTypeInfo::Valid_Name(name))
            return E_INVALIDARG;
        d_name = name;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetGuid(REFGUID guid) override
    {
        d_guid = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveAllChanges() override
    {
        TTypeLibraryFile file;
        file.Set_Library(d_name.isEmpty() ? QStringLiteral("Library") : d_name, d_guid);
        for (const auto &type : d_types)
        {
            file.Add_Dispinterface(type->name, type->guid);
            for (const TMemberDraft &function : type->functions)
            {
                // A member without names cannot be found by name: Windows refuses to lay it out.
                if (function.names.isEmpty())
                    return E_INVALIDARG;
                file.Add_Function(function.memid, function.names.first(), function.names.mid(1));
            }
            for (const TMemberDraft &variable : type->variables)
            {
                if (variable.names.isEmpty())
                    return E_INVALIDARG;
                file.Add_Variable(variable.memid, variable.names.first());
            }
        }
        return file.Save(d_file_name) ? S_OK : STG_E_CANTSAVE;
    }
    HRESULT STDMETHODCALLTYPE SetVersion(WORD, WORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetDocString(LPOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetHelpFileName(LPOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetLcid(LCID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetLibFlags(UINT) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE DeleteTypeInfo(LPOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCustData(REFGUID, VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHelpStringContext(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHelpStringDll(LPOLESTR) override { return E_NOTIMPL; }

private:
    QString d_file_name;
    QString d_name;
    GUID d_guid;
    std::vector<std::shared_ptr<TTypeDraft>> d_types;
};
} // namespace

extern "C" HRESULT WINAPI CreateTypeLib2(SYSKIND syskind, LPCOLESTR szFile, ICreateTypeLib2 **ppctlib)
{
    if (!ppctlib)
        return E_INVALIDARG;
    *ppctlib = nullptr;
    if (!szFile || !*szFile || syskind > SYS_WIN64)
        return E_INVALIDARG;
    *ppctlib = new TCreateTypeLibrary(TWString::To_QString(szFile));
    return S_OK;
}
