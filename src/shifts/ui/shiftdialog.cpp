#include "src/shifts/ui/shiftdialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TShiftDialog::TShiftDialog(const TShiftCalendar &calendar, QWidget *parent)
    : QDialog(parent), d_calendar(calendar)
{
    setWindowTitle(QStringLiteral("Shift Calendar"));
    QFormLayout *form = new QFormLayout(this);
    QLabel *rule =
        new QLabel(QStringLiteral("Shifts as 06:00-14:00, 14:00-22:00. A shift whose end is not after its "
                                  "start ends on the next day; 24:00 is midnight. Empty: no shift."),
                   this);
    rule->setWordWrap(true);
    form->addRow(rule);
    for (int day = 1; day <= 7; ++day)
    {
        d_days[day - 1] = new QLineEdit(TShiftCalendar::Text(calendar.Shifts(day)), this);
        d_days[day - 1]->setObjectName(TShiftCalendar::Day_Name(day));
        form->addRow(TShiftCalendar::Day_Name(day) + QLatin1Char(':'), d_days[day - 1]);
        connect(d_days[day - 1], &QLineEdit::textChanged, this, &TShiftDialog::Check);
    }
    d_target = new QDoubleSpinBox(this);
    d_target->setObjectName(QStringLiteral("target"));
    d_target->setRange(1, 200);
    d_target->setDecimals(1);
    d_target->setSuffix(QStringLiteral(" %"));
    d_target->setValue(calendar.Target() * 100);
    form->addRow(QStringLiteral("Target utilisation:"), d_target);
    d_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(d_buttons);
    connect(d_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(d_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(460);
}

void TShiftDialog::Check()
{
    bool all = true;
    for (QLineEdit *day : d_days)
    {
        QVector<TShiftCalendar::TShift> shifts;
        const bool valid = TShiftCalendar::Parse(day->text(), &shifts);
        // A day that does not read shows in red until it does.
        day->setStyleSheet(valid ? QString() : QStringLiteral("color: red"));
        all = all && valid;
    }
    d_buttons->button(QDialogButtonBox::Ok)->setEnabled(all);
}

TShiftCalendar TShiftDialog::Calendar() const
{
    TShiftCalendar calendar = d_calendar;
    for (int day = 1; day <= 7; ++day)
    {
        QVector<TShiftCalendar::TShift> shifts;
        if (TShiftCalendar::Parse(d_days[day - 1]->text(), &shifts))
            calendar.Set_Shifts(day, shifts);
    }
    calendar.Set_Target(d_target->value() / 100);
    return calendar;
}
