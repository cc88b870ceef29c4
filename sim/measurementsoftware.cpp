#include "sim/measurementsoftware.h"

#include "sim/classfactory.h"
#include "sim/dispatchobject.h"
#include "sim/eventsource.h"
#include "sim/softwarewindow.h"
#include "sim/typelibrarywriter.h"
#include "sim/widetext.h"


#include <QDir>

const QString TMeasurementSoftware::PROG_ID = QStringLiteral("PCDLRN.Application");
const QString TMeasurementSoftware::WINDOW_CLASS = QStringLiteral("WilcoxAssociatesIncPC-DMISWndClass");

namespace
{
const CLSID APPLICATION_CLASS = {0x6c1a2b30, 0x4e5f, 0x4a61, {0x8b, 0x72, 0x3c, 0x4d, 0x5e, 0x6f, 0x70, 0x81}};
const GUID LIBRARY_ID = {0x6c1a2b31, 0x4e5f, 0x4a61, {0x8b, 0x72, 0x3c, 0x4d, 0x5e, 0x6f, 0x70, 0x81}};
const IID APPLICATION_EVENTS = {0x6c1a2b32, 0x4e5f, 0x4a61, {0x8b, 0x72, 0x3c, 0x4d, 0x5e, 0x6f, 0x70, 0x81}};
const IID MACHINE_EVENTS = {0x6c1a2b33, 0x4e5f, 0x4a61, {0x8b, 0x72, 0x3c, 0x4d, 0x5e, 0x6f, 0x70, 0x81}};

// Event numbers of the two dispinterfaces, as the type libraries list them.
enum TApplicationEvent
{
    ON_OPEN_PART_PROGRAM = 1,
    ON_CLOSE_PART_PROGRAM,
    ON_START_EXECUTION,
    ON_END_EXECUTION,
    ON_SAVE_PART_PROGRAM,
    ON_CONNECTED_TO_MACHINE,
    ON_UPDATE_STATUS_MESSAGE
};
enum TMachineEvent
{
    LEARN_HIT = 1,
    EXECUTE_HIT,
    ERROR_MSG,
    COMMAND,
    READOUT_UPDATE
};

VARIANT Object_Variant(IDispatch *object)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_DISPATCH;
    variant.pdispVal = object;
    return variant;
}

VARIANT Number_Variant(LONG value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}

VARIANT Real_Variant(double value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_R8;
    variant.dblVal = value;
    return variant;
}

VARIANT Text_Variant(const QString &text)
{
    VARIANT variant;
    TDispatchObject::Text_Result(&variant, text);
    return variant;
}

void Clear_All(std::vector<VARIANT> *variants)
{
    for (VARIANT &variant : *variants)
        VariantClear(&variant);
}

// A hit somewhere on a part: the values do not matter to anybody, only that they come.
std::vector<VARIANT> Hit_Arguments(int count)
{
    return {Number_Variant(2), Real_Variant(10.0 + count), Real_Variant(20.5), Real_Variant(-3.25),
            Real_Variant(0.0), Real_Variant(0.0), Real_Variant(1.0)};
}
} // namespace

TMeasurementSoftware::TMeasurementSoftware(QObject *parent)
    : QObject(parent), d_running(false), d_com_joined(false), d_alive(std::make_shared<bool>(false)), d_window(nullptr), d_running_object(0),
      d_application(nullptr), d_application_events(nullptr), d_application_source(nullptr), d_next_program(1),
      d_active_program(-1), d_hit_count(0)
{
    Write_Type_Libraries();
}

TMeasurementSoftware::~TMeasurementSoftware() { Quit(); }

