#include "src/database/database.h"
#include "src/database/stopstore.h"
#include "tests/support/hostiletexts.h"
#include "tests/support/stopstation.h"
#include "tests/support/testhome.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace
{

QDateTime At(int day, int hour, int minute = 0, int second = 0)
{
    return TStopStation::At(day, hour, minute, second);
}

TShiftCalendar Calendar(int day_of_week, const QString &shifts)
{
    return TStopStation::Calendar(day_of_week, shifts);
}
} // namespace

class TTestStops : public QObject
{
    Q_OBJECT

private slots:
    void Stops_Through_A_Shift();
    void Cut_At_Midnight_And_At_The_Shift_End_Next_Day();
    void Standstill_Across_Midnight_Is_Kept_Whole();
    void Standstill_Through_Changes_Of_Kind_Is_Kept_Whole();
    void Clock_Set_Back_Loses_And_Rewrites_Nothing();
    void System_Reasons_And_Rules();
    void Reasons_Given_Late_Changed_And_Refused();
    void Killed_Run_Ends_Its_Stop_At_The_Last_Moment_Known();
    void Reasons_From_Settings_Are_Plain_Text();

private:
    std::unique_ptr<TStopStation> Station(const TShiftCalendar &calendar, const QDateTime &start);
    TTestHome d_home;
    int d_stations = 0;
};

std::unique_ptr<TStopStation> TTestStops::Station(const TShiftCalendar &calendar, const QDateTime &start)
{
    const QString folder = d_home.File_Path(QStringLiteral("station%1").arg(++d_stations));
    QDir().mkpath(folder);
    return std::make_unique<TStopStation>(folder, calendar, start);
}

// Monday 06:00-14:00: idle at the start, a short pause that is no stop, idle
// to the end; the question comes once the threshold is passed.
void TTestStops::Stops_Through_A_Shift()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-14:00")), At(7, 5, 40));
    QSignalSpy asked(station->tracker.get(), &TStopTracker::Ask);
    QSignalSpy over(station->tracker.get(), &TStopTracker::Asked_No_More);
    station->Set(At(7, 5, 50), TStationActivity::IDLE);
    station->Set(At(7, 6, 4), TStationActivity::EXECUTING);
    QCOMPARE(asked.count(), 0);
    station->Set(At(7, 6, 30), TStationActivity::IDLE);
    station->Run_To(At(7, 6, 35), 1);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).value<TStopRecord>().started, At(7, 6, 30).toUTC());
    QVERIFY(station->tracker->Asking());
    station->Set(At(7, 6, 40), TStationActivity::EXECUTING);
    QCOMPARE(over.count(), 1);
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    station->Set(At(7, 7, 4, 59), TStationActivity::EXECUTING);
    station->Set(At(7, 13, 50), TStationActivity::IDLE);
    station->Run_To(At(7, 15, 0));
    QCOMPARE(station->Spans(), (QStringList{"7 06:30-7 06:40 /", "7 13:50-7 14:00 /"}));
    // Outside the shift nothing is open; the next shift (none this week) opens nothing either.
    QVERIFY(!station->tracker->Stopped());
}

// Monday 22:00-06:00: a stop through the night is two rows, one each day,
// with the reason given before midnight; a late tick misses no cut.
void TTestStops::Cut_At_Midnight_And_At_The_Shift_End_Next_Day()
{
    auto station = Station(Calendar(1, QStringLiteral("22:00-06:00")), At(7, 21, 0));
    station->Set(At(7, 21, 30), TStationActivity::IDLE);
    station->Run_To(At(7, 22, 10));
    QVERIFY(station->tracker->Stopped());
    QCOMPARE(station->tracker->Set_Reason(At(7, 22, 0).toUTC(), QStringLiteral("No operator")),
             TStopTracker::SET);
    station->Run_To(At(8, 7, 0), 3 * 3600);
    QCOMPARE(station->Spans(),
             (QStringList{"7 22:00-8 00:00 No operator/operator", "8 00:00-8 06:00 No operator/operator"}));
    QVERIFY(!station->tracker->Stopped());
}

