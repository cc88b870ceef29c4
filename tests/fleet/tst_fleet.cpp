#include "src/alerts/alertrelay.h"
#include "src/fleet/fleetfeed.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/recorder/clock.h"
#include "src/summaries/scheduledsummaries.h"
#include "tests/support/centralstation.h"
#include "tests/support/postgresserver.h"
#include "tests/support/testhome.h"

#include <QLabel>
#include <QSettings>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

namespace
{
const int TIMEOUT_MSEC = 30000;

// Every hour of every day a shift: the case does not depend on when it runs.
TShiftCalendar Always()
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {{QTime(0, 0), QTime()}});
    return calendar;
}

// A page and what it said.
struct TViewer
{
    TViewer(const TCentralSettings &settings, const TAlertSettings &alerts)
        : feed(settings, alerts), relay(alerts), page(&feed)
    {
        QObject::connect(&feed, &TFleetFeed::Alert, &relay, &TAlertRelay::Relay);
        QObject::connect(&relay, &TAlertRelay::Message, &page, [this](const QString &text) { said << text; });
        QObject::connect(&page, &TFleetPage::Message, &page, [this](const QString &text) { said << text; });
        QObject::connect(&page, &TFleetPage::Shown, &page, [this]() { ++shown; });
    }
    bool Read()
    {
        const int before = shown;
        page.Refresh();
        return QTest::qWaitFor([&]() { return shown > before; }, TIMEOUT_MSEC) && page.Snapshot();
    }
    const TFleetSnapshot::TStation *Station(const QString &name) const
    {
        for (const TFleetSnapshot::TStation &station : page.Snapshot()->stations)
            if (station.name == name)
                return &station;
        return nullptr;
    }
    TFleetFeed feed;
    TAlertRelay relay;
    TFleetPage page;
    QStringList said;
    int shown = 0;
};
} // namespace

// The room as the fleet page reads it from a real server: states, today's
// figures, statistics of chosen stations, and silent stations judged once.
class TTestFleet : public QObject
{
    Q_OBJECT

private slots:
    void Page_Shows_The_Room();

private:
    TPostgresServer d_server;
};


