#include "tests/support/centralstation.h"

#include "src/central/forwarder.h"

#include <QDir>
#include <QtTest>

TCentralStation::TCentralStation(const QString &folder, const TCentralSettings &settings)
    : d_folder(folder), d_database(QStringLiteral("station-") + folder)
{
    QDir().mkpath(folder);
    d_database.Open(File());
    d_database.Create_Tables();
    d_journal.reset(new TPendingJournal(&d_database));
    d_journal->Open(folder + QStringLiteral("/pending"));
    d_recorder.reset(new TRecorder(d_journal.get(), &d_clock));
    d_settings.reset(new QSettings(folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat));
    settings.Write(d_settings.get());
    d_central.reset(new TCentral(d_settings.get(), File(), d_recorder.get(), &d_clock));
    d_central->Forwarder()->Set_Intervals(100, 300);
    QObject::connect(d_central.get(), &TCentral::Message, &d_context,
                     [this](const QString &text) { d_said << text; });
    QObject::connect(d_central.get(), &TCentral::Waiting_Changed, &d_context,
                     [this](const QString &text) { d_waiting_text = text; });
    QObject::connect(
        d_central->Forwarder(), &TCentralForwarder::Waiting, &d_context,
        [this](int count) { d_waiting = count; }, Qt::QueuedConnection);
    QObject::connect(
        d_central->Forwarder(), &TCentralForwarder::Cycle_Done, &d_context, [this]() { ++d_cycles; },
        Qt::QueuedConnection);
}

TCentralStation::~TCentralStation()
{
    // What the station said, for a failing case's reader.
    if (QTest::currentTestFailed())
        qInfo("%s said: %s", qPrintable(d_folder), qPrintable(d_said.join(QStringLiteral(" / "))));
    d_central.reset();
    d_recorder.reset();
    d_journal.reset();
    d_database.Close();
}

void TCentralStation::Store(const TExecution &item)
{
    const TPendingJournal::TResult result = d_journal->Add_Execution(item);
    QVERIFY2(result == TPendingJournal::WRITTEN, qPrintable(d_journal->Last_Error()));
    d_central->Wake(true);
}

void TCentralStation::Store(int count, const QDateTime &start)
{
    for (int i = 0; i < count; ++i)
    {
        TExecution item;
        item.Set_Name(QStringLiteral("PART_%1").arg(i % 7));
        item.Set_Revision(QStringLiteral("R%1").arg(i));
        item.Set_Date_Time(start.addSecs(60 * i));
        item.Set_Execution_Time(i);
        item.Set_Idle_Time(i % 3);
        item.Set_Point_Count(i * 2);
        if (i % 2)
            item.Add_Error_Message(QStringLiteral("Probe hit unexpected %1").arg(i));
        Store(item);
    }
}

int TCentralStation::Said(const QString &start) const
{
    int count = 0;
    for (const QString &line : d_said)
        count += line.startsWith(start) ? 1 : 0;
    return count;
}
