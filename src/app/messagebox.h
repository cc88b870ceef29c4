#ifndef QUORVEX_MESSAGEBOX_H
#define QUORVEX_MESSAGEBOX_H

#include <QMessageBox>

// A message box with a fixed look: rich text in 10-point black spans, buttons
// without icons in the Mac order, and a width held after every show and resize.
class TMessageBox : public QMessageBox
{
public:
    explicit TMessageBox(QWidget *parent = nullptr);

    int exec() override;
    virtual void Set_Text(const QString &text);
    virtual void Set_Informative_Text(const QString &text);
    void Post_Key(int key);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int d_fixed_width;
};

#endif
