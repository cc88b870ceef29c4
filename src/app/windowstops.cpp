#include "src/app/windowstops.h"

#include "src/app/windowpages.h"
#include "src/recorder/recorder.h"
#include "src/stops/stoptracker.h"
#include "src/stops/ui/stopprompt.h"
#include "src/stops/ui/stopspage.h"

#include <QSettings>
#include <QTimer>

namespace
{
// The page shows lengths in minutes.
const int PAGE_REFRESH_TICKS = 60;
} // namespace

TWindowStops::TWindowStops(QSettings *settings, TPendingJournal *journal, TDatabase *database,
                           const TClock *clock, TRecorder *recorder, const TShiftCalendar &calendar,
                           TWindowPages *pages, QWidget *window)
    : QObject(window), d_recorder(recorder), d_ticks(0)
{
    d_tracker = new TStopTracker(journal, database, clock, this);
    bool number = false;
    const int threshold = settings->value(QStringLiteral("Stops/Threshold_Seconds")).toInt(&number);
    if (number && threshold > 0)
        d_tracker->Set_Threshold_Seconds(threshold);
    TStopReasons reasons;
    reasons.Read(settings);
    d_tracker->Set_Reasons(reasons);
    TStopRules rules;
    rules.Read(settings);
    d_tracker->Set_Rules(rules);
    d_tracker->Set_Calendar(calendar);
    for (const QString &problem : rules.Problems())
        QTimer::singleShot(0, this, [this, problem]() { emit Message(QStringLiteral("WAR:  ") + problem); });
    connect(d_tracker, &TStopTracker::Message, this, &TWindowStops::Message);

    d_prompt = new TStopPrompt(d_tracker, window);
    connect(d_tracker, &TStopTracker::Ask, d_prompt, &TStopPrompt::Ask);
    d_page = new TStopsPage(d_tracker, pages);
    pages->Add_Page(d_page, QStringLiteral("Stops"));
    Follow_Recorder();
    d_tracker->Start();
    d_timer = new QTimer(this);
    connect(d_timer, &QTimer::timeout, this, &TWindowStops::Tick);
    d_timer->start(1000);
}

// A window of its own: deleted with the window's part, not left behind.
TWindowStops::~TWindowStops()
{
    delete d_prompt;
}

void TWindowStops::Follow_Recorder()
{
    connect(d_recorder, &TRecorder::Activity_Changed, d_tracker,
            [this]() { d_tracker->Set_State(d_recorder->Activity()); });
    connect(d_recorder, &TRecorder::Controller_Message, d_tracker, &TStopTracker::Controller_Message);
}

void TWindowStops::Tick()
{
    d_tracker->Tick();
    d_prompt->Refresh();
    if (++d_ticks % PAGE_REFRESH_TICKS == 0)
        d_page->Refresh();
}

TBaselines::TShares TWindowStops::Shares(QSettings *settings)
{
    TBaselines::TShares shares;
    bool number = false;
    const double slow = settings->value(QStringLiteral("Stops/Slow_Share")).toDouble(&number);
    if (number && slow >= 0 && slow <= 10)
        shares.slow = slow;
    const double short_points = settings->value(QStringLiteral("Stops/Short_Share")).toDouble(&number);
    if (number && short_points >= 0 && short_points <= 1)
        shares.short_points = short_points;
    return shares;
}

void TWindowStops::Set_Shift_Calendar(const TShiftCalendar &calendar)
{
    d_tracker->Set_Calendar(calendar);
}

void TWindowStops::Store_Now()
{
    d_tracker->Tick();
}

void TWindowStops::Close()
{
    d_timer->stop();
    d_tracker->Close();
    d_prompt->hide();
}
