#include "src/central/central.h"

#include "src/alerts/alertjudge.h"
#include "src/central/forwarder.h"
#include "src/common/workerthread.h"
#include "src/recorder/clock.h"
#include "src/recorder/recorder.h"
#include "src/shifts/shiftcalendar.h"

TCentral::TCentral(QSettings *settings, const QString &local_file, const TRecorder *recorder,
                   const TClock *clock, QObject *parent)
    : QObject(parent), d_recorder(recorder), d_clock(clock), d_thread(nullptr), d_forwarder(nullptr)
{
    d_settings.Read(settings);
    if (!d_settings.Is_Set())
        return;
    qRegisterMetaType<TOutgoingAlert>();

    d_forwarder = new TCentralForwarder(d_settings, local_file);
    connect(d_forwarder, &TCentralForwarder::Unreachable, this,
            [this](const QString &reason)
            { emit Message(QStringLiteral("WAR:  Central database unreachable: ") + reason); });
    connect(d_forwarder, &TCentralForwarder::Reachable, this,
            [this]()
            { emit Message(QStringLiteral("INF:  Central database reachable again; forwarding goes on.")); });
    connect(d_forwarder, &TCentralForwarder::Refused, this,
            [this](const QString &reason) { emit Message(QStringLiteral("ERR:  ") + reason); });
    connect(d_forwarder, &TCentralForwarder::Waiting, this, &TCentral::Show_Waiting);
    connect(recorder, &TRecorder::Activity_Changed, this, &TCentral::Send_State);
    // Started once all it says is connected: its first words may come at once.
    d_thread = new TWorkerThread(d_forwarder, QStringLiteral("Central forwarding"), this);
    QMetaObject::invokeMethod(d_forwarder, &TCentralForwarder::Start, Qt::QueuedConnection);
    Send_State();
}

TCentral::~TCentral()
{
    Stop();
}

void TCentral::Stop()
{
    if (!d_thread)
        return;
    d_forwarder->Request_Stop();
    TCentralForwarder *forwarder = d_forwarder;
    d_thread->Stop([forwarder]() { forwarder->Stop(); });
    d_forwarder = nullptr;
    delete d_thread;
    d_thread = nullptr;
}

void TCentral::Set_Shift_Calendar(const TShiftCalendar &calendar)
{
    if (d_forwarder)
        d_forwarder->Set_Shift_Calendar(calendar.Line());
}

void TCentral::Wake()
{
    if (d_forwarder)
        QMetaObject::invokeMethod(d_forwarder, &TCentralForwarder::Wake, Qt::QueuedConnection);
}

void TCentral::Record_Alert(const TAlertEvent &event)
{
    if (!d_forwarder)
        return;
    TOutgoingAlert alert;
    alert.key = event.Key();
    alert.kind = event.kind;
    alert.detail = event.detail;
    alert.started = event.started;
    alert.ended = event.ended;
    QMetaObject::invokeMethod(d_forwarder, "Record_Alert", Qt::QueuedConnection,
                              Q_ARG(TOutgoingAlert, alert));
}

void TCentral::Send_State()
{
    TStationActivity state = TStationActivity::OFF;
    QString program;
    switch (d_recorder->Connection())
    {
    case TRecorder::TConnection::OFF:
        break;
    case TRecorder::TConnection::WAITING:
        state = TStationActivity::WAITING;
        break;
    case TRecorder::TConnection::CONNECTED:
        state = d_recorder->Executing() ? TStationActivity::EXECUTING : TStationActivity::IDLE;
        if (d_recorder->Program_Open())
            program = d_recorder->Item().Name();
        break;
    }
    if (state != d_state || program != d_program || !d_since.isValid())
        d_since = d_clock->Now();
    d_state = state;
    d_program = program;
    TStationState sent;
    sent.state = state;
    sent.program = program;
    sent.since = d_since;
    d_forwarder->Set_State(sent);
    Wake();
}

void TCentral::Show_Waiting(int count)
{
    emit Waiting_Changed(count == 0   ? QString()
                         : count == 1 ? QStringLiteral("Central: 1 execution waiting")
                                      : QStringLiteral("Central: %1 executions waiting").arg(count));
}
