#include "src/fleet/fleetfeed.h"

#include "src/centraldb/connectionsocket.h"
#include "src/common/workerthread.h"
#include "src/fleet/fleetreader.h"

TFleetFeed::TFleetFeed(const TCentralSettings &settings, const TAlertSettings &alerts, QObject *parent)
    : QObject(parent), d_reader(new TFleetReader(settings, alerts)),
      d_thread(new TWorkerThread(d_reader, QStringLiteral("Fleet reader"), this)), d_busy(false),
      d_again(false), d_days(1)
{
    connect(this, &TFleetFeed::Read_Requested, d_reader, &TFleetReader::Read);
    connect(d_reader, &TFleetReader::Ready, this,
            [this](std::shared_ptr<const TFleetSnapshot> snapshot)
            {
                emit Ready(snapshot);
                Done();
            });
    connect(d_reader, &TFleetReader::Failed, this,
            [this](const QString &reason)
            {
                emit Failed(reason);
                Done();
            });
    connect(d_reader, &TFleetReader::Alert, this, &TFleetFeed::Alert);
}

TFleetFeed::~TFleetFeed()
{
    TFleetReader *reader = d_reader;
    // A reader caught on a silent network is left behind, its socket shut so that it ends at once.
    const std::shared_ptr<TConnectionSocket> socket = reader->Socket();
    if (!d_thread->Stop([reader]() { reader->Stop(); }, TCentralSettings::CLOSE_LIMIT_MSEC))
        socket->Shut();
}

void TFleetFeed::Read(const QStringList &chosen, const QString &group, int days)
{
    d_chosen = chosen;
    d_group = group;
    d_days = days;
    if (d_busy)
    {
        d_again = true;
        return;
    }
    d_busy = true;
    emit Read_Requested(chosen, group, days);
}

void TFleetFeed::Release(std::shared_ptr<const TFleetSnapshot> snapshot)
{
    if (!snapshot)
        return;
    // Let go of by the call as it runs on the reader's thread. A call holding the snapshot
    // itself is destroyed by whichever thread drops it last, at times this one.
    auto *kept = new std::shared_ptr<const TFleetSnapshot>(std::move(snapshot));
    QMetaObject::invokeMethod(
        d_reader, [kept]() { delete kept; }, Qt::QueuedConnection);
}

void TFleetFeed::Done()
{
    d_busy = false;
    if (!d_again)
        return;
    d_again = false;
    Read(d_chosen, d_group, d_days);
}
