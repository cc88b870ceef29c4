#include "src/monitor/softwarelink.h"

#include "src/recorder/recorder.h"

#include <QDir>

namespace
{
const QString PROG_ID = QStringLiteral("PCDLRN.Application");

bool Online(const QString &machine_name)
{
    return machine_name.startsWith(QLatin1String("CMM"), Qt::CaseInsensitive);
}

// An event argument's object is only lent for the call: a wrapper takes a reference of its own.
IDispatch *Borrowed(int argument_count, TAutomation::TArg *const arguments)
{
    IDispatch *object = argument_count >= 1 ? arguments[0].DispatchPointer() : nullptr;
    if (object)
        object->AddRef();
    return object;
}

// Drops an automation object: no more signals, no more references.
void Discard(TAutomation **object)
{
    if (!*object)
        return;
    QObject::disconnect(*object, nullptr, nullptr, nullptr);
    (*object)->ReleaseObject();
    (*object)->deleteLater();
    *object = nullptr;
}

// The name of the machine a part program runs on; false when it has none.
bool Machine_Name(TAutomation *part_program, QString *name)
{
    if (!part_program->Has_Interface())
        return false;
    // A property value carries its own reference, which the wrapper takes over.
    TAutomation machine(part_program->GetProperty(QStringLiteral("ActiveMachine")).DispatchPointer(),
                        nullptr);
    if (!machine.Has_Interface())
        return false;
    *name = machine.GetProperty(QStringLiteral("Name")).ToString();
    machine.ReleaseObject();
    return true;
}
} // namespace

TSoftwareLink::TSoftwareLink(TRecorder *recorder, QObject *parent)
    : QObject(parent), d_application(nullptr), d_application_events(nullptr), d_machine(nullptr)
{
    connect(this, &TSoftwareLink::Program_Opened, recorder, &TRecorder::Program_Opened);
    connect(this, &TSoftwareLink::Program_Closed, recorder, &TRecorder::Program_Closed);
    connect(this, &TSoftwareLink::Execution_Started, recorder, &TRecorder::Execution_Started);
    connect(this, &TSoftwareLink::Execution_Ended, recorder, &TRecorder::Execution_Ended);
    connect(this, &TSoftwareLink::Machine_Event, recorder, &TRecorder::Machine_Event);
}

TSoftwareLink::~TSoftwareLink()
{
    Disconnect();
}

bool TSoftwareLink::Connect()
{
    TAutomation::Init_COM();
    if (!d_application.CreateObject(PROG_ID))
    {
        emit Status(d_application.Last_Error());
        TAutomation::Uninit_COM();
        return false;
    }

    QString folder = QDir::fromNativeSeparators(d_application.GetProperty(QStringLiteral("Path")).ToString());
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    d_pcdmis_folder = folder;

    d_application_events = d_application.GetSubObject(QStringLiteral("ApplicationEvents"));
    if (!d_application_events)
    {
        emit Status(QStringLiteral("ERR:  PC-DMIS IApplicationEvent information not available."));
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
        return false;
    }
    d_application_events->Init_Events(d_pcdmis_folder + QStringLiteral("/pcdlrn.tlb"),
                                      QStringLiteral("IApplicationEvents"));
    d_application_events->Init_Event_Signals(d_pcdmis_folder + QStringLiteral("/appevents.tlb"));
    if (!d_application_events->Connect_Events())
    {
        emit Status(QStringLiteral("ERR:  PC-DMIS events cannot be enabled."));
        delete d_application_events;
        d_application_events = nullptr;
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
        return false;
    }
    connect(d_application_events, &TAutomation::Sink_Signal, this, &TSoftwareLink::Application_Event);
    for (const char *event :
         {"OnStartExecution", "OnEndExecution", "OnOpenPartProgram", "OnClosePartProgram"})
        d_application_events->Add_Event_Signal(QLatin1String(event));

    TAutomation *part_program = d_application.GetSubObject(QStringLiteral("ActivePartProgram"));
    if (part_program && part_program->Has_Interface())
    {
        Open_Part_Program(part_program);
        part_program->ReleaseObject();
    }
    delete part_program;
    return true;
}

void TSoftwareLink::Disconnect()
{
    Release_Machine();
    Discard(&d_application_events);
    if (d_application.Has_Interface())
    {
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
    }
}

bool TSoftwareLink::Init_Machine_Events(TAutomation *part_program)
{
    Release_Machine();
    if (!part_program || !part_program->Has_Interface())
        return false;
    d_machine = part_program->GetSubObject(QStringLiteral("ActiveMachine"));
    if (!d_machine)
    {
        emit Status(QStringLiteral("ERR:  Cannot connect to PC-DMIS active machine..."));
        return false;
    }
    if (!d_machine->Init_Events(d_pcdmis_folder + QStringLiteral("/pcdlrn.tlb"),
                                QStringLiteral("IMachineEvents")))
        emit Status(QStringLiteral("ERR:  Init_Events failed"));
    if (!d_machine->Init_Event_Signals(d_pcdmis_folder + QStringLiteral("/machevents.tlb")))
        emit Status(QStringLiteral("ERR:  Init_Event_Signals failed"));
    if (!d_machine->Connect_Events())
    {
        emit Status(QStringLiteral("ERR:  Cannot connect to PC-DMIS machine events..."));
        delete d_machine;
        d_machine = nullptr;
        return false;
    }
    connect(d_machine, &TAutomation::Sink_Signal, this, &TSoftwareLink::Machine_Signal);
    for (const char *event : {"LearnHit", "ExecuteHit", "ErrorMsg"})
        d_machine->Add_Event_Signal(QLatin1String(event));
    return true;
}

void TSoftwareLink::Release_Machine()
{
    Discard(&d_machine);
}

void TSoftwareLink::Application_Event(QString event_name, int argument_count,
                                      TAutomation::TArg *const arguments)
{
    const bool open = event_name == QLatin1String("OnOpenPartProgram");
    if (open || event_name == QLatin1String("OnClosePartProgram"))
    {
        TAutomation part_program(Borrowed(argument_count, arguments), nullptr);
        if (!part_program.Has_Interface())
            return;
        if (open)
            Open_Part_Program(&part_program);
        else
            Close_Part_Program(&part_program);
        part_program.ReleaseObject();
    }
    else if (event_name == QLatin1String("OnStartExecution"))
        emit Execution_Started();
    else if (event_name == QLatin1String("OnEndExecution"))
        emit Execution_Ended();
}

void TSoftwareLink::Machine_Signal(QString event_name, int argument_count, TAutomation::TArg *const arguments)
{
    const bool error = event_name == QLatin1String("ErrorMsg") && argument_count >= 1;
    emit Machine_Event(event_name, error ? arguments[0].ToString() : QString());
}

void TSoftwareLink::Open_Part_Program(TAutomation *part_program)
{
    QString machine_name;
    if (!Machine_Name(part_program, &machine_name) || !Online(machine_name))
    {
        emit Program_Opened(QString(), QString(), false);
        return;
    }
    const QString name = part_program->GetProperty(QStringLiteral("PartName")).ToString();
    const QString revision = part_program->GetProperty(QStringLiteral("RevisionNumber")).ToString();
    // Its machine's events are the ones to follow from now on.
    Init_Machine_Events(part_program);
    emit Program_Opened(name, revision, true);
}

void TSoftwareLink::Close_Part_Program(TAutomation *part_program)
{
    QString machine_name;
    const bool online = Machine_Name(part_program, &machine_name) && Online(machine_name);
    if (online)
        Release_Machine();
    emit Program_Closed(online);
}
