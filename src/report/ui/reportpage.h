#ifndef QUORVEX_REPORTPAGE_H
#define QUORVEX_REPORTPAGE_H

#include <QWidget>

class QLabel;
class QLineEdit;
class TReportView;

// The "Selected" page: the report view and, on Ctrl+F, a find bar under it
// (Enter or F3 finds the next occurrence, Escape closes the bar).
class TReportPage : public QWidget
{
    Q_OBJECT

public:
    explicit TReportPage(QWidget *parent = nullptr);

    TReportView *View() const { return d_view; }

public slots:
    void Show_Find_Bar();
    void Find_Next();

private:
    TReportView *d_view;
    QWidget *d_find_bar;
    QLineEdit *d_find_text;
    QLabel *d_find_result;
};

#endif
