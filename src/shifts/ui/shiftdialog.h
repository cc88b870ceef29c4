#ifndef QUORVEX_SHIFTDIALOG_H
#define QUORVEX_SHIFTDIALOG_H

#include "src/shifts/shiftcalendar.h"

#include <QDialog>

class QDialogButtonBox;
class QDoubleSpinBox;
class QLineEdit;

// Edits the weekly shift calendar: the shifts of each weekday as text
// ("06:00-14:00, 14:00-22:00", empty for none) and the target utilisation.
// OK waits until every day reads as shifts.
class TShiftDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TShiftDialog(const TShiftCalendar &calendar, QWidget *parent = nullptr);

    // The calendar as edited (the days that do not read keep their shifts).
    TShiftCalendar Calendar() const;

private:
    void Check();

    TShiftCalendar d_calendar;
    QLineEdit *d_days[7];
    QDoubleSpinBox *d_target;
    QDialogButtonBox *d_buttons;
};

#endif
