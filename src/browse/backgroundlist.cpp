#include "src/browse/backgroundlist.h"

#include "src/common/backgroundjob.h"

TBackgroundList::TBackgroundList(QObject *parent) : QObject(parent), d_job(new TBackgroundJob(this)) {}

void TBackgroundList::Start(TJob job)
{
    d_job->Start(
        [this, job](const TBackgroundJob::TPost &) -> TBackgroundJob::TDelivery
        {
            const QStringList list = job();
            return [this, list]() { emit Finished(list); };
        });
}

bool TBackgroundList::Is_Busy() const
{
    return d_job->Is_Busy();
}

void TBackgroundList::Drop()
{
    d_job->Drop();
}

void TBackgroundList::Stop()
{
    d_job->Stop();
}
