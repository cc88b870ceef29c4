#include "src/report/summaryrunner.h"

#include "src/database/database.h"
#include "src/report/summarytext.h"

#include <QThread>

TSummaryRunner::TSummaryRunner(TDatabase *database, const TShiftCalendar *calendar, QObject *parent)
    : QObject(parent), d_database(database), d_calendar(calendar), d_thread(nullptr), d_worker(nullptr),
      d_pending(false)
{
}

TSummaryRunner::~TSummaryRunner() { Stop(); }

void TSummaryRunner::Start(const QStringList &dates, const QStringList &programs)
{
    d_dates = dates;
    d_programs = programs;
    // The one being made is now stale and is followed by another.
    if (d_worker)
    {
        d_pending = true;
        return;
    }
    d_pending = false;
    d_thread = new QThread;
    const QStringList read_dates = d_dates.isEmpty() ? d_database->Dates() : d_dates;
    d_worker = new TSummaryText(d_database, read_dates, d_programs, d_calendar);
    d_worker->moveToThread(d_thread);
    TSummaryText *worker = d_worker;
    connect(d_thread, &QThread::started, d_worker, &TSummaryText::Generate_Summary_Text);
    connect(d_thread, &QThread::finished, d_thread, &QObject::deleteLater);
    // A report stopped meanwhile may still have its signals queued: only the current worker's count.
    connect(d_worker, &TSummaryText::Report_Ready, this, [this, worker]() {
        if (worker == d_worker)
            Report_Made();
    });
    connect(d_worker, &TSummaryText::Finished, this, [this, worker]() {
        if (worker == d_worker)
            Worker_Finished();
    });
    d_thread->start(QThread::InheritPriority);
}

void TSummaryRunner::Report_Made()
{
    if (d_pending)
        return;
    emit Report_Ready(d_worker->Summary_Valid() ? d_worker->Summary_Lines() : nullptr);
}

void TSummaryRunner::Worker_Finished()
{
    if (!d_pending)
        emit Statistics_Ready(d_worker->Statistics());
    d_worker->deleteLater();
    d_worker = nullptr;
    d_thread->exit(0);
    d_thread = nullptr;
    if (d_pending)
        Start(d_dates, d_programs);
}

void TSummaryRunner::Stop()
{
    if (!d_thread)
        return;
    d_thread->quit();
    d_thread->wait();
    delete d_worker;
    delete d_thread;
    d_worker = nullptr;
    d_thread = nullptr;
    d_pending = false;
}
