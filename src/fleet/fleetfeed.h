#ifndef QUORVEX_FLEETFEED_H
#define QUORVEX_FLEETFEED_H

#include "src/alerts/alertjudge.h"
#include "src/centraldb/centralsettings.h"
#include "src/fleet/fleetsnapshot.h"

#include <QObject>
#include <QStringList>

#include <memory>

class TFleetReader;
class THandover;
class TWorkerThread;

// The fleet as read from the central database, for whoever shows it: reads on
// the reader's own thread, one at a time (one more after it when asked
// meanwhile), so that the GUI thread never waits for the network. Lives on the
// GUI thread; its owner ends the reader's thread by deleting it.
class TFleetFeed : public QObject
{
    Q_OBJECT

public:
    TFleetFeed(const TCentralSettings &settings, const TAlertSettings &alerts, QObject *parent = nullptr);
    ~TFleetFeed() override;

    // The stations of GROUP (all when empty) and the ids among them to take
    // the statistics of (all when empty), over each one's last DAYS days.
    void Read(const QStringList &chosen, const QString &group, int days);
    // Lets go of a snapshot shown before on the reader's thread: a read of
    // years holds tens of thousands of rows, whose freeing would hold the
    // GUI thread.
    void Release(std::shared_ptr<const TFleetSnapshot> snapshot);

signals:
    void Ready(std::shared_ptr<const TFleetSnapshot> snapshot);
    void Failed(const QString &reason);
    // A silent alert's start or end this feed's reader stored first.
    void Alert(const TAlertEvent &event, const QString &station_name);

private:
    void Done();

    TFleetReader *d_reader;
    TWorkerThread *d_thread;
    THandover *d_handover;
    bool d_busy;
    bool d_again;
    QStringList d_chosen;
    QString d_group;
    int d_days;
};

#endif
