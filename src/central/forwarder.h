#ifndef QUORVEX_FORWARDER_H
#define QUORVEX_FORWARDER_H

#include "src/central/outgoing.h"
#include "src/centraldb/centralsettings.h"
#include "src/database/storedrows.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class QTimer;
class TConnectionSocket;
class TLocalOutbox;

// Sends what the station stored to the central database, from its own file,
// in the order it was stored, and notes in that file how far it got. Lives on
// a thread of its own (made and ended by TCentral), so recording never waits
// for the network: the GUI thread only posts Wake() and sets the state. A
// central fault (network, server, password, a newer schema) stops nothing but
// forwarding, which goes on where it stopped when the fault is gone.
class TCentralForwarder : public QObject
{
    Q_OBJECT

public:
    // Rows read and sent in one transaction, with one note of progress: a
    // catch-up of a million rows pays a commit on both sides per batch.
    static const int BATCH_ROWS = 2000;

    TCentralForwarder(const TCentralSettings &settings, const QString &local_file);
    ~TCentralForwarder() override;

    // From any thread.
    void Set_State(const TStationState &state);
    void Set_Shift_Calendar(const QString &line);
    void Request_Stop() { d_stop.store(true); }
    // Milliseconds between cycles when all is sent, and the longest wait after
    // a fault (from any thread; from the next wait on).
    void Set_Intervals(int idle_msec, int longest_retry_msec);
    // When the cycle under way began or last had an answer from the server
    // (milliseconds since the epoch), 0 when none is under way (from any
    // thread): a request left without an answer shows here.
    qint64 Busy_Since() const { return d_busy_since.load(); }
    // The connection's socket, for the owner to shut when it leaves the thread behind.
    std::shared_ptr<TConnectionSocket> Socket() const { return d_socket; }

public slots:
    // On the forwarding thread.
    void Start();
    void Stop();
    // Something new was stored: a cycle now rather than at the next timer.
    void Wake();
    void Record_Alert(const TStoredAlert &alert);

signals:
    // Said on a change only: once when the central database cannot be
    // reached (or written), once when it can again.
    void Unreachable(const QString &reason);
    void Reachable();
    // The central tables are newer than this program: nothing is written.
    void Refused(const QString &reason);
    // The connection is made without encryption (once a run).
    void Unencrypted();
    // Something the station could not do on its own side (note an alert).
    void Problem(const QString &reason);
    // The server refused one row's data: it is left out and forwarding goes on.
    void Row_Refused(const QString &text);
    // Executions stored locally and not yet central, after each cycle and batch.
    void Waiting(int count);
    // After every cycle, whatever it did (for whoever waits for one).
    void Cycle_Done();

private:
    void Cycle();
    void Run_Cycle();
    void Count_Waiting(qint64 progress);
    bool Connect();
    void Disconnect();
    void Check_Encryption(QSqlDatabase db);
    void Fail(const QString &reason);
    bool Forward_All();
    template <typename TRow, typename TRead, typename TWrite>
    bool Forward(int kind, TRead read, TWrite write);
    template <typename TRow, typename TWrite> bool Write_Batch(const std::vector<TRow> &rows, TWrite write);
    void Schedule(int msec);

    TCentralSettings d_settings;
    QString d_local_file;
    QString d_connection_name;
    std::unique_ptr<TLocalOutbox> d_outbox;
    std::shared_ptr<TConnectionSocket> d_socket;
    QTimer *d_timer;
    bool d_connected;
    bool d_broken;
    bool d_unreachable;
    bool d_refused;
    int d_retry_msec;
    std::atomic<int> d_idle_msec;
    std::atomic<int> d_longest_retry_msec;

    std::atomic<bool> d_stop;
    std::atomic<qint64> d_busy_since;
    bool d_said_unencrypted;
    std::mutex d_mutex;
    TStationState d_state;
    QString d_calendar;
};

#endif
