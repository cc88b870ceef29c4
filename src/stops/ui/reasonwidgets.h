#ifndef QUORVEX_REASONWIDGETS_H
#define QUORVEX_REASONWIDGETS_H

#include "src/stops/stopreasons.h"

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

// What the question and the Stops page offer alike: a button a reason,
// which shows its name as plain text and knows it, and the field for a note.
class TReasonWidgets
{
public:
    static QPushButton *Button(const TStopReasons::TReason &reason, QWidget *parent);
    // The reason a button made here stands for.
    static QString Reason(const QPushButton *button);
    static QLineEdit *Note_Field(const QString &object_name, QWidget *parent);
};

#endif
