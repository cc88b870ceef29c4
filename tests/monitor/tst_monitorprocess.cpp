#include "sim/softwarewindow.h"
#include "src/monitor/monitorprocess.h"

#include <windows.h>

#include <QtTest>

namespace
{
const QString WINDOW_CLASS = QStringLiteral("QuorvexWatchedWindow");

// Reports land in the test's thread through a queued connection, as they do in the window.
class TReports : public QObject
{
public:
    explicit TReports(TMonitorProcess *watcher)
    {
        connect(watcher, &TMonitorProcess::Class_Visible, this,
                [this](bool visible) { d_reports.append(visible); });
        connect(watcher, &TMonitorProcess::Finished, this, [this]() { ++d_finished; });
    }
    int count() const { return d_reports.size(); }
    bool Take() { return d_reports.takeFirst(); }
    int Finished() const { return d_finished; }

private:
    QList<bool> d_reports;
    int d_finished = 0;
};

HWND Create_Window(bool visible)
{
    return TSoftwareWindow::Create(WINDOW_CLASS, QStringLiteral("Watched"), visible);
}
} // namespace

// The watcher reports the window's visibility changes from its own thread.
class TTestMonitorProcess : public QObject
{
    Q_OBJECT

private slots:
    void Reports_Changes_Only();
    void Nothing_Without_A_Class();
    void Restart_While_Ending();
};

void TTestMonitorProcess::Reports_Changes_Only()
{
    TMonitorProcess watcher(WINDOW_CLASS);
    TReports reports(&watcher);
    watcher.Start();
    QTRY_COMPARE(reports.count(), 1);
    QCOMPARE(reports.Take(), false);

    // Appearing is reported after the next poll and a second's delay.
    HWND window = Create_Window(true);
    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 1, 5000);
    QCOMPARE(reports.Take(), true);

    DestroyWindow(window);
    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 1, 3000);
    QCOMPARE(reports.Take(), false);
    watcher.Stop();
    QTRY_COMPARE(reports.Finished(), 1);
    QTRY_VERIFY(!watcher.Is_Running());
    QCOMPARE(reports.count(), 0);
}

// A stop asked at once, even before the run has begun, ends the run.
void TTestMonitorProcess::Nothing_Without_A_Class()
{
    HWND window = Create_Window(true);
    TMonitorProcess watcher{QString()};
    TReports reports(&watcher);
    watcher.Start();
    watcher.Stop();
    QTRY_COMPARE(reports.Finished(), 1);
    QCOMPARE(reports.count(), 0);
    DestroyWindow(window);
}

// A run started while the last one is still ending follows it, on its own stop
// flag: the old run's end never arrives, and the new run reports afresh.
void TTestMonitorProcess::Restart_While_Ending()
{
    TMonitorProcess watcher(WINDOW_CLASS);
    TReports reports(&watcher);
    int started = 0;
    connect(&watcher, &TMonitorProcess::Started, this, [&started]() { ++started; });
    watcher.Start();
    QTRY_COMPARE(reports.count(), 1);
    reports.Take();
    watcher.Stop();
    watcher.Start();
    QTRY_COMPARE(reports.count(), 1);
    QCOMPARE(reports.Take(), false);
    QCOMPARE(started, 2);
    QCOMPARE(reports.Finished(), 0);
    QVERIFY(watcher.Is_Running());

    watcher.Stop();
    QTRY_COMPARE(reports.Finished(), 1);
    QCOMPARE(reports.count(), 0);
}

QTEST_GUILESS_MAIN(TTestMonitorProcess)
#include "tst_monitorprocess.moc"
