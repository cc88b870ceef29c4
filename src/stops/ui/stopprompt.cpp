#include "src/stops/ui/stopprompt.h"

#include "src/stops/stoptracker.h"
#include "src/stops/ui/reasonwidgets.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TStopPrompt::TStopPrompt(TStopTracker *tracker, QWidget *owner)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), d_tracker(tracker), d_owner(owner)
{
    setObjectName(QStringLiteral("stop_prompt"));
    setWindowTitle(QStringLiteral("Quorvex: why did the CMM stop?"));
    // The operator works in the measurement software: a question must not take its keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(this);
    d_question = new QLabel(this);
    d_question->setTextFormat(Qt::PlainText);
    d_question->setObjectName(QStringLiteral("stop_question"));
    layout->addWidget(d_question);
    d_buttons = new QVBoxLayout;
    layout->addLayout(d_buttons);
    d_note = TReasonWidgets::Note_Field(QStringLiteral("stop_note"), this);
    layout->addWidget(d_note);
    connect(tracker, &TStopTracker::Asked_No_More, this, &QWidget::hide);
}

void TStopPrompt::Build_Buttons()
{
    while (QLayoutItem *item = d_buttons->takeAt(0))
    {
        delete item->widget();
        delete item;
    }
    for (const TStopReasons::TReason &reason : d_tracker->Reasons().All())
    {
        QPushButton *button = TReasonWidgets::Button(reason, this);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, name = reason.name]() { Choose(name); });
        d_buttons->addWidget(button);
    }
}

void TStopPrompt::Ask(const TStopRecord &stop)
{
    d_stop = stop;
    d_note->clear();
    Build_Buttons();
    Refresh();
    adjustSize();
    Place();
    show();
    // The task-bar entry flashes; the window itself does not come forward.
    QApplication::alert(d_owner);
}

void TStopPrompt::Refresh()
{
    if (!d_stop.started.isValid())
        return;
    const qint64 minutes = d_stop.started.secsTo(d_tracker->Now()) / 60;
    d_question->setText(QStringLiteral("The CMM has not executed since %1 (%2 min).\nWhy?")
                            .arg(d_stop.started.toLocalTime().toString(QStringLiteral("HH:mm")))
                            .arg(qMax<qint64>(0, minutes)));
}

bool TStopPrompt::Answer(const QString &reason, const QString &note)
{
    for (QPushButton *button : findChildren<QPushButton *>())
        if (TReasonWidgets::Reason(button) == reason)
        {
            if (!note.isEmpty())
                d_note->setText(note);
            button->click();
            return true;
        }
    return false;
}

void TStopPrompt::Choose(const QString &reason)
{
    d_tracker->Set_Reason(d_stop.started, reason, d_note->text());
    hide();
}

// In the corner of the screen, where it covers the least of the measurement software.
void TStopPrompt::Place()
{
    const QScreen *screen =
        d_owner && d_owner->screen() ? d_owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    move(available.right() - frameGeometry().width() - 16,
         available.bottom() - frameGeometry().height() - 16);
}
