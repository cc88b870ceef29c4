#include "core/automation.h"

#include "core/automationevent.h"
#include "core/bstr.h"
#include "core/cominterface.h"

#include <QDir>

namespace
{
const int MAXIMUM_ARGUMENTS = 16;
const UINT MAXIMUM_NAMES = 255;

HRESULT Load_Type_Library(const QString &path, ITypeLib **library)
{
    const QString native = QDir::toNativeSeparators(path);
    return LoadTypeLib(reinterpret_cast<LPCOLESTR>(native.utf16()), library);
}

// All names GetNames gives for a member, each BSTR freed.
QStringList Member_Names(ITypeInfo *type_info, MEMBERID memid)
{
    BSTR names[MAXIMUM_NAMES];
    UINT count = 0;
    QStringList result;
    if (FAILED(type_info->GetNames(memid, names, MAXIMUM_NAMES, &count)))
        return result;
    for (UINT i = 0; i < count; ++i)
    {
        result.append(TBstr::To_QString(names[i]));
        SysFreeString(names[i]);
    }
    return result;
}
} // namespace

bool TAutomation::Find_Type(ITypeLib *library, const QString &interface_name, ITypeInfo **type_info,
                            TYPEATTR *attributes)
{
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count; ++index)
    {
        TComInterface<ITypeInfo> candidate;
        if (FAILED(library->GetTypeInfo(index, candidate.Address())))
            continue;
        TBstr name;
        if (FAILED(candidate->GetDocumentation(MEMBERID_NIL, name.Address(), nullptr, nullptr, nullptr)))
            continue;
        if (name.Text() == interface_name)
        {
            // A copy of the attributes: the type's own are given back at once.
            TYPEATTR *held = nullptr;
            if (FAILED(candidate->GetTypeAttr(&held)) || !held)
                return false;
            *attributes = *held;
            candidate->ReleaseTypeAttr(held);
            candidate->AddRef();
            *type_info = candidate.Get();
            return true;
        }
    }
    return false;
}

bool TAutomation::Init_Events(const QString &type_library_path, const QString &interface_name)
{
    TComInterface<ITypeLib> library;
    if (Load_Type_Library(type_library_path, library.Address()) != S_OK)
    {
        d_last_error = QStringLiteral("Init_Events: Cannot load Type Library '%1'").arg(type_library_path);
        return false;
    }
    TComInterface<ITypeInfo> type_info;
    TYPEATTR attributes;
    if (!Find_Type(library.Get(), interface_name, type_info.Address(), &attributes))
        return false;
    d_event_interface_id = attributes.guid;
    return true;
}

bool TAutomation::Init_Event_Signals(const QString &type_library_path)
{
    d_event_functions.clear();
    d_event_names.clear();
    TComInterface<ITypeLib> library;
    if (Load_Type_Library(type_library_path, library.Address()) != S_OK)
    {
        d_last_error = QStringLiteral("Init_Event_Signals: Cannot load Type Library '%1'").arg(type_library_path);
        return false;
    }
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count; ++index)
    {
        TComInterface<ITypeInfo> type_info;
        if (FAILED(library->GetTypeInfo(index, type_info.Address())))
            continue;
        TYPEATTR *attributes = nullptr;
        if (FAILED(type_info->GetTypeAttr(&attributes)) || !attributes)
            continue;
        const bool matches = IsEqualGUID(attributes->guid, d_event_interface_id);
        const UINT functions = attributes->cFuncs;
        type_info->ReleaseTypeAttr(attributes);
        if (!matches)
            continue;
        for (UINT function = 0; function < functions; ++function)
        {
            FUNCDESC *description = nullptr;
            if (FAILED(type_info->GetFuncDesc(function, &description)) || !description)
                continue;
            const MEMBERID memid = description->memid;
            type_info->ReleaseFuncDesc(description);
            d_event_functions.emplace_back(memid, Member_Names(type_info.Get(), memid).value(0));
        }
        return true;
    }
    return false;
}

bool TAutomation::Add_Event_Signal(const QString &event_name)
{
    for (const auto &function : d_event_functions)
        if (function.second == event_name)
        {
            d_event_names.insert(function.first, event_name);
            return true;
        }
    return false;
}

bool TAutomation::Connect_Events()
{
    if (d_event_functions.empty() || !d_dispatch_interface)
        return false;

    Drop_Connection();
    TComInterface<IConnectionPointContainer> container;
    if (FAILED(d_dispatch_interface->QueryInterface(IID_IConnectionPointContainer, container.Void_Address())) ||
        !container.Get())
        return false;
    // Any success code hands over a connection point and its reference.
    d_connection_point = nullptr;
    if (FAILED(container->FindConnectionPoint(d_event_interface_id, &d_connection_point)) || !d_connection_point)
    {
        d_connection_point = nullptr;
        return false;
    }

    // The object keeps one reference of its own on its sink, so that a sink
    // that was never advised, or whose advise failed, is freed by its Release.
    d_event_sink = new TAutomationEvent(this, d_event_interface_id);
    d_event_sink->AddRef();
    DWORD cookie = 0;
    d_connection_point->Advise(d_event_sink, &cookie);
    d_advise_cookie = cookie;
    if (d_advise_cookie != 0)
        return true;
    d_event_sink->Release();
    d_connection_point->Release();
    d_event_sink = nullptr;
    d_connection_point = nullptr;
    return false;
}

void TAutomation::Release_Events()
{
    d_event_names.clear();
    d_event_functions.clear();
    Drop_Connection();
}

void TAutomation::Drop_Connection()
{
    // Unadvise gives back the server's reference on the sink, Release our own: the sink is then freed.
    if (d_connection_point && d_advise_cookie)
        d_connection_point->Unadvise(d_advise_cookie);
    if (d_connection_point)
        d_connection_point->Release();
    if (d_event_sink)
        d_event_sink->Release();
    d_event_sink = nullptr;
    d_connection_point = nullptr;
    d_advise_cookie = 0;
}

void TAutomation::Dispatch_Event(DISPID dispid, int argument_count, VARIANT *arguments)
{
    TArg converted[MAXIMUM_ARGUMENTS];
    const auto name = d_event_names.constFind(dispid);
    if (name == d_event_names.constEnd() || argument_count < 0 || argument_count > MAXIMUM_ARGUMENTS)
        return;
    if (argument_count > 0 && !arguments)
        return;
    // The server passes the last declared argument first; index 0 is the first declared.
    for (int i = 0; i < argument_count; ++i)
        VariantToArg(&arguments[argument_count - 1 - i], &converted[i]);
    const QString event_name = *name;
    emit Sink_Signal(event_name, argument_count, converted);
}