// A night shift: the threshold is the standstill's, not each piece's; a
// standstill shorter than it leaves nothing on either side of midnight.
void TTestStops::Standstill_Across_Midnight_Is_Kept_Whole()
{
    auto station = Station(Calendar(1, QStringLiteral("22:00-06:00")), At(7, 21, 0));
    station->Set(At(7, 22, 0), TStationActivity::EXECUTING);
    station->Set(At(7, 23, 57), TStationActivity::IDLE);
    station->Set(At(8, 0, 4), TStationActivity::EXECUTING);
    station->Set(At(8, 0, 10), TStationActivity::IDLE);
    station->Set(At(8, 0, 12), TStationActivity::EXECUTING);
    station->Set(At(8, 1, 0), TStationActivity::IDLE);
    station->Set(At(8, 1, 4, 59), TStationActivity::EXECUTING);
    QCOMPARE(station->Spans(), (QStringList{"7 23:57-8 00:00 /", "8 00:00-8 00:04 /"}));

    auto second = Station(Calendar(1, QStringLiteral("22:00-06:00")), At(7, 21, 0));
    second->Set(At(7, 22, 0), TStationActivity::EXECUTING);
    second->Set(At(7, 23, 58), TStationActivity::IDLE);
    second->Set(At(8, 0, 30), TStationActivity::EXECUTING);
    second->Set(At(8, 5, 58), TStationActivity::IDLE);
    second->Run_To(At(8, 7, 0));
    QCOMPARE(second->Spans(), (QStringList{"7 23:58-8 00:00 /", "8 00:00-8 00:30 /"}));
}

// Idle, then the software closed, then monitoring off: one standstill of three
// kinds, kept when together they last the threshold (exactly it too), each piece
// with its own reason; 299 s of them leave nothing.
void TTestStops::Standstill_Through_Changes_Of_Kind_Is_Kept_Whole()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    // No piece lasts the threshold by itself: kept, but no one is asked about four minutes.
    QSignalSpy asked(station->tracker.get(), &TStopTracker::Ask);
    station->Set(At(7, 6, 0), TStationActivity::EXECUTING);
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    station->Set(At(7, 7, 4), TStationActivity::WAITING);
    station->Set(At(7, 7, 8), TStationActivity::EXECUTING);
    station->Set(At(7, 8, 0), TStationActivity::IDLE);
    station->Set(At(7, 8, 2, 30), TStationActivity::WAITING);
    station->Set(At(7, 8, 4, 59), TStationActivity::OFF);
    station->Set(At(7, 8, 5), TStationActivity::EXECUTING);
    station->Set(At(7, 9, 0), TStationActivity::IDLE);
    station->Set(At(7, 9, 2, 30), TStationActivity::WAITING);
    station->Set(At(7, 9, 4, 59), TStationActivity::EXECUTING);
    QCOMPARE(station->Spans(),
             (QStringList{"7 07:00-7 07:04 /", "7 07:04-7 07:08 Measurement software not running/system",
                          "7 08:00-7 08:02 /", "7 08:02-7 08:04 Measurement software not running/system",
                          "7 08:04-7 08:05 Monitor off/system"}));
    std::vector<TStopRecord> stops;
    TStopStore(&station->database).Overlapping(At(7, 8, 0), At(7, 8, 6), &stops);
    QCOMPARE(stops.size(), size_t(3));
    QCOMPARE(stops.at(0).Seconds() + stops.at(1).Seconds() + stops.at(2).Seconds(), qint64(300));
    QCOMPARE(asked.count(), 0);
}

