#include "core/automation.h"

#include "core/automationevent.h"
#include "core/bstr.h"
#include "core/cominterface.h"

namespace
{
const DWORD CLASS_CONTEXT = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
const HRESULT ELEVATION_REQUIRED = HRESULT(0x800702E4);
const int MAXIMUM_ARGUMENTS = 16;

// The call succeeded when the code field (the low 16 bits) is zero; S_FALSE is a failure.
bool Invoke_Succeeded(HRESULT status) { return (status & 0xFFFF) == 0; }

QString Hex(HRESULT status) { return QString::number(quint32(status), 16); }
} // namespace

TAutomation::TAutomation(QObject *parent)
    : QObject(parent), d_unknown_interface(nullptr), d_dispatch_interface(nullptr), d_event_sink(nullptr),
      d_connection_point(nullptr), d_advise_cookie(0), d_event_interface_id(IID_NULL)
{
}

TAutomation::TAutomation(IDispatch *dispatch, QObject *parent) : TAutomation(parent)
{
    d_dispatch_interface = dispatch;
}

TAutomation::TAutomation(const QString &prog_id, QObject *parent) : TAutomation(parent) { CreateObject(prog_id); }

TAutomation::~TAutomation() { ReleaseObject(); }

void TAutomation::ReleaseObject()
{
    Release_Events();
    if (d_dispatch_interface)
        d_dispatch_interface->Release();
    if (d_unknown_interface)
        d_unknown_interface->Release();
    d_dispatch_interface = nullptr;
    d_unknown_interface = nullptr;
}

bool TAutomation::Init_COM() { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) == S_OK; }

bool TAutomation::Init_COM_Multithreaded() { return CoInitializeEx(nullptr, COINIT_MULTITHREADED) == S_OK; }

void TAutomation::Uninit_COM() { CoUninitialize(); }

bool TAutomation::Window_Class_Exists(const QString &class_name)
{
    return FindWindowW(reinterpret_cast<LPCWSTR>(class_name.utf16()), nullptr) != nullptr;
}

QString TAutomation::Error_Text(HRESULT status)
{
    LPWSTR buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_FROM_HMODULE;
    const DWORD length = FormatMessageW(flags, nullptr, DWORD(status), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QString text;
    if (length > 0 && buffer)
        text = QString::fromUtf16(reinterpret_cast<const ushort *>(buffer), int(length));
    if (buffer)
        LocalFree(buffer);
    // A code the system has no text for is still worth showing.
    if (text.isEmpty())
        text = QStringLiteral("0x%1\r\n").arg(quint32(status), 8, 16, QLatin1Char('0'));
    return text;
}

bool TAutomation::CreateObject(const QString &prog_id)
{
    ReleaseObject();
    if (prog_id.isEmpty())
    {
        d_last_error = QStringLiteral("ERR  CreateObect: Object '%1' name size is zero.").arg(prog_id);
        return false;
    }
    CLSID clsid;
    if (CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(prog_id.utf16()), &clsid) != S_OK)
    {
        d_last_error = QStringLiteral("ERR  CreateObect: Object '%1' does not exist.").arg(prog_id);
        return false;
    }
    return Create_Instance(clsid);
}

bool TAutomation::CreateObject(const unsigned char *clsid)
{
    ReleaseObject();
    if (!clsid)
    {
        d_last_error = QStringLiteral("ERR  CreateObect: Object CLSID is null.");
        return false;
    }
    // The bytes stand in the order of the textual form: the first three fields big-endian.
    CLSID id;
    id.Data1 = (DWORD(clsid[0]) << 24) | (DWORD(clsid[1]) << 16) | (DWORD(clsid[2]) << 8) | DWORD(clsid[3]);
    id.Data2 = WORD((clsid[4] << 8) | clsid[5]);
    id.Data3 = WORD((clsid[6] << 8) | clsid[7]);
    for (int i = 0; i < 8; ++i)
        id.Data4[i] = clsid[8 + i];
    return Create_Instance(id);
}

bool TAutomation::Create_Instance(const CLSID &clsid)
{
    const HRESULT created = CoCreateInstance(clsid, nullptr, CLASS_CONTEXT, IID_IUnknown,
                                             reinterpret_cast<void **>(&d_unknown_interface));
    if (FAILED(created) || !d_unknown_interface)
    {
        if (created == ELEVATION_REQUIRED)
            d_last_error = QStringLiteral(
                "ERR  CoCreateInstance: result_status 0x800702e4 - The Requested Operation Requires Elevation.");
        else
            d_last_error = QStringLiteral("ERR  QueryInterface: result_status 0x%1 - ").arg(Hex(created)) +
                           Error_Text(created);
        return false;
    }
    const HRESULT queried =
        d_unknown_interface->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&d_dispatch_interface));
    if (FAILED(queried))
    {
        d_dispatch_interface = nullptr;
        d_last_error = QStringLiteral("ERR  QueryInterface: ") + Error_Text(queried);
        return false;
    }
    return true;
}

DISPID TAutomation::Name_To_Id(const QString &name) const
{
    TBstr bstr(name);
    LPOLESTR names[1] = {bstr.Get()};
    DISPID dispid = DISPID_UNKNOWN;
    d_dispatch_interface->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &dispid);
    return dispid;
}

bool TAutomation::Check_Callable(const QString &name)
{
    if (!d_dispatch_interface)
    {
        d_last_error = QStringLiteral("Call Error: d_dispatch_interface NULL");
        return false;
    }
    if (name.isEmpty())
    {
        d_last_error = QStringLiteral("Call Error: Method name length is zero.");
        return false;
    }
    return true;
}

