#ifndef QUORVEX_WINDOWSTOPS_H
#define QUORVEX_WINDOWSTOPS_H

#include <QObject>

class TStation;
class TStopPrompt;
class TStopsPage;
class TStopTracker;
class TWindowPages;

// The window's part in keeping stops: the question the station's tracker asks
// and the "Stops" page, both brought up to date as the station ticks.
class TWindowStops : public QObject
{
    Q_OBJECT

public:
    TWindowStops(TStation *station, TWindowPages *pages, QWidget *window);
    ~TWindowStops() override;

    TStopTracker *Tracker() const { return d_tracker; }
    TStopPrompt *Prompt() const { return d_prompt; }
    TStopsPage *Page() const { return d_page; }
    // The window closes: the question goes with it.
    void Close();

private:
    void Tick();

    TStopTracker *d_tracker;
    TStopPrompt *d_prompt;
    TStopsPage *d_page;
    int d_ticks;
};

#endif
