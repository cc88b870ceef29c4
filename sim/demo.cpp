#include "sim/demo.h"

#include "sim/demoscript.h"
#include "sim/measurementsoftware.h"
#include "sim/simulatorwindow.h"
#include "src/app/quorvex.h"
#include "src/shifts/shiftcalendar.h"

#include <QDir>
#include <QSettings>

const QString TDemo::SAMPLE_SHIFT = QStringLiteral(":/demo/sample-shift.txt");
// One line, short enough for the panel's width.
const QString TDemo::FIRST_START_HINT =
    QStringLiteral("INF:  Demo: press \"Play sample shift\" in the simulator.");

TDemo::TDemo()
    : d_software(std::make_unique<TMeasurementSoftware>()),
      d_script(std::make_unique<TDemoScript>(d_software.get())),
      d_sample(std::make_unique<TDemoScript>(d_software.get()))
{
    connect(d_script.get(), &TDemoScript::Quit_Requested, this, &TDemo::Quit_Requested);
    connect(d_sample.get(), &TDemoScript::Finished, this, &TDemo::Sample_Finished);
}

TDemo::~TDemo() = default;

bool TDemo::Load_Script(const QString &file_name, QString *error)
{
    if (d_script->Load(file_name))
        return true;
    *error = d_script->Error_Text();
    return false;
}

// The demo's station works around the clock and asks about a stop after a few
// seconds, so that a scripted shift of a minute shows stops at any hour.
// Only what the demo's own settings do not say yet.
void TDemo::Seed_Settings(const QString &folder)
{
    QDir().mkpath(folder);
    QSettings settings(folder + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    if (!settings.contains(QStringLiteral("Stops/Threshold_Seconds")))
        settings.setValue(QStringLiteral("Stops/Threshold_Seconds"), DEMO_STOP_SECONDS);
    if (settings.childGroups().contains(QStringLiteral("Shift_Calendar")))
        return;
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {{QTime(0, 0), QTime()}});
    calendar.Write(&settings);
}

void TDemo::Show(const QString &folder)
{
    Seed_Settings(folder);
    d_window = std::make_unique<TQuorvex>(folder);
    d_window->setWindowTitle(QStringLiteral("Quorvex demo"));
    if (d_window->Record_Empty())
        d_window->Add_Message(FIRST_START_HINT);
    d_control = std::make_unique<TSimulatorWindow>(d_software.get());
    connect(d_control.get(), &TSimulatorWindow::Sample_Requested, this, [this]() { Play_Sample(); });
    connect(d_sample.get(), &TDemoScript::Finished, d_control.get(),
            [this]() { d_control->Set_Sample_Playing(false); });
    d_window->show();
    d_control->move(d_window->frameGeometry().right() + 12, d_window->y());
    d_control->show();
}

void TDemo::Run_Script()
{
    d_script->Start(d_window.get());
}

bool TDemo::Play_Sample(int speed)
{
    if (d_sample->Running() || !d_sample->Load(SAMPLE_SHIFT))
        return false;
    d_sample->Set_Speed(speed);
    d_control->Set_Sample_Playing(true);
    d_sample->Start(d_window.get());
    return true;
}
