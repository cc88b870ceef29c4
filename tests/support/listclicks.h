#ifndef QUORVEX_LISTCLICKS_H
#define QUORVEX_LISTCLICKS_H

#include <QStringList>

class TDataWidget;

// What a user's clicks do to a list of the window.
class TListClicks
{
public:
    // Selects the entries with these texts in one change, as Ctrl-clicks would.
    static void Select(TDataWidget *list, const QStringList &texts);
};

#endif
