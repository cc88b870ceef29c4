#ifndef QUORVEX_FLEETREADER_H
#define QUORVEX_FLEETREADER_H

#include "src/alerts/alertjudge.h"
#include "src/centraldb/centralsettings.h"
#include "src/fleet/fleetsnapshot.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

#include <memory>

class TConnectionSocket;

// Reads the fleet from the central database on a thread of its own (so the
// page never waits for the network) and judges the silence of stations: a
// station without a heartbeat for the set minutes during its shift is shown
// silent and, where the login is the watcher's (may store silences), gets a
// silent alert, stored centrally once whoever judges it first.
class TFleetReader : public QObject
{
    Q_OBJECT

public:
    TFleetReader(const TCentralSettings &settings, const TAlertSettings &alerts);
    ~TFleetReader() override;

    // Reads as if the server's clock said NOW (invalid: as it says); for tests, which
    // read on the thread that calls it.
    void Set_Now(const QDateTime &now);

    // The connection's socket, for the owner to shut when it leaves the thread behind.
    std::shared_ptr<TConnectionSocket> Socket() const { return d_socket; }

public slots:
    // The stations of GROUP (all when empty) and the ids among them to take
    // the statistics of (all when empty), over each one's last DAYS days.
    void Read(const QStringList &chosen, const QString &group, int days);
    void Stop();

signals:
    void Ready(std::shared_ptr<const TFleetSnapshot> snapshot);
    void Failed(const QString &reason);
    // A silent alert's start or end this reader stored first.
    void Alert(const TAlertEvent &event, const QString &station_name);

private:
    void Fail(const QString &reason);
    void Close();
    void Read_Snapshot(const QStringList &chosen, const QString &group, int days);

    TCentralSettings d_settings;
    TAlertSettings d_alerts;
    QString d_connection_name;
    std::shared_ptr<TConnectionSocket> d_socket;
    QDateTime d_now;
    bool d_open;
    bool d_broken;
    // Whether the login may store silences (asked of the server once a connection).
    bool d_watches;
};

Q_DECLARE_METATYPE(std::shared_ptr<const TFleetSnapshot>)

#endif
