#ifndef QUORVEX_STATUSLABEL_H
#define QUORVEX_STATUSLABEL_H

#include <QLabel>

class QStatusBar;

// A permanent field of the status bar for what a part reports (entries
// pending, executions waiting to be sent), hidden while it has nothing to say.
class TStatusLabel : public QLabel
{
    Q_OBJECT

public:
    TStatusLabel(const QString &name, QStatusBar *status_bar);

    void Show_Text(const QString &text);
};

#endif
