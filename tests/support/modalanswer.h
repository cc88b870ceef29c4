#ifndef QUORVEX_MODALANSWER_H
#define QUORVEX_MODALANSWER_H

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the next modal dialog that the code under test opens: once a modal
// widget is active, the answer is called with it (once). The dialog's own
// event loop runs the check, so the real slot behind the dialog is exercised.
class TModalAnswer : public QObject
{
public:
    explicit TModalAnswer(std::function<void(QWidget *)> answer);
    bool Answered() const { return d_answered; }

private:
    void Check();

    std::function<void(QWidget *)> d_answer;
    QTimer d_timer;
    bool d_answered;
};

#endif
