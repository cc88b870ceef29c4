#include "src/central/forwarder.h"

#include "src/central/centralwriter.h"
#include "src/centraldb/centralschema.h"
#include "src/centraldb/connectionsocket.h"
#include "src/database/localoutbox.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <QVariant>

namespace
{
const int IDLE_MSEC = 5000;
const int FIRST_RETRY_MSEC = 1000;
const int LONGEST_RETRY_MSEC = 30000;
} // namespace

TCentralForwarder::TCentralForwarder(const TCentralSettings &settings, const QString &local_file)
    : d_settings(settings), d_local_file(local_file),
      d_connection_name(QStringLiteral("central-") + QUuid::createUuid().toString()),
      d_socket(std::make_shared<TConnectionSocket>()), d_timer(nullptr), d_connected(false), d_broken(false),
      d_unreachable(false), d_refused(false), d_retry_msec(FIRST_RETRY_MSEC), d_idle_msec(IDLE_MSEC),
      d_longest_retry_msec(LONGEST_RETRY_MSEC), d_stop(false), d_busy_since(0), d_said_unencrypted(false)
{
}

TCentralForwarder::~TCentralForwarder() = default;

void TCentralForwarder::Set_State(const TStationState &state)
{
    std::lock_guard<std::mutex> lock(d_mutex);
    d_state = state;
}

void TCentralForwarder::Set_Shift_Calendar(const QString &line)
{
    std::lock_guard<std::mutex> lock(d_mutex);
    d_calendar = line;
}

void TCentralForwarder::Set_Intervals(int idle_msec, int longest_retry_msec)
{
    d_idle_msec = idle_msec;
    d_longest_retry_msec = longest_retry_msec;
}

void TCentralForwarder::Start()
{
    d_timer = new QTimer(this);
    d_timer->setSingleShot(true);
    connect(d_timer, &QTimer::timeout, this, &TCentralForwarder::Cycle);
    d_outbox.reset(new TLocalOutbox(d_settings.Describe()));
    Schedule(0);
}

void TCentralForwarder::Stop()
{
    d_stop.store(true);
    delete d_timer;
    d_timer = nullptr;
    Disconnect();
    d_outbox.reset();
}

void TCentralForwarder::Wake()
{
    if (d_timer && !d_refused && (d_connected || !d_unreachable))
        Schedule(0);
}

void TCentralForwarder::Record_Alert(const TStoredAlert &alert)
{
    if (!d_outbox)
        return;
    // Alerts come between cycles, while the file is closed: opened for the note alone.
    const bool noted = d_outbox->Open(d_local_file) && d_outbox->Record_Alert(alert);
    const QString error = d_outbox->Last_Error();
    d_outbox->Close();
    if (!noted)
        emit Problem(QStringLiteral("the alert could not be noted in the station's file: ") + error);
    Wake();
}

void TCentralForwarder::Schedule(int msec)
{
    if (d_timer && !d_stop.load())
        d_timer->start(msec);
}

void TCentralForwarder::Cycle()
{
    if (d_stop.load())
        return;
    d_busy_since = QDateTime::currentMSecsSinceEpoch();
    Run_Cycle();
    d_busy_since = 0;
    emit Cycle_Done();
}

void TCentralForwarder::Run_Cycle()
{
    // The file is opened here, not at the start: a file still being made by the window is then ready.
    if (!d_outbox->Open(d_local_file))
    {
        Fail(QStringLiteral("the station's own file cannot be read: ") + d_outbox->Last_Error());
        return;
    }
    if (Connect() && Forward_All())
    {
        if (d_unreachable)
        {
            d_unreachable = false;
            emit Reachable();
        }
        d_retry_msec = FIRST_RETRY_MSEC;
        Schedule(d_idle_msec);
    }
    if (d_broken)
        Disconnect();
    d_broken = false;
    const qint64 progress = d_outbox->Progress(TLocalOutbox::EXECUTIONS);
    if (progress >= 0)
        Count_Waiting(progress);
    d_outbox->Close();
}

// Said after every cycle and batch, changed or not: the window adds what was stored since.
void TCentralForwarder::Count_Waiting(qint64 progress)
{
    const int waiting = d_outbox->Count_After(progress);
    if (waiting >= 0)
        emit Waiting(waiting);
}

bool TCentralForwarder::Connect()
{
    if (d_connected)
        return true;
    QString error;
    if (!d_settings.Open_Connection(d_connection_name, &error))
    {
        Fail(error);
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(d_connection_name, false);
        d_socket->Note(db);
        int version = 0;
        const TCentralSchema::TResult result = TCentralSchema::Prepare(db, &version, &error);
        if (result == TCentralSchema::NEWER)
        {
            d_socket->Forget();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(d_connection_name);
            if (!d_refused)
                emit Refused(error);
            d_refused = true;
            // An update of the program is needed; a look now and then costs nothing.
            Schedule(d_longest_retry_msec);
            return false;
        }
        d_refused = false;
        d_connected = true;
        if (result == TCentralSchema::FAILED)
        {
            Fail(QStringLiteral("the central tables cannot be made: ") + error);
            return false;
        }
        Check_Encryption(db);
    }
    return true;
}

