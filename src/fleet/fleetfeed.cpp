#include "src/fleet/fleetfeed.h"

#include "src/fleet/fleetreader.h"

#include <QThread>

TFleetFeed::TFleetFeed(const TCentralSettings &settings, const TAlertSettings &alerts, QObject *parent)
    : QObject(parent), d_thread(new QThread(this)), d_reader(new TFleetReader(settings, alerts)),
      d_busy(false), d_again(false)
{
    d_thread->setObjectName(QStringLiteral("Fleet reader"));
    d_reader->moveToThread(d_thread);
    connect(this, &TFleetFeed::Read_Requested, d_reader, &TFleetReader::Read);
    // Deleted on its own thread as that ends, where its connection was made and used.
    connect(d_thread, &QThread::finished, d_reader, &QObject::deleteLater);
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
    d_thread->start();
}

TFleetFeed::~TFleetFeed()
{
    QMetaObject::invokeMethod(d_reader, &TFleetReader::Stop, Qt::BlockingQueuedConnection);
    d_thread->quit();
    d_thread->wait();
}

void TFleetFeed::Read(const QStringList &chosen, const QDate &first, const QDate &last)
{
    d_chosen = chosen;
    d_first = first;
    d_last = last;
    if (d_busy)
    {
        d_again = true;
        return;
    }
    d_busy = true;
    emit Read_Requested(chosen, first, last);
}

void TFleetFeed::Done()
{
    d_busy = false;
    if (!d_again)
        return;
    d_again = false;
    Read(d_chosen, d_first, d_last);
}
