#include "src/common/backgroundjob.h"
#include "src/common/leftthreads.h"

#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

// The one way work runs in the background: where each part runs, which jobs
// hand back what, and the rule for ending, on jobs held by semaphores.
class TTestBackgroundJob : public QObject
{
    Q_OBJECT

private slots:
    void Work_Runs_Apart_And_Results_Arrive_At_Home();
    void Latest_Wins_And_The_Overtaken_Hands_Back_Nothing();
    void Stop_Waits_Or_Leaves_A_Hung_Job_Behind();
};

void TTestBackgroundJob::Work_Runs_Apart_And_Results_Arrive_At_Home()
{
    TBackgroundJob job;
    std::atomic<QThread *> work_thread{nullptr};
    QStringList arrived;
    QList<QThread *> arrived_on;
    const auto arrive = [&](const QString &what)
    {
        return [&, what]()
        {
            arrived << what;
            arrived_on << QThread::currentThread();
        };
    };
    job.Start(
        [&](const TBackgroundJob::TPost &post)
        {
            work_thread = QThread::currentThread();
            post(arrive(QStringLiteral("report")));
            post(nullptr);
            return TBackgroundJob::TDelivery(arrive(QStringLiteral("statistics")));
        });
    QVERIFY(job.Is_Busy());
    QTRY_VERIFY(!job.Is_Busy());
    QCOMPARE(arrived, (QStringList{QStringLiteral("report"), QStringLiteral("statistics")}));
    QVERIFY(work_thread.load() && work_thread.load() != QThread::currentThread());
    QCOMPARE(arrived_on, (QList<QThread *>{QThread::currentThread(), QThread::currentThread()}));

    // A job that hands back nothing ends all the same, and the next one runs.
    job.Start([](const TBackgroundJob::TPost &) { return TBackgroundJob::TDelivery(); });
    QTRY_VERIFY(!job.Is_Busy());
    job.Start([](const TBackgroundJob::TPost &) { return TBackgroundJob::TDelivery(); });
    QVERIFY(job.Is_Busy());
    QVERIFY(job.Stop());
}

// While one job runs, a second and a third are asked for: the third replaces
// the second, which never runs, and the first's results are dropped. Drop
// keeps the running job's results from arriving too.
void TTestBackgroundJob::Latest_Wins_And_The_Overtaken_Hands_Back_Nothing()
{
    TBackgroundJob job;
    QSemaphore release;
    QStringList ran;
    QStringList arrived;
    std::atomic<int> running{0};
    const auto make = [&](const QString &name, bool hold)
    {
        return [&, name, hold](const TBackgroundJob::TPost &post)
        {
            ++running;
            if (hold)
                release.acquire();
            post([&, name]() { arrived << name + QStringLiteral(" early"); });
            return TBackgroundJob::TDelivery([&, name]() { ran << name; });
        };
    };
    job.Start(make(QStringLiteral("first"), true));
    job.Start(make(QStringLiteral("second"), false));
    job.Start(make(QStringLiteral("third"), false));
    QTRY_COMPARE(running.load(), 1);
    release.release();
    QTRY_COMPARE(ran, QStringList{QStringLiteral("third")});
    QCOMPARE(arrived, QStringList{QStringLiteral("third early")});
    QCOMPARE(running.load(), 2);
    QTRY_VERIFY(!job.Is_Busy());

    job.Start(make(QStringLiteral("dropped"), true));
    QTRY_COMPARE(running.load(), 3);
    job.Drop();
    release.release();
    QTRY_VERIFY(!job.Is_Busy());
    QCOMPARE(ran, QStringList{QStringLiteral("third")});
    QCOMPARE(arrived, QStringList{QStringLiteral("third early")});
}

// Stop without a limit waits for the job; with one, a job that does not end
// in time is left to end on its own, counted until it does, and nothing of it
// arrives, not even after its owner is gone.
void TTestBackgroundJob::Stop_Waits_Or_Leaves_A_Hung_Job_Behind()
{
    auto release = std::make_shared<QSemaphore>();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    bool arrived = false;
    {
        TBackgroundJob job;
        job.Start(
            [release, ended, &arrived](const TBackgroundJob::TPost &)
            {
                release->acquire();
                *ended = true;
                return TBackgroundJob::TDelivery([&arrived]() { arrived = true; });
            });
        const int left_before = TLeftThreads::Running();
        QVERIFY(!job.Stop(50));
        QVERIFY(!job.Is_Busy());
        QCOMPARE(TLeftThreads::Running(), left_before + 1);
        QVERIFY(!*ended);
        release->release();
        QTRY_COMPARE(TLeftThreads::Running(), left_before);
        QVERIFY(*ended);
    }
    QCoreApplication::processEvents();
    QVERIFY(!arrived);

    TBackgroundJob job;
    std::atomic<bool> finished{false};
    job.Start(
        [release, &finished](const TBackgroundJob::TPost &)
        {
            release->acquire();
            finished = true;
            return TBackgroundJob::TDelivery();
        });
    release->release();
    QVERIFY(job.Stop());
    QVERIFY(finished);
}

QTEST_GUILESS_MAIN(TTestBackgroundJob)
#include "tst_backgroundjob.moc"
