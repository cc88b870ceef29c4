#include "tests/support/modalanswer.h"

#include <QApplication>
#include <QWidget>

TModalAnswer::TModalAnswer(std::function<void(QWidget *)> answer) : d_answer(std::move(answer)), d_answered(false)
{
    d_timer.setInterval(10);
    connect(&d_timer, &QTimer::timeout, this, &TModalAnswer::Check);
    d_timer.start();
}

void TModalAnswer::Check()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    d_timer.stop();
    d_answered = true;
    d_answer(modal);
}
