#include "src/quorvex.h"

#include "src/activeprogramwidget.h"
#include "src/database/database.h"
#include "src/datawidget.h"
#include "src/monitorprocess.h"

#include <QDir>
#include <QTabWidget>
#include <QTimer>

// Monitoring: the connection to the measurement software, its events, and
// the execution records made from them.

namespace
{
const QString PROG_ID = QStringLiteral("PCDLRN.Application");
const QString WINDOW_CLASS = QStringLiteral("WilcoxAssociatesIncPC-DMISWndClass");
const QString OFFLINE_WARNING = QStringLiteral("WAR:  Ignoring offline part program.");
const char *const ICON_NOT_CONNECTED = ":/toolbar/not_connected_x32.png";
const char *const ICON_CONNECTING = ":/toolbar/connecting_x32.png";
const char *const ICON_CONNECTED = ":/toolbar/connected_x32.png";
const char *const ICON_ERROR = ":/toolbar/err_connect_x32.png";
enum TMonitorState
{
    MONITOR_OFF = 0,
    MONITOR_WAITING = 1,
    MONITOR_CONNECTED = 2
};

bool Online(const QString &machine_name) { return machine_name.startsWith(QLatin1String("CMM"), Qt::CaseInsensitive); }

// Whole seconds of an elapsed period; the remainder below a second is dropped.
int Whole_Seconds(qint64 msec) { return int(msec / 1000); }

// An event argument's object is only lent for the call: a wrapper takes a reference of its own.
IDispatch *Borrowed(int argument_count, TAutomation::TArg *const arguments)
{
    IDispatch *object = argument_count >= 1 ? arguments[0].DispatchPointer() : nullptr;
    if (object)
        object->AddRef();
    return object;
}

// Drops an automation object of the window: no more signals, no more references.
void Discard(TAutomation **object)
{
    if (!*object)
        return;
    QObject::disconnect(*object, nullptr, nullptr, nullptr);
    (*object)->ReleaseObject();
    (*object)->deleteLater();
    *object = nullptr;
}
} // namespace

void TQuorvex::Toggle_Monitor()
{
    if (d_monitor_state != MONITOR_OFF)
    {
        const bool connected = d_monitor_state == MONITOR_CONNECTED;
        d_monitor_state = MONITOR_OFF;
        Set_Monitor_Icon(ICON_NOT_CONNECTED);
        End_Part_Program();
        d_update_timer->stop();
        Disconnect_Application();
        // The time attached counts however the connection ends.
        if (connected)
            Count_Run_Time();
        // Monitoring ends now, not when the watcher has ended: a window closed
        // at once would never see the watcher's finished signal.
        Count_Monitor_Time();
        d_monitor_timer.invalidate();
        d_monitor_process->d_stop_requested.store(true, std::memory_order_relaxed);
        Show_Status(QStringLiteral("INF:  Disconnected."));
        return;
    }

    Set_Monitor_Icon(ICON_CONNECTING);
    d_monitor_state = MONITOR_WAITING;
    Show_Status(QStringLiteral("INF:  Connecting..."));
    // A run that is still ending would take the new start for itself and then
    // end on the old stop request: let it end first (within about a second).
    // What it reported meanwhile is still queued and no longer true.
    if (d_monitor_process->isRunning())
    {
        d_monitor_process->wait();
        d_stale_reports = true;
    }
    d_monitor_process->d_window_class = WINDOW_CLASS;
    d_monitor_process->d_stop_requested.store(false, std::memory_order_relaxed);
    d_monitor_process->start(QThread::NormalPriority);
}

void TQuorvex::Monitor_Started()
{
    Show_Status(QStringLiteral("INF:  Monitor Started"));
    d_monitor_timer.start();
}

void TQuorvex::Monitor_Finished()
{
    Count_Monitor_Time();
    d_monitor_timer.invalidate();
    // The end of a run that a quick switch-on has already replaced: after it,
    // every report comes from the new run.
    if (d_stale_reports)
    {
        d_stale_reports = false;
        return;
    }
    Show_Status(QStringLiteral("INF:  Monitor Stopped"));
    d_program_open = false;
    d_executing = false;
    d_active_program->Set_Collection_Active(false);
}

