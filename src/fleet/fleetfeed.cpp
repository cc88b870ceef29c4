#include "src/fleet/fleetfeed.h"

#include "src/centraldb/connectionsocket.h"
#include "src/common/handover.h"
#include "src/common/workerthread.h"
#include "src/fleet/fleetreader.h"

TFleetFeed::TFleetFeed(const TCentralSettings &settings, const TAlertSettings &alerts, QObject *parent)
    : QObject(parent), d_reader(new TFleetReader(settings, alerts)),
      d_thread(new TWorkerThread(d_reader, QStringLiteral("Fleet reader"), this)),
      d_handover(new THandover(this)), d_busy(false), d_again(false), d_days(1)
{
    // What the reader says on its thread is handed over to this one whole.
    const THandover::TPost to_feed = d_handover->Poster();
    connect(
        d_reader, &TFleetReader::Ready, d_reader,
        [this, to_feed](std::shared_ptr<const TFleetSnapshot> snapshot)
        {
            to_feed(
                [this, snapshot]()
                {
                    emit Ready(snapshot);
                    Done();
                });
        },
        Qt::DirectConnection);
    connect(
        d_reader, &TFleetReader::Failed, d_reader,
        [this, to_feed](const QString &reason)
        {
            to_feed(
                [this, reason]()
                {
                    emit Failed(reason);
                    Done();
                });
        },
        Qt::DirectConnection);
    connect(
        d_reader, &TFleetReader::Alert, d_reader,
        [this, to_feed](const TAlertEvent &event, const QString &station_name)
        { to_feed([this, event, station_name]() { emit Alert(event, station_name); }); },
        Qt::DirectConnection);
}

TFleetFeed::~TFleetFeed()
{
    // Nothing the reader still says reaches this feed as it goes.
    delete d_handover;
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
    TFleetReader *reader = d_reader;
    d_thread->Post([reader, chosen, group, days]() { reader->Read(chosen, group, days); });
}

void TFleetFeed::Release(std::shared_ptr<const TFleetSnapshot> snapshot)
{
    if (!snapshot)
        return;
    // Let go of by the call as it runs on the reader's thread. A call holding the snapshot
    // itself is destroyed by whichever thread drops it last, at times this one.
    auto *kept = new std::shared_ptr<const TFleetSnapshot>(std::move(snapshot));
    d_thread->Post([kept]() { delete kept; });
}

void TFleetFeed::Done()
{
    d_busy = false;
    if (!d_again)
        return;
    d_again = false;
    Read(d_chosen, d_group, d_days);
}
