#include "src/app/messagebox.h"

#include <QCoreApplication>
#include <QKeyEvent>

TMessageBox::TMessageBox(QWidget *parent) : QMessageBox(parent), d_fixed_width(500)
{
    setTextFormat(Qt::RichText);
    setStyleSheet(QStringLiteral("dialogbuttonbox-buttons-have-icons: 0;\nbutton-layout: 1;"));
}

int TMessageBox::exec()
{
    return QDialog::exec();
}

void TMessageBox::Set_Text(const QString &text)
{
    setText(QStringLiteral("<span style=\"font-size:10pt; font-weight:600; color:#000000;\" >%1</span>")
                .arg(text));
}

void TMessageBox::Set_Informative_Text(const QString &text)
{
    setInformativeText(
        QStringLiteral("<span style=\"font-size:10pt; font-weight:400; color:#000000;\" >%1</span>")
            .arg(text));
}

void TMessageBox::Post_Key(int key)
{
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

void TMessageBox::showEvent(QShowEvent *event)
{
    QMessageBox::showEvent(event);
    setFixedWidth(d_fixed_width);
}

void TMessageBox::resizeEvent(QResizeEvent *event)
{
    QMessageBox::resizeEvent(event);
    setFixedWidth(d_fixed_width);
}