void TQuorvex::Suspend_Resume(bool visible)
{
    // A report queued before monitoring was switched off, or by a run since replaced, comes too late.
    if (d_monitor_state == MONITOR_OFF || d_stale_reports)
        return;
    if (visible && d_monitor_state == MONITOR_WAITING)
    {
        if (Connect_Application())
        {
            Set_Monitor_Icon(ICON_CONNECTED);
            d_monitor_state = MONITOR_CONNECTED;
            Show_Status(QStringLiteral("INF:  Connected"));
            d_connection_timer.start();
            d_update_timer->start(1000);
        }
        else
        {
            Set_Monitor_Icon(ICON_ERROR);
            d_monitor_state = MONITOR_WAITING;
            Show_Status(QStringLiteral("INF:  Connection Error"));
        }
        return;
    }
    // Only a stale report can say "visible" while attached: nothing has changed.
    if (visible && d_monitor_state == MONITOR_CONNECTED)
        return;
    if (d_monitor_state == MONITOR_CONNECTED)
    {
        // The software took its programs with it: the one collected ends here,
        // and the time until the software returns belongs to no program.
        if (d_program_open)
            d_active_program->Add_Message(QStringLiteral("WAR:  PC-DMIS gone; the open part program is stored."));
        End_Part_Program();
        d_update_timer->stop();
        Disconnect_Application();
        Count_Run_Time();
    }
    Count_Monitor_Time();
    Set_Monitor_Icon(ICON_CONNECTING);
    d_monitor_state = MONITOR_WAITING;
    Show_Status(QStringLiteral("INF:  Waiting for PC-DMIS software..."));
}

void TQuorvex::Count_Monitor_Time()
{
    if (!d_monitor_timer.isValid())
        return;
    const int seconds = Whole_Seconds(d_monitor_timer.restart());
    if (seconds > 0)
        Add_Usage(TDatabase::MONITOR_TIME, seconds);
}

void TQuorvex::Count_Run_Time()
{
    if (!d_connection_timer.isValid())
        return;
    const int seconds = Whole_Seconds(d_connection_timer.restart());
    d_connection_timer.invalidate();
    if (seconds > 0)
        Add_Usage(TDatabase::RUN_TIME, seconds);
}