void TMeasurementSoftware::Write_Type_Libraries() const
{
    TTypeLibraryWriter main;
    main.Set_Library(QStringLiteral("PCDLRN"), LIBRARY_ID);
    main.Add_Dispinterface(QStringLiteral("IApplicationEvents"), APPLICATION_EVENTS);
    main.Add_Dispinterface(QStringLiteral("IMachineEvents"), MACHINE_EVENTS);
    main.Save(d_folder.filePath(QStringLiteral("pcdlrn.tlb")));

    const QString program = QStringLiteral("PartProg");
    TTypeLibraryWriter application;
    application.Set_Library(QStringLiteral("PCDLRNAppEvents"), LIBRARY_ID);
    application.Add_Dispinterface(QStringLiteral("IApplicationEvents"), APPLICATION_EVENTS);
    application.Add_Function(ON_OPEN_PART_PROGRAM, QStringLiteral("OnOpenPartProgram"), {program});
    application.Add_Function(ON_CLOSE_PART_PROGRAM, QStringLiteral("OnClosePartProgram"), {program});
    application.Add_Function(ON_START_EXECUTION, QStringLiteral("OnStartExecution"), {program});
    application.Add_Function(ON_END_EXECUTION, QStringLiteral("OnEndExecution"),
                             {program, QStringLiteral("TerminationType")});
    application.Add_Function(ON_SAVE_PART_PROGRAM, QStringLiteral("OnSavePartProgram"), {program});
    application.Add_Function(ON_CONNECTED_TO_MACHINE, QStringLiteral("OnConnectedToMachine"),
                             {QStringLiteral("Machine")});
    application.Add_Function(ON_UPDATE_STATUS_MESSAGE, QStringLiteral("OnUpdateStatusMessage"),
                             {QStringLiteral("StatusMessage")});
    application.Save(d_folder.filePath(QStringLiteral("appevents.tlb")));

    const QStringList hit{QStringLiteral("HitType"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z"),
                          QStringLiteral("I"),       QStringLiteral("J"), QStringLiteral("K")};
    TTypeLibraryWriter machine;
    machine.Set_Library(QStringLiteral("PCDLRNMachEvents"), LIBRARY_ID);
    machine.Add_Dispinterface(QStringLiteral("IMachineEvents"), MACHINE_EVENTS);
    machine.Add_Function(LEARN_HIT, QStringLiteral("LearnHit"), hit);
    machine.Add_Function(EXECUTE_HIT, QStringLiteral("ExecuteHit"), hit);
    machine.Add_Function(ERROR_MSG, QStringLiteral("ErrorMsg"), {QStringLiteral("ErrorMsg"), QStringLiteral("ErrorType")});
    machine.Add_Function(COMMAND, QStringLiteral("Command"), {QStringLiteral("Command")});
    machine.Add_Function(READOUT_UPDATE, QStringLiteral("ReadoutUpdate"),
                         {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")});
    machine.Save(d_folder.filePath(QStringLiteral("machevents.tlb")));
}

void TMeasurementSoftware::Start()
{
    if (d_running)
        return;
    d_running = true;
    // An apartment already of the other model serves as well (RPC_E_CHANGED_MODE); it is not ours to leave.
    d_com_joined = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    d_alive = std::make_shared<bool>(true);
    const std::shared_ptr<bool> alive = d_alive;

    d_application_events = new TDispatchObject;
    d_application_source = d_application_events->Add_Event_Source(APPLICATION_EVENTS);

    d_application = new TDispatchObject;
    const QString path = QDir::toNativeSeparators(d_folder.path()) + QDir::separator();
    d_application->Add_Property(QStringLiteral("Path"), [alive, path](VARIANT *result) {
        return *alive ? TDispatchObject::Text_Result(result, path) : RPC_E_DISCONNECTED;
    });
    d_application->Add_Property(QStringLiteral("ApplicationEvents"), [this, alive](VARIANT *result) {
        return *alive ? TDispatchObject::Object_Result(result, d_application_events) : RPC_E_DISCONNECTED;
    });
    d_application->Add_Property(QStringLiteral("ActivePartProgram"), [this, alive](VARIANT *result) {
        if (!*alive)
            return RPC_E_DISCONNECTED;
        TProgram *program = Program(d_active_program);
        return TDispatchObject::Object_Result(result, program ? program->object : nullptr);
    });
    d_application->Add_Property(QStringLiteral("Name"), [alive](VARIANT *result) {
        return *alive ? TDispatchObject::Text_Result(result, QStringLiteral("PC-DMIS Simulator")) : RPC_E_DISCONNECTED;
    });

    d_factory = std::make_unique<TClassFactory>(PROG_ID, APPLICATION_CLASS, [this, alive]() -> IDispatch * {
        if (!*alive)
            return nullptr;
        d_application->AddRef();
        return d_application;
    });
    Register_Running_Object();
    d_window = TSoftwareWindow::Create(WINDOW_CLASS, QStringLiteral("PC-DMIS"), true);
    emit Changed();
}

void TMeasurementSoftware::Quit()
{
    if (!d_running)
        return;
    d_running = false;
    *d_alive = false;
    DestroyWindow(d_window);
    d_window = nullptr;
    Revoke_Running_Object();
    d_factory.reset();

    // Clients may still hold objects: they stay allocated, but answer no more and raise no events.
    d_application_source->Disconnect_All();
    for (auto &entry : d_machines)
    {
        entry.second.events->Disconnect_All();
        entry.second.object->Release();
    }
    d_machines.clear();
    for (auto &entry : d_programs)
        entry.second.object->Release();
    d_programs.clear();
    d_active_program = -1;
    d_application->Release();
    d_application_events->Release();
    d_application = nullptr;
    d_application_events = nullptr;
    d_application_source = nullptr;
    if (d_com_joined)
        CoUninitialize();
    d_com_joined = false;
    emit Changed();
}

// The application is also found in the running object table, under the item
// moniker "!PCDLRN.Application", as clients that attach by display name expect.
void TMeasurementSoftware::Register_Running_Object()
{
    IRunningObjectTable *table = nullptr;
    if (FAILED(GetRunningObjectTable(0, &table)))
        return;
    IMoniker *moniker = nullptr;
    if (SUCCEEDED(CreateItemMoniker(TWideText::Of(QStringLiteral("!")), TWideText::Of(PROG_ID), &moniker)))
    {
        if (FAILED(table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, static_cast<IDispatch *>(d_application), moniker, &d_running_object)))
            d_running_object = 0;
        moniker->Release();
    }
    table->Release();
}

void TMeasurementSoftware::Revoke_Running_Object()
{
    IRunningObjectTable *table = nullptr;
    if (d_running_object == 0 || FAILED(GetRunningObjectTable(0, &table)))
        return;
    table->Revoke(d_running_object);
    d_running_object = 0;
    table->Release();
}

TMeasurementSoftware::TMachine &TMeasurementSoftware::Machine(const QString &name)
{
    auto found = d_machines.find(name);
    if (found != d_machines.end())
        return found->second;
    const std::shared_ptr<bool> alive = d_alive;
    TDispatchObject *object = new TDispatchObject;
    object->Add_Property(QStringLiteral("Name"), [alive, name](VARIANT *result) {
        return *alive ? TDispatchObject::Text_Result(result, name) : RPC_E_DISCONNECTED;
    });
    TEventSource *events = object->Add_Event_Source(MACHINE_EVENTS);
    return d_machines.emplace(name, TMachine{object, events}).first->second;
}

TMeasurementSoftware::TProgram *TMeasurementSoftware::Program(int program)
{
    auto found = d_programs.find(program);
    return found == d_programs.end() ? nullptr : &found->second;
}

int TMeasurementSoftware::Open_Program(const QString &machine, const QString &revision, const QString &name)
{
    if (!d_running)
        return -1;
    const std::shared_ptr<bool> alive = d_alive;
    TDispatchObject *machine_object = Machine(machine).object;
    TDispatchObject *object = new TDispatchObject;
    object->Add_Property(QStringLiteral("PartName"), [alive, name](VARIANT *result) {
        return *alive ? TDispatchObject::Text_Result(result, name) : RPC_E_DISCONNECTED;
    });
    object->Add_Property(QStringLiteral("RevisionNumber"), [alive, revision](VARIANT *result) {
        return *alive ? TDispatchObject::Text_Result(result, revision) : RPC_E_DISCONNECTED;
    });
    object->Add_Property(QStringLiteral("ActiveMachine"), [alive, machine_object](VARIANT *result) {
        return *alive ? TDispatchObject::Object_Result(result, machine_object) : RPC_E_DISCONNECTED;
    });

    const int handle = d_next_program++;
    d_programs.emplace(handle, TProgram{object, name, revision, machine});
    d_active_program = handle;
    Fire_Application(ON_OPEN_PART_PROGRAM, object);
    emit Changed();
    return handle;
}

void TMeasurementSoftware::Fire_Application(DISPID dispid, TDispatchObject *program, bool with_status)
{
    std::vector<VARIANT> arguments{Object_Variant(program)};
    if (with_status)
        arguments.push_back(Number_Variant(0));
    // The object is lent for the call: the sinks take their own references if they keep it.
    program->AddRef();
    d_application_source->Fire(dispid, arguments);
    program->Release();
}

void TMeasurementSoftware::Fire_Machine(int handle, DISPID dispid, const std::vector<VARIANT> &arguments)
{
    TProgram *program = Program(handle);
    Machine(program->machine_name).events->Fire(dispid, arguments);
}

bool TMeasurementSoftware::Start_Execution(int program)
{
    TProgram *found = Program(program);
    if (!found)
        return false;
    d_active_program = program;
    Fire_Application(ON_START_EXECUTION, found->object);
    return true;
}

bool TMeasurementSoftware::End_Execution(int program)
{
    TProgram *found = Program(program);
    if (!found)
        return false;
    Fire_Application(ON_END_EXECUTION, found->object, true);
    return true;
}

bool TMeasurementSoftware::Hit(int program)
{
    if (!Program(program))
        return false;
    std::vector<VARIANT> readout{Real_Variant(1.0), Real_Variant(2.0), Real_Variant(3.0)};
    Fire_Machine(program, READOUT_UPDATE, readout);
    Fire_Machine(program, EXECUTE_HIT, Hit_Arguments(++d_hit_count));
    return true;
}

bool TMeasurementSoftware::Learn_Hit(int program)
{
    if (!Program(program))
        return false;
    Fire_Machine(program, LEARN_HIT, Hit_Arguments(0));
    return true;
}

bool TMeasurementSoftware::Error_Message(int program, const QString &text)
{
    if (!Program(program))
        return false;
    std::vector<VARIANT> arguments{Text_Variant(text), Number_Variant(1)};
    Fire_Machine(program, ERROR_MSG, arguments);
    Clear_All(&arguments);
    return true;
}

bool TMeasurementSoftware::Close_Program(int program)
{
    TProgram *found = Program(program);
    if (!found)
        return false;
    TDispatchObject *object = found->object;
    Fire_Application(ON_SAVE_PART_PROGRAM, object);
    Fire_Application(ON_CLOSE_PART_PROGRAM, object);
    d_programs.erase(program);
    object->Release();
    if (d_active_program == program)
        d_active_program = d_programs.empty() ? -1 : d_programs.rbegin()->first;
    emit Changed();
    return true;
}

int TMeasurementSoftware::Find_Program(const QString &name) const
{
    for (auto entry = d_programs.rbegin(); entry != d_programs.rend(); ++entry)
        if (entry->second.name == name)
            return entry->first;
    return -1;
}

QList<int> TMeasurementSoftware::Open_Programs() const
{
    QList<int> handles;
    for (const auto &entry : d_programs)
        handles.append(entry.first);
    return handles;
}

QString TMeasurementSoftware::Program_Text(int program) const
{
    auto found = d_programs.find(program);
    if (found == d_programs.end())
        return QString();
    return QStringLiteral("%1 (rev. %2) on %3")
        .arg(found->second.name.isEmpty() ? QStringLiteral("<no name>") : found->second.name,
             found->second.revision, found->second.machine_name);
}