void TTestFleet::Page_Shows_The_Room()
{
    QUORVEX_REQUIRE_SERVER(d_server);
    TTestHome home;
    QVERIFY(d_server.Create_Database(QStringLiteral("fleet")));
    const TCentralSettings settings_a = d_server.Settings(QStringLiteral("fleet"), QStringLiteral("CMM-A"));
    TCentralStation a(home.File_Path(QStringLiteral("a")), settings_a);
    TCentralStation b(home.File_Path(QStringLiteral("b")), d_server.Settings(QStringLiteral("fleet"), QStringLiteral("CMM-B")));
    a.d_central->Set_Shift_Calendar(Always());
    b.d_central->Set_Shift_Calendar(Always());
    a.Store(5, QDateTime(QDate::currentDate(), QTime(0, 0)));
    a.Store(3, QDateTime(QDate::currentDate().addDays(-3), QTime(10, 0)));
    b.d_recorder->Switch_On();
    b.d_recorder->Attached();
    b.d_recorder->Program_Opened(QStringLiteral("HOUSING"), QStringLiteral("C"), true);
    b.d_recorder->Execution_Started();
    QTRY_COMPARE_WITH_TIMEOUT(d_server.Count(QStringLiteral("fleet"), QStringLiteral("SELECT count(*) FROM executions")), 8,
                              TIMEOUT_MSEC);
    QTRY_COMPARE_WITH_TIMEOUT(
        d_server.Count(QStringLiteral("fleet"), QStringLiteral("SELECT count(*) FROM stations WHERE state='executing'")), 1,
        TIMEOUT_MSEC);

    TAlertSettings alerts;
    alerts.silent_minutes = 10;
    TViewer viewer(settings_a, alerts);
    QVERIFY(viewer.Read());
    QCOMPARE(int(viewer.page.Snapshot()->stations.size()), 2);
    const TFleetSnapshot::TStation *station_a = viewer.Station(QStringLiteral("CMM-A"));
    QVERIFY(station_a);
    QCOMPARE(station_a->executions_today, 5);
    QCOMPARE(station_a->messages_today, 2);
    QCOMPARE(station_a->executing_seconds_today, qint64(0 + 1 + 2 + 3 + 4));
    QVERIFY(station_a->scheduled_seconds_today > 0);
    QCOMPARE(TStationActivities::Text(viewer.Station(QStringLiteral("CMM-B"))->state), QStringLiteral("executing"));
    QCOMPARE(viewer.Station(QStringLiteral("CMM-B"))->program, QStringLiteral("HOUSING"));
    QTableWidget *table = viewer.page.findChild<QTableWidget *>(QStringLiteral("fleet_stations"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("executing HOUSING"));
    // Last seven days, both stations: A's eight executions.
    QCOMPARE(viewer.page.Snapshot()->station_table.Row_Count(), 2);
    QCOMPARE(viewer.page.Snapshot()->station_table.Row(0).at(1), QStringLiteral("8"));
    QCOMPARE(viewer.page.Snapshot()->program_table.Row(0).at(0), QStringLiteral("CMM-A"));

    // Only B chosen: its statistics alone, and the choice survives the next read.
    table->selectRow(1);
    QVERIFY(viewer.Read());
    QCOMPARE(viewer.page.Snapshot()->station_table.Row_Count(), 1);
    QCOMPARE(viewer.page.Snapshot()->station_table.Row(0).at(0), QStringLiteral("CMM-B"));
    QVERIFY(viewer.Read());
    QCOMPARE(viewer.page.Snapshot()->station_table.Row_Count(), 1);

    // A falls silent: two viewers judge it, the alert is stored and said once between them.
    a.d_central->Stop();
    QSqlQuery query(d_server.Connection(QStringLiteral("fleet")));
    QVERIFY(query.exec(QStringLiteral("UPDATE stations SET heartbeat=now()-interval '30 minutes' WHERE name='CMM-A'")));
    TViewer other(settings_a, alerts);
    QVERIFY(viewer.Read() && other.Read() && viewer.Read());
    QCOMPARE(d_server.Count(QStringLiteral("fleet"), QStringLiteral("SELECT count(*) FROM alerts WHERE kind='silent' AND "
                                                           "ended IS NULL")),
             1);
    QCOMPARE(viewer.said.size() + other.said.size(), 1);
    QVERIFY2((viewer.said + other.said).first().startsWith(QStringLiteral("CMM-A: WAR:  Alert: no word from the station")),
             qPrintable((viewer.said + other.said).first()));
    QCOMPARE(TStationActivities::Text(other.Station(QStringLiteral("CMM-A"))->state), QStringLiteral("silent"));
    QVERIFY(table->item(0, 1)->text().startsWith(QStringLiteral("silent since ")));

    // Heard again: the alert ends, said once.
    QVERIFY(query.exec(QStringLiteral("UPDATE stations SET heartbeat=now() WHERE name='CMM-A'")));
    QVERIFY(viewer.Read() && other.Read());
    QCOMPARE(d_server.Count(QStringLiteral("fleet"), QStringLiteral("SELECT count(*) FROM alerts WHERE kind='silent' AND "
                                                           "ended IS NOT NULL")),
             1);
    QCOMPARE((viewer.said + other.said).filter(QStringLiteral("Alert resolved")).size(), 1);

    // The fleet's daily summary: yesterday's executions of every station, read in the background.
    QSettings ini(home.File_Path(QStringLiteral("Settings.ini")), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Summaries/Folder"), home.File_Path(QStringLiteral("summaries")));
    ini.setValue(QStringLiteral("Summaries/Scope"), QStringLiteral("fleet"));
    ini.setValue(QStringLiteral("Summaries/Weekly"), false);
    TDatabase unused(QStringLiteral("unused"));
    TShiftCalendar calendar;
    TClock clock;
    TScheduledSummaries summaries(&ini, &unused, &calendar, settings_a, &clock);
    QStringList written;
    connect(&summaries, &TScheduledSummaries::Written, this, [&written](const QString &file) { written << file; });
    summaries.Check();
    QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, TIMEOUT_MSEC);
    QVERIFY2(written.first().endsWith(QStringLiteral("/Quorvex fleet daily ") +
                                      QDate::currentDate().addDays(QTime::currentTime() >= QTime(6, 0) ? -1 : -2)
                                          .toString(Qt::ISODate) +
                                      QStringLiteral(".pdf")),
             qPrintable(written.first()));
    QVERIFY(QFileInfo(written.first()).size() > 2000);

    // The server gone: said once on the page and in the panel; back, the page reads again.
    if (TPostgresServer::External())
        return;
    query = QSqlQuery();
    QVERIFY2(d_server.Stop(), qPrintable(d_server.Last_Error()));
    viewer.said.clear();
    viewer.Read();
    viewer.Read();
    QCOMPARE(viewer.said.filter(QStringLiteral("WAR:  Central database unreachable: ")).size(), 1);
    QCOMPARE(viewer.page.findChild<QLabel *>(QStringLiteral("fleet_status"))->text(),
             QStringLiteral("Central database unreachable"));
    QVERIFY2(d_server.Start(), qPrintable(d_server.Last_Error()));
    QVERIFY(viewer.Read());
    QVERIFY(viewer.page.findChild<QLabel *>(QStringLiteral("fleet_status"))->text().startsWith(QStringLiteral("2 stations")));
}

QTEST_MAIN(TTestFleet)
#include "tst_fleet.moc"
