#include "src/central/central.h"

#include "src/alerts/alertjudge.h"
#include "src/central/forwarder.h"
#include "src/centraldb/connectionsocket.h"
#include "src/common/clock.h"
#include "src/common/workerthread.h"
#include "src/database/localoutbox.h"
#include "src/recorder/recorder.h"
#include "src/shifts/shiftcalendar.h"

#include <QTimer>

namespace
{
const int WATCH_MSEC = 1000;
const int ANSWER_LIMIT_MSEC = 20000;
} // namespace

TCentral::TCentral(QSettings *settings, const QString &local_file, const TRecorder *recorder,
                   const TClock *clock, QObject *parent)
    : QObject(parent), d_recorder(recorder), d_clock(clock), d_thread(nullptr), d_forwarder(nullptr),
      d_watch(nullptr), d_answer_limit_msec(ANSWER_LIMIT_MSEC), d_forwarder_unreachable(false),
      d_stalled(false), d_said_unreachable(false), d_local_file(local_file), d_waiting(0)
{
    d_settings.Read(settings);
    if (!d_settings.Is_Set())
        return;

    d_forwarder = new TCentralForwarder(d_settings, local_file);
    connect(d_forwarder, &TCentralForwarder::Unreachable, this,
            [this](const QString &reason)
            {
                d_forwarder_unreachable = true;
                Say_Unreachable(reason);
            });
    connect(d_forwarder, &TCentralForwarder::Reachable, this,
            [this]()
            {
                d_forwarder_unreachable = false;
                Say_Reachable();
            });
    connect(d_forwarder, &TCentralForwarder::Problem, this,
            [this](const QString &reason)
            { emit Message(QStringLiteral("WAR:  Central database unreachable: ") + reason); });
    connect(d_forwarder, &TCentralForwarder::Row_Refused, this,
            [this](const QString &text) { emit Message(QStringLiteral("WAR:  ") + text); });
    connect(d_forwarder, &TCentralForwarder::Cycle_Done, this, &TCentral::Cycle_Done);
    connect(d_forwarder, &TCentralForwarder::Unencrypted, this,
            [this]()
            {
                emit Message(
                    QStringLiteral("WAR:  The connection to the central database is not encrypted (%1); "
                                   "SSL_Root_Cert names the certificate that makes it so.")
                        .arg(d_settings.Describe()));
            });
    connect(d_forwarder, &TCentralForwarder::Refused, this,
            [this](const QString &reason) { emit Message(QStringLiteral("ERR:  ") + reason); });
    connect(d_forwarder, &TCentralForwarder::Waiting, this, &TCentral::Show_Waiting);
    connect(recorder, &TRecorder::Activity_Changed, this, &TCentral::Send_State);
    // Started once all it says is connected: its first words may come at once.
    d_thread = new TWorkerThread(d_forwarder, QStringLiteral("Central forwarding"), this);
    TCentralForwarder *forwarder = d_forwarder;
    d_thread->Post([forwarder]() { forwarder->Start(); });
    d_watch = new QTimer(this);
    connect(d_watch, &QTimer::timeout, this, &TCentral::Watch);
    d_watch->start(WATCH_MSEC);
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
    d_watch->stop();
    d_forwarder->Request_Stop();
    TCentralForwarder *forwarder = d_forwarder;
    // A forwarder caught in a request on a vanished network is left to end by
    // itself, its socket shut so that it does at once: what it has not sent
    // stays in the station's file for the next start.
    const std::shared_ptr<TConnectionSocket> socket = forwarder->Socket();
    if (!d_thread->Stop([forwarder]() { forwarder->Stop(); }, TCentralSettings::CLOSE_LIMIT_MSEC))
        socket->Shut();
    d_forwarder = nullptr;
    delete d_thread;
    d_thread = nullptr;
}

void TCentral::Set_Shift_Calendar(const TShiftCalendar &calendar)
{
    if (d_forwarder)
        d_forwarder->Set_Shift_Calendar(calendar.Line());
}

void TCentral::Wake(bool execution)
{
    if (!d_forwarder)
        return;
    TCentralForwarder *forwarder = d_forwarder;
    d_thread->Post([forwarder]() { forwarder->Wake(); });
    if (!execution)
        return;
    // The forwarder cannot count while it waits on the network: counted here then.
    if (d_said_unreachable)
        Show_Count();
}

void TCentral::Watch()
{
    const qint64 since = d_forwarder ? d_forwarder->Busy_Since() : 0;
    if (since == 0 || d_stalled || QDateTime::currentMSecsSinceEpoch() - since < d_answer_limit_msec)
        return;
    d_stalled = true;
    Say_Unreachable(d_settings.Describe() +
                    QStringLiteral(": no answer for %1 s").arg(d_answer_limit_msec / 1000));
    Show_Count();
}

void TCentral::Cycle_Done()
{
    if (!d_stalled)
        return;
    d_stalled = false;
    Say_Reachable();
    Show_Count();
}

void TCentral::Say_Unreachable(const QString &reason)
{
    if (d_said_unreachable)
        return;
    d_said_unreachable = true;
    emit Message(QStringLiteral("WAR:  Central database unreachable: ") + reason);
}

void TCentral::Say_Reachable()
{
    if (!d_said_unreachable || d_forwarder_unreachable || d_stalled)
        return;
    d_said_unreachable = false;
    emit Message(QStringLiteral("INF:  Central database reachable again; forwarding goes on."));
}

void TCentral::Record_Alert(const TAlertEvent &event)
{
    if (!d_forwarder)
        return;
    TStoredAlert alert;
    alert.key = event.Key();
    alert.kind = event.kind;
    alert.detail = event.detail;
    alert.started = event.started;
    alert.ended = event.ended;
    TCentralForwarder *forwarder = d_forwarder;
    d_thread->Post([forwarder, alert]() { forwarder->Record_Alert(alert); });
}

void TCentral::Send_State()
{
    const TStationActivity state = d_recorder->Activity();
    QString program;
    if ((state == TStationActivity::EXECUTING || state == TStationActivity::IDLE) &&
        d_recorder->Program_Open())
        program = d_recorder->Item().Name();
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
    d_waiting = count;
    Show_Count();
}

void TCentral::Show_Count()
{
    int count = d_waiting;
    if (d_said_unreachable)
    {
        // From the station's own file, on a connection of this thread's: a local read.
        TLocalOutbox outbox(d_settings.Describe());
        const qint64 progress = outbox.Open(d_local_file) ? outbox.Progress(TLocalOutbox::EXECUTIONS) : -1;
        const int counted = progress < 0 ? -1 : outbox.Count_After(progress);
        if (counted >= 0)
            count = counted;
    }
    emit Waiting_Changed(count == 0   ? QString()
                         : count == 1 ? QStringLiteral("Central: 1 execution waiting")
                                      : QStringLiteral("Central: %1 executions waiting").arg(count));
}
