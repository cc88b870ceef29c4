#include "src/app/windowstops.h"

#include "src/app/windowpages.h"
#include "src/station/station.h"
#include "src/stops/stoptracker.h"
#include "src/stops/ui/stopprompt.h"
#include "src/stops/ui/stopspage.h"

namespace
{
// The page shows lengths in minutes.
const int PAGE_REFRESH_TICKS = 60;
} // namespace

TWindowStops::TWindowStops(TStation *station, TWindowPages *pages, QWidget *window)
    : QObject(window), d_tracker(station->Stops()), d_ticks(0)
{
    d_prompt = new TStopPrompt(d_tracker, window);
    connect(d_tracker, &TStopTracker::Ask, d_prompt, &TStopPrompt::Ask);
    d_page = new TStopsPage(d_tracker, pages);
    pages->Add_Page(d_page, QStringLiteral("Stops"));
    connect(station, &TStation::Ticked, this, &TWindowStops::Tick);
}

// A window of its own: deleted with the window's part, not left behind.
TWindowStops::~TWindowStops()
{
    delete d_prompt;
}

void TWindowStops::Tick()
{
    d_prompt->Refresh();
    if (++d_ticks % PAGE_REFRESH_TICKS == 0)
        d_page->Refresh();
}

void TWindowStops::Close()
{
    d_prompt->hide();
}
