#include "src/central/central.h"
#include "src/database/database.h"
#include "src/recorder/recorder.h"
#include "src/station/station.h"
#include "src/stops/stoptracker.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QGuiApplication>
#include <QSettings>
#include <QtTest>

// A station run by itself, as a service or a program without a window runs
// it: no toolkit for widgets exists in this test's process.
class TTestStation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Runs_And_Ends_Without_A_Window();
    void Newer_File_Is_Refused_And_Said();

private:
    void Listen(TStation *station);

    std::unique_ptr<TTestHome> d_home;
    QString d_folder;
    QStringList d_said;
    QStringList d_status;
    int d_changed = 0;
};

void TTestStation::init()
{
    d_home = std::make_unique<TTestHome>();
    d_folder = d_home->File_Path(QStringLiteral("station"));
    d_said.clear();
    d_status.clear();
    d_changed = 0;
}

void TTestStation::cleanup()
{
    d_home.reset();
}

void TTestStation::Listen(TStation *station)
{
    connect(station, &TStation::Message, this, [this](const QString &text) { d_said << text; });
    connect(station, &TStation::Status, this, [this](const QString &text) { d_status << text; });
    connect(station, &TStation::Executions_Changed, this, [this]() { ++d_changed; });
}

// Its settings read by the parts that own them, an execution recorded and
// stored through the journal, its stops kept, and everything on disk once it
// has ended; an end asked twice ends it once.
void TTestStation::Runs_And_Ends_Without_A_Window()
{
    QVERIFY(!qobject_cast<QGuiApplication *>(QCoreApplication::instance()));
    {
        QDir().mkpath(d_folder);
        QSettings settings(d_folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Stops/Threshold_Seconds"), 120);
        settings.setValue(QStringLiteral("Stops/Slow_Share"), 0.5);
        settings.setValue(QStringLiteral("Stops/Short_Share"), 7);
        settings.setValue(QStringLiteral("Stops/Rules/size"), 1);
        settings.setValue(QStringLiteral("Stops/Rules/1/Pattern"), QStringLiteral("(unclosed"));
        settings.setValue(QStringLiteral("Stops/Rules/1/Reason"), QStringLiteral("Probe change"));
    }
    TStation station(d_folder);
    Listen(&station);
    QCOMPARE(station.Stops()->Threshold_Seconds(), 120);
    QCOMPARE(station.Shares().slow, 0.5);
    // Out of range: the default stays.
    QCOMPARE(station.Shares().short_points, TBaselines::SHORT_SHARE);
    QVERIFY(!station.Central());
    station.Start();
    QVERIFY(station.Database_Ready());
    QCOMPARE(d_status, QStringList{QStringLiteral("INF:  Not Connected.")});
    QCOMPARE(d_said.filter(QStringLiteral("WAR:  ")).size(), 1);
    QVERIFY2(d_said.filter(QStringLiteral("(unclosed")).size() == 1,
             qPrintable(d_said.join(QLatin1Char('\n'))));
    QVERIFY(station.Central() && !station.Central()->Is_Set());

    TRecorder *recorder = station.Recorder();
    recorder->Switch_On();
    recorder->Attached();
    recorder->Program_Opened(QStringLiteral("ALONE"), QStringLiteral("B"), true);
    recorder->Execution_Started();
    recorder->Execution_Ended();
    recorder->Program_Closed(true);
    QCOMPARE(d_changed, 1);
    station.Close();
    station.Close();
    QVERIFY(!station.Database()->Is_Open());
    QCOMPARE(TSqliteShell::Output(d_folder + QStringLiteral("/database.db"),
                                  QStringLiteral("SELECT name||'|'||revision FROM program;\n")),
             QStringLiteral("ALONE|B\n"));
    QVERIFY(QDir(d_folder + QStringLiteral("/pending")).entryList(QDir::Files).isEmpty());
}

// The window's status line and panel say why nothing is stored.
void TTestStation::Newer_File_Is_Refused_And_Said()
{
    QDir().mkpath(d_folder);
    const QString file = d_folder + QStringLiteral("/database.db");
    QVERIFY(TSqliteShell::Run(file, QStringLiteral("PRAGMA user_version=7;\n")));
    TStation station(d_folder);
    Listen(&station);
    station.Start();
    QVERIFY(!station.Database_Ready());
    QCOMPARE(d_status, QStringList{QStringLiteral("ERR:  Cannot initialize database.")});
    QVERIFY2(
        d_said.contains(QStringLiteral("ERR:  The database was written by a newer Quorvex (its version 7, "
                                       "this program's 1); it is left as it is.")),
        qPrintable(d_said.join(QLatin1Char('\n'))));
    station.Close();
    QCOMPARE(TSqliteShell::Output(
                 file, QStringLiteral("PRAGMA user_version;\nSELECT count(*) FROM sqlite_master;\n")),
             QStringLiteral("7\n0\n"));
}

QTEST_GUILESS_MAIN(TTestStation)
#include "tst_station.moc"
