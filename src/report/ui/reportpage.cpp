#include "src/report/ui/reportpage.h"

#include "src/report/ui/reportview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

TReportPage::TReportPage(QWidget *parent) : QWidget(parent)
{
    d_view = new TReportView(this);
    d_find_bar = new QWidget(this);
    d_find_text = new QLineEdit(d_find_bar);
    d_find_text->setObjectName(QStringLiteral("find_text"));
    d_find_result = new QLabel(d_find_bar);

    QHBoxLayout *bar = new QHBoxLayout(d_find_bar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(new QLabel(QStringLiteral("Find:"), d_find_bar));
    bar->addWidget(d_find_text, 1);
    bar->addWidget(d_find_result);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d_view, 1);
    layout->addWidget(d_find_bar);
    d_find_bar->hide();

    const auto shortcut = [this](const QKeySequence &keys)
    {
        QShortcut *result = new QShortcut(keys, this);
        result->setContext(Qt::WidgetWithChildrenShortcut);
        return result;
    };
    connect(shortcut(QKeySequence::Find), &QShortcut::activated, this, &TReportPage::Show_Find_Bar);
    connect(shortcut(QKeySequence::FindNext), &QShortcut::activated, this, &TReportPage::Find_Next);
    connect(shortcut(Qt::Key_Escape), &QShortcut::activated, this,
            [this]()
            {
                d_find_bar->hide();
                d_view->setFocus();
            });
    connect(d_find_text, &QLineEdit::returnPressed, this, &TReportPage::Find_Next);
    connect(d_find_text, &QLineEdit::textEdited, d_find_result, &QLabel::clear);
}

void TReportPage::Show_Find_Bar()
{
    d_find_bar->show();
    d_find_text->setFocus();
    d_find_text->selectAll();
}

void TReportPage::Find_Next()
{
    if (d_find_text->text().isEmpty())
        return Show_Find_Bar();
    d_find_result->setText(d_view->Find(d_find_text->text()) ? QString() : QStringLiteral("Not found"));
}