// The clock set back during a stop, after a classified one and while the
// program was not running: no stop ends before it began, none takes another's
// start, and the classified one stays as it was.
void TTestStops::Clock_Set_Back_Loses_And_Rewrites_Nothing()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    station->Set(At(7, 6, 0), TStationActivity::EXECUTING);
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    station->Run_To(At(7, 7, 10));
    QCOMPARE(station->tracker->Set_Reason(At(7, 7, 0).toUTC(), QStringLiteral("Break")), TStopTracker::SET);
    station->Set(At(7, 7, 20), TStationActivity::EXECUTING);
    station->Set(At(7, 7, 30), TStationActivity::IDLE);
    station->clock.Set_Now(At(7, 7, 0));
    station->Run_To(At(7, 7, 40));
    station->tracker->Set_State(TStationActivity::EXECUTING);
    station->clock.Set_Now(At(7, 7, 0));
    station->tracker->Set_State(TStationActivity::IDLE);
    // Held at 07:40 until the clock passes it: three minutes, no stop.
    station->Run_To(At(7, 7, 43));
    station->tracker->Set_State(TStationActivity::EXECUTING);
    station->Run_To(At(7, 8, 0));
    station->clock.Set_Now(At(7, 6, 30));
    station->Restart();
    station->Set(At(7, 8, 30), TStationActivity::EXECUTING);
    QCOMPARE(station->Spans(), (QStringList{"7 07:00-7 07:20 Break/operator", "7 07:30-7 07:40 /",
                                            "7 07:40-7 08:30 Monitor off/system"}));
    std::vector<TStopRecord> stops;
    TStopStore(&station->database).Overlapping(At(7, 0, 0), At(8, 0, 0), &stops);
    for (const TStopRecord &stop : stops)
        QVERIFY2(stop.Seconds() > 0, qPrintable(TStopStation::Span(stop)));
}

// Monitoring off and the software away are the system's reasons; a stop soon
// after a matching controller message is the rule's, and a person overrules it.
void TTestStops::System_Reasons_And_Rules()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    station->rules.Add(QStringLiteral("probe.*(crash|broken)"), QStringLiteral("Machine fault"));
    station->rules.Add(QStringLiteral("(unclosed"), QStringLiteral("Other"));
    QCOMPARE(station->rules.Problems().size(), 1);
    station->Restart();
    QSignalSpy asked(station->tracker.get(), &TStopTracker::Ask);
    station->Set(At(7, 6, 10), TStationActivity::WAITING);
    station->Set(At(7, 6, 20), TStationActivity::EXECUTING);
    station->tracker->Controller_Message(QStringLiteral("PROBE CRASH on axis Z"));
    station->Set(At(7, 6, 21), TStationActivity::IDLE);
    station->Set(At(7, 6, 40), TStationActivity::EXECUTING);
    station->tracker->Controller_Message(QStringLiteral("Probe broken"));
    // Too long after the message for the rule.
    station->Set(At(7, 6, 50), TStationActivity::IDLE);
    station->Set(At(7, 7, 0), TStationActivity::EXECUTING);
    QCOMPARE(station->Spans(), (QStringList{"7 06:00-7 06:10 Monitor off/system",
                                            "7 06:10-7 06:20 Measurement software not running/system",
                                            "7 06:21-7 06:40 Machine fault/rule", "7 06:50-7 07:00 /"}));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(station->tracker->Set_Reason(At(7, 6, 21).toUTC(), QStringLiteral("Break")), TStopTracker::SET);
    QCOMPARE(station->Spans().at(2), QStringLiteral("7 06:21-7 06:40 Break/operator"));
}

// An answer long into the stop, one after the machine ran again, a change on
// the next day, and one too late; unknown reasons and notes.
void TTestStops::Reasons_Given_Late_Changed_And_Refused()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    TStopTracker *tracker = station->tracker.get();
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    station->Run_To(At(7, 9, 0));
    QCOMPARE(tracker->Set_Reason(At(7, 7, 0).toUTC(), QStringLiteral("Coffee")),
             TStopTracker::UNKNOWN_REASON);
    QCOMPARE(tracker->Set_Reason(At(7, 7, 0).toUTC(), QStringLiteral("Waiting for parts")),
             TStopTracker::SET);
    QVERIFY(!tracker->Asking());
    station->Set(At(7, 9, 30), TStationActivity::EXECUTING);
    station->Set(At(7, 10, 0), TStationActivity::IDLE);
    station->Set(At(7, 10, 30), TStationActivity::EXECUTING);
    QCOMPARE(
        tracker->Set_Reason(At(7, 10, 0).toUTC(), QStringLiteral("Other"), QStringLiteral(" fixture\nlost ")),
        TStopTracker::SET);
    QCOMPARE(tracker->Set_Reason(At(7, 10, 1).toUTC(), QStringLiteral("Break")), TStopTracker::NOT_FOUND);
    station->Run_To(At(8, 9, 0), 3600);
    QCOMPARE(tracker->Set_Reason(At(7, 10, 0).toUTC(), QStringLiteral("Machine fault")), TStopTracker::SET);
    station->Run_To(At(8, 10, 31), 3600);
    QCOMPARE(tracker->Set_Reason(At(7, 7, 0).toUTC(), QStringLiteral("Break")), TStopTracker::TOO_OLD);
    const QStringList spans = station->Spans();
    QCOMPARE(spans.mid(1, 2), (QStringList{"7 07:00-7 09:30 Waiting for parts/operator",
                                           "7 10:00-7 10:30 Machine fault/operator"}));
    TStopRecord stop;
    QVERIFY(TStopStore(&station->database).Find(At(7, 10, 0).toUTC(), &stop));
    QCOMPARE(stop.note, QString());
    QVERIFY(TStopStore(&station->database).Find(At(7, 7, 0).toUTC(), &stop));
    QVERIFY(!stop.planned);
}

