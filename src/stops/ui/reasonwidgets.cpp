#include "src/stops/ui/reasonwidgets.h"

#include "src/stops/stoptracker.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

QPushButton *TReasonWidgets::Button(const TStopReasons::TReason &reason, QWidget *parent)
{
    // A reason's name is plain text: an ampersand is not a shortcut.
    QString text = reason.name;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto *button = new QPushButton(text + (reason.note ? QStringLiteral("...") : QString()), parent);
    button->setProperty("reason", reason.name);
    if (reason.planned)
        button->setToolTip(QStringLiteral("Planned: not counted as lost time"));
    return button;
}

QString TReasonWidgets::Reason(const QPushButton *button)
{
    return button->property("reason").toString();
}

QLineEdit *TReasonWidgets::Note_Field(const QString &object_name, QWidget *parent)
{
    auto *note = new QLineEdit(parent);
    note->setObjectName(object_name);
    note->setPlaceholderText(QStringLiteral("Note (for a reason that asks for one)"));
    note->setMaxLength(TStopTracker::LONGEST_NOTE);
    return note;
}
