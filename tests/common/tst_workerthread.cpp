#include "src/common/handover.h"
#include "src/common/leftthreads.h"
#include "src/common/workerthread.h"

#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace
{
// Says on which thread it was deleted.
class TWorker : public QObject
{
public:
    explicit TWorker(std::shared_ptr<std::atomic<QThread *>> deleted_on) : d_deleted_on(std::move(deleted_on))
    {
    }
    ~TWorker() override { *d_deleted_on = QThread::currentThread(); }

private:
    std::shared_ptr<std::atomic<QThread *>> d_deleted_on;
};
} // namespace

// A worker that lives as long as its owner on a thread of its own: where it
// runs and ends, what Stop runs before the end, and a worker that hangs; the
// hand-over that carries calls between threads.
class TTestWorkerThread : public QObject
{
    Q_OBJECT

private slots:
    void Worker_Lives_And_Ends_On_Its_Own_Thread();
    void Hung_Worker_Is_Left_To_End_By_Itself();
    void Handover_Keeps_Order_And_Drops_After_It_Is_Gone();
};

void TTestWorkerThread::Worker_Lives_And_Ends_On_Its_Own_Thread()
{
    auto deleted_on = std::make_shared<std::atomic<QThread *>>(nullptr);
    TWorker *worker = new TWorker(deleted_on);
    TWorkerThread thread(worker, QStringLiteral("worker"));
    QThread *worker_thread = worker->thread();
    QVERIFY(worker_thread != QThread::currentThread());
    QCOMPARE(worker_thread->objectName(), QStringLiteral("worker"));
    // Asked before Stop: done before the finishing call, which runs on the worker's thread.
    std::atomic<int> step{0};
    std::atomic<int> asked_at{0};
    std::atomic<int> finished_at{0};
    std::atomic<QThread *> finished_on{nullptr};
    thread.Post([&]() { asked_at = ++step; });
    QVERIFY(thread.Stop(
        [&]()
        {
            finished_at = ++step;
            finished_on = QThread::currentThread();
        }));
    QCOMPARE(asked_at.load(), 1);
    QCOMPARE(finished_at.load(), 2);
    QCOMPARE(finished_on.load(), worker_thread);
    QCOMPARE(deleted_on->load(), worker_thread);
    // Stopped once: again is nothing.
    QVERIFY(thread.Stop());
}

void TTestWorkerThread::Hung_Worker_Is_Left_To_End_By_Itself()
{
    auto deleted_on = std::make_shared<std::atomic<QThread *>>(nullptr);
    auto release = std::make_shared<QSemaphore>();
    TWorker *worker = new TWorker(deleted_on);
    const int left_before = TLeftThreads::Running();
    {
        TWorkerThread thread(worker, QStringLiteral("hung"));
        thread.Post([release]() { release->acquire(); });
        QVERIFY(!thread.Stop({}, 50));
        QCOMPARE(TLeftThreads::Running(), left_before + 1);
    }
    // Its owner gone, the worker is still there until its thread ends.
    QCOMPARE(deleted_on->load(), static_cast<QThread *>(nullptr));
    release->release();
    QTRY_COMPARE(TLeftThreads::Running(), left_before);
    QTRY_VERIFY(deleted_on->load() != nullptr);
    QVERIFY(deleted_on->load() != QThread::currentThread());
}

// Posted from another thread, the calls run on the hand-over's own thread in
// their order; once it is gone, what a thread left behind still posts is
// dropped, never run on an object that no longer exists.
void TTestWorkerThread::Handover_Keeps_Order_And_Drops_After_It_Is_Gone()
{
    auto *handover = new THandover;
    const THandover::TPost post = handover->Poster();
    std::vector<int> seen;
    std::thread poster(
        [&]()
        {
            for (int i = 0; i < 500; ++i)
                post([&seen, i]() { seen.push_back(i); });
        });
    poster.join();
    QTRY_COMPARE(int(seen.size()), 500);
    for (int i = 0; i < 500; ++i)
        QCOMPARE(seen[size_t(i)], i);
    delete handover;
    bool ran = false;
    std::thread late([&]() { post([&ran]() { ran = true; }); });
    late.join();
    QCoreApplication::processEvents();
    QVERIFY(!ran);
}

QTEST_GUILESS_MAIN(TTestWorkerThread)
#include "tst_workerthread.moc"
