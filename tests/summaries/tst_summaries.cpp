#include "src/centraldb/centralsettings.h"
#include "src/database/database.h"
#include "src/shifts/shiftcalendar.h"
#include "src/summaries/scheduledsummaries.h"
#include "tests/support/fakeclock.h"
#include "tests/support/testhome.h"

#include <QSettings>
#include <QtTest>

namespace
{
QStringList Names(const QVector<TSummarySchedule::TPeriod> &periods)
{
    QStringList names;
    for (const TSummarySchedule::TPeriod &period : periods)
        names << period.Name();
    return names;
}
} // namespace

// When the daily and weekly summaries are due, hand-computed, and their
// writing: once per period, caught up at the next start.
class TTestSummaries : public QObject
{
    Q_OBJECT

private slots:
    void Due_data();
    void Due();
    void Written_Once_And_Caught_Up();
};

void TTestSummaries::Due_data()
{
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("last_daily");
    QTest::addColumn<QString>("last_weekly");
    QTest::addColumn<QStringList>("expected");
    // 2026-12-07 is a Monday; summaries at 06:00.
    QTest::newRow("before the time, yesterday's waits") << "2026-12-08 05:59"
                                                        << "2026-12-06"
                                                        << "2026-11-30" << QStringList{};
    QTest::newRow("at the time") << "2026-12-08 06:00"
                                 << "2026-12-06"
                                 << "2026-11-30" << QStringList{"daily 2026-12-07"};
    QTest::newRow("closed for days: each missed day once")
        << "2026-12-08 07:00"
        << "2026-12-03"
        << "2026-11-30"
        << QStringList{"daily 2026-12-04", "daily 2026-12-05", "daily 2026-12-06", "daily 2026-12-07"};
    QTest::newRow("the week is due on Monday at the time, not before")
        << "2026-12-07 05:59"
        << "2026-12-04"
        << "2026-11-23" << QStringList{"daily 2026-12-05"};
    QTest::newRow("Monday at the time") << "2026-12-07 06:00"
                                        << "2026-12-05"
                                        << "2026-11-23" << QStringList{"daily 2026-12-06", "weekly 2026-W49"};
    QTest::newRow("never written: the latest only")
        << "2026-12-09 12:00" << QString() << QString() << QStringList{"daily 2026-12-08", "weekly 2026-W49"};
    QTest::newRow("a week across the new year") << "2027-01-04 06:00"
                                                << "2027-01-03"
                                                << "2026-12-21" << QStringList{"weekly 2026-W53"};
    QTest::newRow("a Wednesday noted as the last week is its week's")
        << "2026-12-14 06:00"
        << "2026-12-13"
        << "2026-12-02" << QStringList{"weekly 2026-W50"};
}

void TTestSummaries::Due()
{
    QFETCH(QString, now);
    QFETCH(QString, last_daily);
    QFETCH(QString, last_weekly);
    QFETCH(QStringList, expected);
    TSummarySchedule schedule;
    schedule.folder = QStringLiteral("summaries");
    schedule.last_daily = QDate::fromString(last_daily, Qt::ISODate);
    schedule.last_weekly = QDate::fromString(last_weekly, Qt::ISODate);
    QCOMPARE(Names(schedule.Due(TFakeClock::At(now))), expected);

    // A year away: the latest month of days and two months of weeks.
    schedule.last_daily = schedule.last_weekly = QDate(2025, 1, 6);
    const QVector<TSummarySchedule::TPeriod> caught_up = schedule.Due(TFakeClock::At(now));
    QCOMPARE(int(std::count_if(caught_up.begin(), caught_up.end(),
                               [](const TSummarySchedule::TPeriod &p)
                               { return p.kind == TSummarySchedule::DAILY; })),
             31);
    QCOMPARE(caught_up.size(), 31 + 8);
}

void TTestSummaries::Written_Once_And_Caught_Up()
{
    TTestHome home;
    TDatabase database;
    QVERIFY(database.Open(home.File_Path(QStringLiteral("database.db"))) && database.Create_Tables());
    for (int i = 0; i < 6; ++i)
    {
        TExecution item;
        item.Set_Name(QStringLiteral("BRACKET_%1").arg(i % 2));
        item.Set_Revision(QStringLiteral("A"));
        item.Set_Date_Time(TFakeClock::At(QStringLiteral("2026-12-06 08:00")).addSecs(600 * i));
        item.Set_Execution_Time(300);
        QVERIFY2(database.Add_Execution(item), qPrintable(database.Last_Error()));
    }
    const QString folder = home.File_Path(QStringLiteral("summaries"));
    QSettings settings(home.File_Path(QStringLiteral("Settings.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Summaries/Folder"), folder);
    settings.setValue(QStringLiteral("Summaries/Time"), QStringLiteral("06:00"));
    TShiftCalendar calendar;
    TFakeClock clock; // Monday 2026-12-07 06:00 and a second.
    QStringList written;
    {
        TScheduledSummaries summaries(&settings, &database, &calendar, TCentralSettings(), &clock);
        connect(&summaries, &TScheduledSummaries::Written, this,
                [&written](const QString &file) { written << file; });
        summaries.Check();
        summaries.Check();
    }
    QCOMPARE(written, (QStringList{folder + "/Quorvex daily 2026-12-06.pdf",
                                   folder + "/Quorvex weekly 2026-W49.pdf"}));
    for (const QString &file : written)
    {
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-" && pdf.size() > 2000);
    }

    // Two days later, at the next start: the two days missed, each once.
    clock.Advance(2 * 24 * 3600 * 1000LL);
    written.clear();
    {
        TScheduledSummaries summaries(&settings, &database, &calendar, TCentralSettings(), &clock);
        connect(&summaries, &TScheduledSummaries::Written, this,
                [&written](const QString &file) { written << file; });
        summaries.Check();
    }
    QCOMPARE(written, (QStringList{folder + "/Quorvex daily 2026-12-07.pdf",
                                   folder + "/Quorvex daily 2026-12-08.pdf"}));

    // A folder that cannot be made: said once, tried again, not noted as written.
    QFile blocker(home.File_Path(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings.setValue(QStringLiteral("Summaries/Folder"), blocker.fileName() + QStringLiteral("/inside"));
    clock.Advance(24 * 3600 * 1000LL);
    QStringList said;
    {
        TScheduledSummaries summaries(&settings, &database, &calendar, TCentralSettings(), &clock);
        connect(&summaries, &TScheduledSummaries::Message, this,
                [&said](const QString &text) { said << text; });
        summaries.Check();
        summaries.Check();
    }
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().startsWith(QStringLiteral("ERR:  Summary not written: ")),
             qPrintable(said.first()));
    QCOMPARE(settings.value(QStringLiteral("Summaries/Last_Daily")).toString(), QStringLiteral("2026-12-08"));

    // Closed, the file gives no summary (an empty one would be noted as written).
    settings.setValue(QStringLiteral("Summaries/Folder"), folder);
    database.Close();
    written.clear();
    TScheduledSummaries summaries(&settings, &database, &calendar, TCentralSettings(), &clock);
    connect(&summaries, &TScheduledSummaries::Written, this,
            [&written](const QString &file) { written << file; });
    summaries.Check();
    QVERIFY(written.isEmpty());
}

QTEST_MAIN(TTestSummaries)
#include "tst_summaries.moc"
