#include "src/app/statuslabel.h"

#include <QStatusBar>

TStatusLabel::TStatusLabel(const QString &name, QStatusBar *status_bar) : QLabel(status_bar)
{
    setObjectName(name);
    // What waits and why may carry a server's or a file's words: shown as text.
    setTextFormat(Qt::PlainText);
    hide();
    status_bar->addPermanentWidget(this);
}

void TStatusLabel::Show_Text(const QString &text)
{
    setText(text);
    setVisible(!text.isEmpty());
}
