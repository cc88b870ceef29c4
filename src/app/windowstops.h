#ifndef QUORVEX_WINDOWSTOPS_H
#define QUORVEX_WINDOWSTOPS_H

#include "src/statistics/baselines.h"

#include <QObject>

class QSettings;
class QTimer;
class TClock;
class TDatabase;
class TPendingJournal;
class TRecorder;
class TShiftCalendar;
class TStopPrompt;
class TStopsPage;
class TStopTracker;
class TWindowPages;

// The window's part in keeping stops: the tracker, told by the recorder what
// the machine does and ticked every second, its settings from group "Stops",
// the question it asks and the "Stops" page.
class TWindowStops : public QObject
{
    Q_OBJECT

public:
    TWindowStops(QSettings *settings, TPendingJournal *journal, TDatabase *database, const TClock *clock,
                 TRecorder *recorder, const TShiftCalendar &calendar, TWindowPages *pages, QWidget *window);
    ~TWindowStops() override;

    TStopTracker *Tracker() const { return d_tracker; }
    TStopPrompt *Prompt() const { return d_prompt; }
    TStopsPage *Page() const { return d_page; }
    void Set_Shift_Calendar(const TShiftCalendar &calendar);
    // [Stops] Slow_Share and Short_Share: what the figures mark as slow and short.
    static TBaselines::TShares Shares(QSettings *settings);
    // The window closes: the stop going on ends now.
    void Close();
    // The stop going on is stored as it is now, and goes on.
    void Store_Now();

signals:
    void Message(const QString &text);

private:
    void Follow_Recorder();
    void Tick();

    TRecorder *d_recorder;
    TStopTracker *d_tracker;
    TStopPrompt *d_prompt;
    TStopsPage *d_page;
    QTimer *d_timer;
    int d_ticks;
};

#endif
