#include "src/database/stopstore.h"
#include "src/stops/ui/stopprompt.h"
#include "src/stops/ui/stopspage.h"
#include "tests/support/stopstation.h"
#include "tests/support/testhome.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

namespace
{

QDateTime At(int day, int hour, int minute = 0)
{
    return TStopStation::At(day, hour, minute);
}

QString Reason_Of(TStopStation *station, const QDateTime &started)
{
    TStopRecord stop;
    if (!TStopStore(&station->database).Find(started.toUTC(), &stop))
        return QStringLiteral("(none)");
    return stop.reason + QLatin1Char('/') + TStopRecord::Source_Text(stop.source) + QLatin1Char('/') +
           stop.note;
}

QStringList Button_Texts(QWidget *widget)
{
    QStringList texts;
    for (QPushButton *button : widget->findChildren<QPushButton *>())
        texts << button->text();
    return texts;
}
} // namespace

class TTestStopWidgets : public QObject
{
    Q_OBJECT

private slots:
    void Prompt_Comes_With_The_Stop_And_Goes_With_It();
    void Stops_Page_Changes_The_Last_Day_Only();

private:
    TTestHome d_home;
};

// The question shows the station's reasons as plain text, is answered with one
// click, and goes away unanswered when the machine executes again.
void TTestStopWidgets::Prompt_Comes_With_The_Stop_And_Goes_With_It()
{
    TStopStation station(d_home.Path(), TStopStation::Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6));
    QSettings settings(d_home.File_Path(QStringLiteral("prompt.ini")), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Stops"));
    settings.beginWriteArray(QStringLiteral("Reasons"));
    const QStringList names{"Fixture & alignment", "<b>Break</b>", "Other"};
    for (int i = 0; i < names.size(); ++i)
    {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("Name"), names[i]);
        settings.setValue(QStringLiteral("Note"), i == 2);
    }
    settings.endArray();
    settings.endGroup();
    station.reasons.Read(&settings);
    station.Restart();
    QWidget owner;
    TStopPrompt prompt(station.tracker.get(), &owner);
    connect(station.tracker.get(), &TStopTracker::Ask, &prompt, &TStopPrompt::Ask);

    station.Set(At(7, 7), TStationActivity::IDLE);
    QVERIFY(prompt.isHidden());
    station.Run_To(At(7, 7, 6));
    QVERIFY(prompt.isVisible());
    QVERIFY(prompt.testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(Button_Texts(&prompt), (QStringList{"Fixture && alignment", "<b>Break</b>", "Other..."}));
    QVERIFY(prompt.findChild<QLabel *>(QStringLiteral("stop_question"))
                ->text()
                .contains(QStringLiteral("(5 min)")));
    QVERIFY(prompt.Answer(QStringLiteral("Other"), QStringLiteral("crane <i>busy</i>")));
    QVERIFY(prompt.isHidden());
    QCOMPARE(Reason_Of(&station, At(7, 7)), QStringLiteral("Other/operator/crane <i>busy</i>"));
    QVERIFY(!prompt.Answer(QStringLiteral("Coffee")));

    station.Set(At(7, 8), TStationActivity::EXECUTING);
    station.Set(At(7, 9), TStationActivity::IDLE);
    station.Run_To(At(7, 9, 10));
    QVERIFY(prompt.isVisible());
    station.tracker->Set_State(TStationActivity::EXECUTING);
    QVERIFY(prompt.isHidden());
    QCOMPARE(Reason_Of(&station, At(7, 9)), QStringLiteral("//"));
}

// The page lists the week's stops, newest first; a stop of the last day takes
// a reason with a click, an older one is read-only.
void TTestStopWidgets::Stops_Page_Changes_The_Last_Day_Only()
{
    QVERIFY(QDir().mkpath(d_home.File_Path(QStringLiteral("page"))));
    TStopStation station(d_home.File_Path(QStringLiteral("page")),
                         TStopStation::Calendar(1, QStringLiteral("06:00-22:00")), At(7, 6));
    station.Set(At(7, 7), TStationActivity::IDLE);
    station.Set(At(7, 8), TStationActivity::EXECUTING);
    station.Set(At(7, 20), TStationActivity::IDLE);
    station.Run_To(At(8, 8, 30), 600);
    TStopsPage page(station.tracker.get());
    QTableWidget *table = page.findChild<QTableWidget *>(QStringLiteral("stops_table"));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 0)->text(), At(7, 20).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("not classified"));
    QCOMPARE(table->item(2, 3)->text(), QStringLiteral("Monitor off"));
    QCOMPARE(page.Unclassified(), 1);
    // Ended 10.5 hours ago: open to change; the one before ended 24.5 hours ago.
    QSignalSpy unclassified(&page, &TStopsPage::Unclassified_Changed);
    QVERIFY(page.Set_Reason(At(7, 20).toUTC(), QStringLiteral("No operator")));
    QCOMPARE(unclassified.count(), 1);
    QCOMPARE(page.Unclassified(), 0);
    QCOMPARE(Reason_Of(&station, At(7, 20)), QStringLiteral("No operator/operator/"));
    QVERIFY(!page.Set_Reason(At(7, 7).toUTC(), QStringLiteral("Break")));
    table->selectRow(1);
    for (QPushButton *button : page.findChildren<QPushButton *>())
        QVERIFY(!button->isEnabled());
    QCOMPARE(Reason_Of(&station, At(7, 7)), QStringLiteral("//"));
}

QTEST_MAIN(TTestStopWidgets)
#include "tst_stopwidgets.moc"
