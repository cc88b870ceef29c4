#include "sim/typelibrarywriter.h"

#include "sim/widetext.h"

#include <QDir>

void TTypeLibraryWriter::Set_Library(const QString &name, const GUID &guid)
{
    d_name = name;
    d_guid = guid;
}

void TTypeLibraryWriter::Add_Dispinterface(const QString &name, const GUID &guid)
{
    d_interfaces.push_back({name, guid, {}, {}});
}

void TTypeLibraryWriter::Add_Function(MEMBERID memid, const QString &name, const QStringList &parameters)
{
    if (!d_interfaces.empty())
        d_interfaces.back().functions.push_back({memid, QStringList{name} + parameters});
}

void TTypeLibraryWriter::Add_Variable(MEMBERID memid, const QString &name)
{
    if (!d_interfaces.empty())
        d_interfaces.back().variables.push_back({memid, QStringList{name}});
}

bool TTypeLibraryWriter::Save(const QString &file_name)
{
    ICreateTypeLib2 *library = nullptr;
    const QString native = QDir::toNativeSeparators(file_name);
    d_error_status = CreateTypeLib2(SYS_WIN64, TWideText::Of(native), &library);
    if (SUCCEEDED(d_error_status))
    {
        d_error_status = Write(library);
        library->Release();
    }
    return SUCCEEDED(d_error_status);
}

HRESULT TTypeLibraryWriter::Write(ICreateTypeLib2 *library) const
{
    HRESULT status = library->SetName(TWideText::Writable(d_name).data());
    if (SUCCEEDED(status))
        status = library->SetGuid(d_guid);
    if (SUCCEEDED(status))
        status = library->SetVersion(1, 0);
    for (const TInterface &interface_type : d_interfaces)
    {
        if (FAILED(status))
            break;
        ICreateTypeInfo *type = nullptr;
        status = library->CreateTypeInfo(TWideText::Writable(interface_type.name).data(), TKIND_DISPATCH, &type);
        if (FAILED(status))
            break;
        status = Write_Interface(type, interface_type);
        type->Release();
    }
    return SUCCEEDED(status) ? library->SaveAllChanges() : status;
}

HRESULT TTypeLibraryWriter::Write_Interface(ICreateTypeInfo *type, const TInterface &interface_type)
{
    HRESULT status = type->SetGuid(interface_type.guid);
    UINT index = 0;
    for (const TMember &function : interface_type.functions)
    {
        // Events take their arguments as variants and return nothing.
        std::vector<ELEMDESC> parameters(size_t(function.names.size() - 1));
        for (ELEMDESC &parameter : parameters)
            parameter.tdesc.vt = VT_VARIANT;
        FUNCDESC description = {};
        description.memid = function.memid;
        description.funckind = FUNC_DISPATCH;
        description.invkind = INVOKE_FUNC;
        description.callconv = CC_STDCALL;
        description.cParams = SHORT(parameters.size());
        description.lprgelemdescParam = parameters.empty() ? nullptr : parameters.data();
        description.elemdescFunc.tdesc.vt = VT_VOID;
        if (SUCCEEDED(status))
            status = type->AddFuncDesc(index, &description);
        TWideText names(function.names);
        if (SUCCEEDED(status))
            status = type->SetFuncAndParamNames(index, names.Array(), UINT(function.names.size()));
        ++index;
    }
    index = 0;
    for (const TMember &variable : interface_type.variables)
    {
        VARDESC description = {};
        description.memid = variable.memid;
        description.varkind = VAR_DISPATCH;
        description.elemdescVar.tdesc.vt = VT_VARIANT;
        if (SUCCEEDED(status))
            status = type->AddVarDesc(index, &description);
        if (SUCCEEDED(status))
            status = type->SetVarName(index, TWideText::Writable(variable.names.first()).data());
        ++index;
    }
    return status;
}