// The run is killed during a stop; the next start ends it where it was last
// known to go on, not at the restart. A run closed by hand ends it at the close.
void TTestStops::Killed_Run_Ends_Its_Stop_At_The_Last_Moment_Known()
{
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    station->Run_To(At(7, 7, 10, 30), 1);
    station->clock.Set_Now(At(7, 9, 0));
    station->Restart();
    QCOMPARE(station->Spans(), (QStringList{"7 06:00-7 07:00 Monitor off/system", "7 07:00-7 07:10 /"}));
    TStopRecord stop;
    QVERIFY(TStopStore(&station->database).Find(At(7, 7, 0).toUTC(), &stop));
    QVERIFY(!stop.open);
    // Idle right after the hour of monitoring off, one standstill: stored at once, marked every minute.
    QCOMPARE(stop.ended, At(7, 7, 10, 1).toUTC());
    station->Run_To(At(7, 9, 20));
    station->tracker->Close();
    QCOMPARE(station->Spans().last(), QStringLiteral("7 09:00-7 09:20 Monitor off/system"));
}

// Reasons come from the settings as plain text, once each; a reason a person
// gives is stored exactly, whatever it holds.
void TTestStops::Reasons_From_Settings_Are_Plain_Text()
{
    const QString file = d_home.File_Path(QStringLiteral("Settings.ini"));
    QSettings settings(file, QSettings::IniFormat);
    const QStringList hostile = THostileTexts::All();
    settings.beginGroup(QStringLiteral("Stops"));
    settings.beginWriteArray(QStringLiteral("Reasons"));
    for (int i = 0; i < hostile.size(); ++i)
    {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("Name"), hostile[i]);
        settings.setValue(QStringLiteral("Planned"), i % 2 == 0);
    }
    settings.endArray();
    settings.endGroup();
    TStopReasons reasons;
    reasons.Read(&settings);
    QVERIFY(!reasons.All().isEmpty());
    auto station = Station(Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6, 0));
    station->reasons = reasons;
    station->Restart();
    station->Set(At(7, 7, 0), TStationActivity::IDLE);
    for (const TStopReasons::TReason &reason : reasons.All())
    {
        QVERIFY(reason.name.size() <= TStopReasons::LONGEST_NAME);
        QVERIFY(!reason.name.contains(QLatin1Char('\n')));
        station->Run_To(station->clock.Now().addSecs(400));
        const QDateTime started = station->tracker->Current().started.toUTC();
        QCOMPARE(station->tracker->Set_Reason(started, reason.name), TStopTracker::SET);
        station->tracker->Set_State(TStationActivity::EXECUTING);
        TStopRecord stop;
        QVERIFY(TStopStore(&station->database).Find(started, &stop));
        QCOMPARE(stop.reason, reason.name);
        QCOMPARE(stop.planned, reason.planned);
        station->tracker->Set_State(TStationActivity::IDLE);
    }
}

QTEST_GUILESS_MAIN(TTestStops)
#include "tst_stops.moc"