bool TAutomation::SetProperty(const QString &name, const TArg &value)
{
    if (!Check_Callable(name))
        return false;
    if (value.type == TArg::TYPE_EMPTY)
    {
        d_last_error = QStringLiteral("SetProperty Error: Property '%1' cannot be empty.").arg(name);
        return false;
    }
    const DISPID dispid = Name_To_Id(name);
    if (dispid == DISPID_UNKNOWN)
    {
        d_last_error = QStringLiteral("SetProperty Error: Property '%1' does not exist.").arg(name);
        return false;
    }
    VARIANT argument;
    if (!ArgToVariant(&argument, value))
        return false;

    DISPID named_argument = DISPID_PROPERTYPUT;
    DISPPARAMS parameters;
    parameters.rgvarg = &argument;
    parameters.rgdispidNamedArgs = &named_argument;
    parameters.cArgs = 1;
    parameters.cNamedArgs = 1;
    VARIANT result;
    VariantInit(&result);
    const HRESULT status = d_dispatch_interface->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT,
                                                        DISPATCH_PROPERTYPUT, &parameters, &result, nullptr, nullptr);
    Free_Argument(&argument);
    VariantClear(&result);
    if (!Invoke_Succeeded(status))
    {
        d_last_error = QStringLiteral("SetProperty Error: ") + Error_Text(status);
        return false;
    }
    return true;
}

TAutomation::TArg TAutomation::GetProperty(const QString &name, const TArg &a1, const TArg &a2, const TArg &a3,
                                           const TArg &a4, const TArg &a5, const TArg &a6, const TArg &a7,
                                           const TArg &a8, const TArg &a9, const TArg &a10, const TArg &a11,
                                           const TArg &a12, const TArg &a13, const TArg &a14, const TArg &a15,
                                           const TArg &a16)
{
    const TArg *const arguments[MAXIMUM_ARGUMENTS] = {&a1, &a2,  &a3,  &a4,  &a5,  &a6,  &a7,  &a8,
                                                      &a9, &a10, &a11, &a12, &a13, &a14, &a15, &a16};
    return Invoke_Member(name, DISPATCH_PROPERTYGET, arguments,
                         QStringLiteral("Call Error: Method '%1' does not exist.").arg(name),
                         QStringLiteral("GetProperly Error: "));
}

TAutomation::TArg TAutomation::Call(const QString &name, const TArg &a1, const TArg &a2, const TArg &a3,
                                    const TArg &a4, const TArg &a5, const TArg &a6, const TArg &a7, const TArg &a8,
                                    const TArg &a9, const TArg &a10, const TArg &a11, const TArg &a12,
                                    const TArg &a13, const TArg &a14, const TArg &a15, const TArg &a16)
{
    const TArg *const arguments[MAXIMUM_ARGUMENTS] = {&a1, &a2,  &a3,  &a4,  &a5,  &a6,  &a7,  &a8,
                                                      &a9, &a10, &a11, &a12, &a13, &a14, &a15, &a16};
    return Invoke_Member(name, DISPATCH_METHOD, arguments, QStringLiteral("Call: Method '%1' does not exist.").arg(name),
                         QStringLiteral("Call Error: "));
}

TAutomation::TArg TAutomation::Invoke_Member(const QString &name, WORD flags,
                                             const TArg *const arguments[MAXIMUM_ARGUMENTS],
                                             const QString &unknown_text, const QString &failure_prefix)
{
    if (!Check_Callable(name))
        return TArg();
    const DISPID dispid = Name_To_Id(name);
    if (dispid == DISPID_UNKNOWN)
    {
        d_last_error = unknown_text;
        return TArg();
    }

    // IDispatch order: the last given argument in slot 0. Empty arguments are
    // skipped, so those behind a gap move up.
    VARIANT variants[MAXIMUM_ARGUMENTS];
    UINT filled = 0;
    bool converted = true;
    for (int index = MAXIMUM_ARGUMENTS - 1; index >= 0 && converted; --index)
    {
        if (arguments[index]->type == TArg::TYPE_EMPTY)
            continue;
        converted = ArgToVariant(&variants[filled], *arguments[index]);
        if (converted)
            ++filled;
    }
    if (!converted)
    {
        for (UINT slot = 0; slot < filled; ++slot)
            Free_Argument(&variants[slot]);
        return TArg();
    }

    DISPPARAMS parameters;
    parameters.rgvarg = filled ? variants : nullptr;
    parameters.rgdispidNamedArgs = nullptr;
    parameters.cArgs = filled;
    parameters.cNamedArgs = 0;
    VARIANT result;
    VariantInit(&result);
    const HRESULT status = d_dispatch_interface->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &parameters,
                                                        &result, nullptr, nullptr);
    for (UINT slot = 0; slot < filled; ++slot)
        Free_Argument(&variants[slot]);
    if (!Invoke_Succeeded(status))
    {
        VariantClear(&result);
        d_last_error = failure_prefix + Error_Text(status);
        return TArg();
    }
    return Result_To_Arg(&result);
}

TAutomation *TAutomation::GetSubObject(const QString &name)
{
    if (!d_dispatch_interface || name.isEmpty())
        return nullptr;
    const DISPID dispid = Name_To_Id(name);
    if (dispid == DISPID_UNKNOWN)
    {
        d_last_error = QStringLiteral("GetSubObject Error: ") + name;
        return nullptr;
    }
    DISPPARAMS parameters = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT status = d_dispatch_interface->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT,
                                                        DISPATCH_PROPERTYGET, &parameters, &result, nullptr, nullptr);
    if (!Invoke_Succeeded(status))
    {
        VariantClear(&result);
        d_last_error = QStringLiteral("GetSubObject Error: Object '%1' does not exist.").arg(name);
        return nullptr;
    }
    if (result.vt == VT_DISPATCH)
        return new TAutomation(result.pdispVal, nullptr);
    VariantClear(&result);
    return nullptr;
}
