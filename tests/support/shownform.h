#ifndef QUORVEX_SHOWNFORM_H
#define QUORVEX_SHOWNFORM_H

#include <QString>

// What the reports and exports show follows the system's language: an
// expected text written with English month names and am/pm markers, as the
// system's language writes them, so that a test holds under any language.
class TShownForm
{
public:
    static QString Localised(const QString &english);
};

#endif
