#ifndef QUORVEX_REPORTVIEW_H
#define QUORVEX_REPORTVIEW_H

#include "src/report/reportlines.h"

#include <QAbstractScrollArea>

#include <memory>

// A read-only view of a report of any size: it paints only the lines that are
// visible, so that showing millions of lines costs no more than showing ten.
// The user selects with the mouse (Shift extends), copies with Ctrl+C, selects
// everything with Ctrl+A; Find selects the next occurrence of a text. Fixed
// pitch: every character is one column wide. Lives on the GUI thread.
class TReportView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TReportView(QWidget *parent = nullptr);

    void Set_Lines(std::shared_ptr<const TReportLines> lines);
    void Set_Text(const QString &text);
    QString Text() const { return d_lines->Text(); }
    std::shared_ptr<const TReportLines> Lines() const { return d_lines; }
    QString Selected_Text() const;
    void Select_All();
    void Copy() const;
    // Selects the next occurrence after the selection (any case), wrapping to
    // the start, and scrolls it into view; false when there is none.
    bool Find(const QString &text);
    int First_Visible_Line() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int Offset_At(const QPoint &point) const;
    void Select(int anchor, int cursor);
    void Show_Offset(int offset);
    void Update_Scroll_Bars();
    int Visible_Lines() const;

    std::shared_ptr<const TReportLines> d_lines;
    // The selection: from the anchor to the cursor, as offsets into the text.
    int d_anchor;
    int d_cursor;
    int d_line_height;
    // Fractional: glyphs advance by the font's exact width, and columns must stay under them.
    qreal d_char_width;
};

#endif
