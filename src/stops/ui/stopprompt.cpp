#include "src/stops/ui/stopprompt.h"

#include "src/stops/stoptracker.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace
{
// A reason's name is plain text: an ampersand is not a shortcut.
QString Button_Text(const QString &name)
{
    return QString(name).replace(QLatin1Char('&'), QLatin1String("&&"));
}
} // namespace

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
    d_note = new QLineEdit(this);
    d_note->setObjectName(QStringLiteral("stop_note"));
    d_note->setPlaceholderText(QStringLiteral("Note (for a reason that asks for one)"));
    d_note->setMaxLength(TStopTracker::LONGEST_NOTE);
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
        auto *button = new QPushButton(
            Button_Text(reason.name) + (reason.note ? QStringLiteral("...") : QString()), this);
        button->setProperty("reason", reason.name);
        button->setFocusPolicy(Qt::NoFocus);
        if (reason.planned)
            button->setToolTip(QStringLiteral("Planned: not counted as lost time"));
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
        if (button->property("reason").toString() == reason)
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
