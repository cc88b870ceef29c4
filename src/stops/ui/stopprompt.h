#ifndef QUORVEX_STOPPROMPT_H
#define QUORVEX_STOPPROMPT_H

#include "src/database/stoprecord.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QVBoxLayout;
class TStopTracker;

// The small question beside the measurement software when the machine has
// stood still past the threshold: why? One button a reason. It is shown
// without taking the keyboard focus from whatever program has it, stays above
// other windows, and goes away once answered or when the machine executes again.
class TStopPrompt : public QWidget
{
    Q_OBJECT

public:
    // OWNER is the window whose task-bar entry flashes; the prompt is a window of its own.
    TStopPrompt(TStopTracker *tracker, QWidget *owner);

    void Ask(const TStopRecord &stop);
    // The length shown is brought up to now.
    void Refresh();
    // As a click on the reason's button; false when the prompt shows no such reason.
    bool Answer(const QString &reason, const QString &note = QString());

private:
    void Build_Buttons();
    void Choose(const QString &reason);
    void Place();

    TStopTracker *d_tracker;
    QWidget *d_owner;
    TStopRecord d_stop;
    QLabel *d_question;
    QLineEdit *d_note;
    QVBoxLayout *d_buttons;
};

#endif