bool TQuorvex::Connect_Application()
{
    TAutomation::Init_COM();
    if (!d_application.CreateObject(PROG_ID))
    {
        Show_Status(d_application.Last_Error());
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
        Show_Status(QStringLiteral("ERR:  PC-DMIS IApplicationEvent information not available."));
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
        return false;
    }
    d_application_events->Init_Events(d_pcdmis_folder + QStringLiteral("/pcdlrn.tlb"),
                                       QStringLiteral("IApplicationEvents"));
    d_application_events->Init_Event_Signals(d_pcdmis_folder + QStringLiteral("/appevents.tlb"));
    if (!d_application_events->Connect_Events())
    {
        Show_Status(QStringLiteral("ERR:  PC-DMIS events cannot be enabled."));
        delete d_application_events;
        d_application_events = nullptr;
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
        return false;
    }
    connect(d_application_events, &TAutomation::Sink_Signal, this, &TQuorvex::Application_Event);
    for (const char *event : {"OnStartExecution", "OnEndExecution", "OnOpenPartProgram", "OnClosePartProgram"})
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

bool TQuorvex::Init_Machine_Events(TAutomation *part_program)
{
    Release_Machine();
    if (!part_program || !part_program->Has_Interface())
        return false;
    d_machine = part_program->GetSubObject(QStringLiteral("ActiveMachine"));
    if (!d_machine)
    {
        Show_Status(QStringLiteral("ERR:  Cannot connect to PC-DMIS active machine..."));
        return false;
    }
    if (!d_machine->Init_Events(d_pcdmis_folder + QStringLiteral("/pcdlrn.tlb"), QStringLiteral("IMachineEvents")))
        Show_Status(QStringLiteral("ERR:  Init_Events failed"));
    if (!d_machine->Init_Event_Signals(d_pcdmis_folder + QStringLiteral("/machevents.tlb")))
        Show_Status(QStringLiteral("ERR:  Init_Event_Signals failed"));
    if (!d_machine->Connect_Events())
    {
        Show_Status(QStringLiteral("ERR:  Cannot connect to PC-DMIS machine events..."));
        delete d_machine;
        d_machine = nullptr;
        return false;
    }
    connect(d_machine, &TAutomation::Sink_Signal, this, &TQuorvex::Machine_Event);
    for (const char *event : {"LearnHit", "ExecuteHit", "ErrorMsg"})
        d_machine->Add_Event_Signal(QLatin1String(event));
    return true;
}

void TQuorvex::Release_Machine() { Discard(&d_machine); }

void TQuorvex::Disconnect_Application()
{
    Release_Machine();
    Discard(&d_application_events);
    if (d_application.Has_Interface())
    {
        d_application.ReleaseObject();
        TAutomation::Uninit_COM();
    }
}

void TQuorvex::Update_Timeout()
{
    Count_Open_Time();
}

void TQuorvex::Count_Open_Time()
{
    if (!d_program_open)
        return;
    d_active_program->Add_Open_Time(int(d_open_tick_timer.restart()));
    if (d_executing)
        d_active_program->Add_Execution_Time(int(d_execution_tick_timer.restart()));
}

void TQuorvex::Application_Event(QString event_name, int argument_count, TAutomation::TArg *const arguments)
{
    if (event_name == QLatin1String("OnOpenPartProgram"))
    {
        TAutomation part_program(Borrowed(argument_count, arguments), nullptr);
        if (part_program.Has_Interface())
        {
            Open_Part_Program(&part_program);
            part_program.ReleaseObject();
        }
    }
    else if (event_name == QLatin1String("OnStartExecution"))
    {
        d_active_program->Add_Message(QStringLiteral("INF:  Application Event: OnStartExecution"));
        d_execution_tick_timer.start();
        d_executing = true;
    }
    else if (event_name == QLatin1String("OnEndExecution"))
    {
        d_active_program->Add_Message(QStringLiteral("INF:  Application Event: OnEndExecution"));
        // Only an execution seen to start has a running tick to add.
        if (d_executing && d_execution_tick_timer.isValid())
            d_active_program->Add_Execution_Time(int(d_execution_tick_timer.restart()));
        d_executing = false;
    }
    else if (event_name == QLatin1String("OnClosePartProgram"))
    {
        TAutomation part_program(Borrowed(argument_count, arguments), nullptr);
        if (part_program.Has_Interface())
        {
            Close_Part_Program(&part_program);
            part_program.ReleaseObject();
        }
    }
}

void TQuorvex::Machine_Event(QString event_name, int, TAutomation::TArg *const arguments)
{
    d_active_program->Add_Message(QStringLiteral("INF:  Machine Event:     %1").arg(event_name));
    if (event_name == QLatin1String("LearnHit") || event_name == QLatin1String("ExecuteHit"))
    {
        d_current_item.Set_Point_Count(d_current_item.Point_Count() + 1);
        d_active_program->Set_Point_Count(d_current_item.Point_Count());
    }
    else if (event_name == QLatin1String("ErrorMsg"))
    {
        const QString text = arguments[0].ToString().simplified();
        d_active_program->Set_Last_Error_Message(text);
        d_current_item.Add_Error_Message(text);
    }
}

// The program collected is stored with its clocks brought up to this moment.
void TQuorvex::End_Part_Program()
{
    Count_Open_Time();
    d_program_open = false;
    d_executing = false;
    Write_Database_Entry();
    d_active_program->Set_Collection_Active(false);
}

void TQuorvex::Begin_Part_Program()
{
    // A program still being collected is stored before a new one takes its place.
    if (d_program_open)
        End_Part_Program();
    d_current_item.Clear();
    d_executing = false;
}

bool TQuorvex::Open_Part_Program(TAutomation *part_program)
{
    if (!part_program || !part_program->Has_Interface())
    {
        d_active_program->Add_Message(OFFLINE_WARNING);
        return false;
    }
    const QString name = part_program->GetProperty(QStringLiteral("PartName")).ToString();
    const QString revision = part_program->GetProperty(QStringLiteral("RevisionNumber")).ToString();
    // A property value carries its own reference, which the wrapper takes over.
    TAutomation machine(part_program->GetProperty(QStringLiteral("ActiveMachine")).DispatchPointer(), nullptr);
    if (!machine.Has_Interface())
    {
        d_active_program->Add_Message(OFFLINE_WARNING);
        return false;
    }
    const QString machine_name = machine.GetProperty(QStringLiteral("Name")).ToString();
    machine.ReleaseObject();
    // An offline program leaves the online one being collected as it is.
    if (!Online(machine_name))
    {
        d_active_program->Add_Message(OFFLINE_WARNING);
        return false;
    }

    Begin_Part_Program();
    Init_Machine_Events(part_program);
    d_active_program->Reset();
    d_active_program->Add_Message(QStringLiteral("INF:  Open part program - Online"));
    d_program_open = true;
    d_open_tick_timer.start();
    if (name.isEmpty())
        return false;

    d_active_program->Add_Message(QStringLiteral("INF:  Creating new database entry"));
    d_current_item.Set_Name(name);
    d_current_item.Set_Revision(revision);
    d_current_item.Set_Date_Time(QDateTime::currentDateTime());
    d_active_program->Set_Collection_Active(true);
    d_active_program->Set_Program_Name(name);
    d_active_program->Set_Program_Revision(revision);
    d_active_program->Set_Execution_Date(d_current_item.Date_Text());
    d_tab_widget->setCurrentWidget(d_active_program);
    return true;
}

bool TQuorvex::Close_Part_Program(TAutomation *part_program)
{
    QString machine_name;
    bool machine_read = false;
    if (part_program->Has_Interface())
    {
        TAutomation machine(part_program->GetProperty(QStringLiteral("ActiveMachine")).DispatchPointer(), nullptr);
        if (machine.Has_Interface())
        {
            machine_name = machine.GetProperty(QStringLiteral("Name")).ToString();
            machine_read = true;
            machine.ReleaseObject();
        }
    }
    if (!machine_read || !Online(machine_name))
    {
        d_active_program->Add_Message(OFFLINE_WARNING);
        return false;
    }
    d_active_program->Add_Message(QStringLiteral("INF:  Close part program - Online"));
    Release_Machine();
    End_Part_Program();
    return true;
}