// Said once a run: the password and every row cross the network readable.
void TCentralForwarder::Check_Encryption(QSqlDatabase db)
{
    if (d_said_unencrypted)
        return;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid=pg_backend_pid()")) &&
        query.next() && !query.value(0).toBool())
    {
        d_said_unencrypted = true;
        emit Unencrypted();
    }
}

void TCentralForwarder::Disconnect()
{
    if (!QSqlDatabase::contains(d_connection_name))
        return;
    d_socket->Forget();
    QSqlDatabase::database(d_connection_name, false).close();
    QSqlDatabase::removeDatabase(d_connection_name);
    d_connected = false;
}

void TCentralForwarder::Fail(const QString &reason)
{
    // Dropped at the end of the cycle, when no query or writer holds it any more.
    d_broken = true;
    if (!d_unreachable)
    {
        d_unreachable = true;
        emit Unreachable(reason);
    }
    Schedule(qMin(d_retry_msec, d_longest_retry_msec.load()));
    d_retry_msec = qMin(d_retry_msec * 2, d_longest_retry_msec.load());
}

template <typename TRow, typename TRead, typename TWrite>
bool TCentralForwarder::Forward(int kind, TRead read, TWrite write)
{
    const TLocalOutbox::TKind which = TLocalOutbox::TKind(kind);
    qint64 progress = d_outbox->Progress(which);
    if (progress < 0)
    {
        Fail(QStringLiteral("the station's own file cannot be read: ") + d_outbox->Last_Error());
        return false;
    }
    // Counted once and then taken down batch by batch: a count after each batch
    // reads all that remains, which a catch-up of a million rows would feel.
    int waiting = which == TLocalOutbox::EXECUTIONS ? d_outbox->Count_After(progress) : -1;
    std::vector<TRow> rows;
    while (!d_stop.load())
    {
        if (!(d_outbox.get()->*read)(progress, BATCH_ROWS, &rows))
        {
            Fail(QStringLiteral("the station's own file cannot be read: ") + d_outbox->Last_Error());
            return false;
        }
        if (rows.empty())
            return true;
        if (!Write_Batch<TRow>(rows, write))
            return false;
        // Were this lost (the station killed just now), the batch is sent again and doubles nothing.
        progress = rows.back().local_id;
        d_outbox->Set_Progress(which, progress);
        // Counted again at zero: rows stored since the count are not left unsaid.
        waiting -= int(rows.size());
        if (waiting <= 0 && which == TLocalOutbox::EXECUTIONS)
            waiting = d_outbox->Count_After(progress);
        if (waiting >= 0)
            emit Waiting(waiting);
        // Answered: a long catch-up that goes on is not a link gone silent.
        d_busy_since = QDateTime::currentMSecsSinceEpoch();
    }
    return false;
}

// A batch the server refuses for one row's data goes row by row, and a row
// refused on its own is left out, saying so: one bad row never holds up
// the rows behind it on every cycle.
template <typename TRow, typename TWrite>
bool TCentralForwarder::Write_Batch(const std::vector<TRow> &rows, TWrite write)
{
    TCentralWriter writer(QSqlDatabase::database(d_connection_name, false), d_settings.Station_Id());
    const auto failed = [&]()
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + writer.Last_Error());
        return false;
    };
    if ((writer.*write)(rows))
        return true;
    if (!writer.Refused_Data())
        return failed();
    for (const TRow &row : rows)
    {
        if ((writer.*write)(std::vector<TRow>{row}))
            continue;
        if (!writer.Refused_Data())
            return failed();
        emit Row_Refused(
            QStringLiteral("The central database refused a row (local key %1); it is left out: %2")
                .arg(row.local_id)
                .arg(writer.Last_Error()));
    }
    return true;
}

bool TCentralForwarder::Forward_All()
{
    TStationState state;
    QString calendar;
    {
        std::lock_guard<std::mutex> lock(d_mutex);
        state = d_state;
        calendar = d_calendar;
    }
    TCentralWriter writer(QSqlDatabase::database(d_connection_name, false), d_settings.Station_Id());
    if (!writer.Heartbeat({d_settings.Station_Name(), d_settings.Group(), calendar}, state))
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + writer.Last_Error());
        return false;
    }
    return Forward<TStoredExecution>(TLocalOutbox::EXECUTIONS, &TLocalOutbox::Executions_After,
                                     &TCentralWriter::Insert_Executions) &&
           Forward<TStoredUsage>(TLocalOutbox::USAGE, &TLocalOutbox::Usage_After,
                                 &TCentralWriter::Insert_Usage) &&
           Forward<TStoredAlert>(TLocalOutbox::ALERTS, &TLocalOutbox::Alerts_After,
                                 &TCentralWriter::Upsert_Alerts) &&
           Forward<TStoredStop>(TLocalOutbox::STOPS, &TLocalOutbox::Stops_After,
                                &TCentralWriter::Upsert_Stops);
}
