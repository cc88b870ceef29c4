#include "src/report/ui/reportview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace
{
const int MARGIN = 4;
} // namespace

TReportView::TReportView(QWidget *parent)
    : QAbstractScrollArea(parent), d_lines(std::make_shared<TReportLines>()), d_anchor(0), d_cursor(0),
      d_line_height(1), d_char_width(1)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    changeEvent(nullptr);
}

void TReportView::Set_Lines(std::shared_ptr<const TReportLines> lines)
{
    d_lines = lines ? std::move(lines) : std::make_shared<TReportLines>();
    d_anchor = d_cursor = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    Update_Scroll_Bars();
    viewport()->update();
}

void TReportView::Set_Text(const QString &text)
{
    Set_Lines(std::make_shared<TReportLines>(text));
}

QString TReportView::Selected_Text() const
{
    const int start = std::min(d_anchor, d_cursor);
    return d_lines->Mid(start, std::max(d_anchor, d_cursor) - start);
}

void TReportView::Select_All()
{
    Select(0, d_lines->Size());
}

void TReportView::Copy() const
{
    if (d_anchor != d_cursor)
        QApplication::clipboard()->setText(Selected_Text());
}

bool TReportView::Find(const QString &text)
{
    if (text.isEmpty())
        return false;
    int found = d_lines->Index_Of(text, std::max(d_anchor, d_cursor));
    if (found < 0)
        found = d_lines->Index_Of(text, 0);
    if (found < 0)
        return false;
    Select(found, found + text.size());
    Show_Offset(found);
    return true;
}

int TReportView::First_Visible_Line() const
{
    return verticalScrollBar()->value();
}

int TReportView::Visible_Lines() const
{
    return std::max(1, (viewport()->height() - MARGIN) / d_line_height);
}

void TReportView::Update_Scroll_Bars()
{
    const int visible = Visible_Lines();
    verticalScrollBar()->setRange(0, std::max(0, d_lines->Line_Count() - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    const qint64 width = qint64(d_lines->Longest_Line() * d_char_width) + 2 * MARGIN;
    horizontalScrollBar()->setRange(
        0, int(std::min<qint64>(std::max<qint64>(0, width - viewport()->width()), 1 << 30)));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(int(d_char_width * 4));
}

void TReportView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &colours = palette();
    const int first = First_Visible_Line();
    const int last = std::min(d_lines->Line_Count() - 1, first + Visible_Lines() + 1);
    const int shift = horizontalScrollBar()->value();
    // Only the columns that can be seen are drawn: a line may be a megabyte long.
    const int first_column = std::max(0, int((shift - MARGIN) / d_char_width));
    const int columns = int(viewport()->width() / d_char_width) + 2;
    const int selection_start = std::min(d_anchor, d_cursor);
    const int selection_end = std::max(d_anchor, d_cursor);
    const int ascent = fontMetrics().ascent();
    for (int line = first; line <= last; ++line)
    {
        const int y = MARGIN / 2 + (line - first) * d_line_height;
        const int start = d_lines->Line_Start(line);
        const int length = d_lines->Line_Length(line);
        const auto x_of = [&](int column) { return MARGIN - shift + column * d_char_width; };
        const auto span = [&](int from, int to)
        { return QRectF(x_of(from), y, (to - from) * d_char_width, d_line_height); };
        if (selection_start < selection_end && selection_start <= start + length && selection_end > start)
        {
            const int from = std::max(0, selection_start - start);
            // A selected line break shows as one selected column.
            const int to = std::min(length + 1, selection_end - start);
            painter.fillRect(span(from, to), colours.highlight());
        }
        if (first_column >= length)
            continue;
        const QString visible =
            d_lines->Mid(start + first_column, std::min(columns, length - first_column));
        painter.setPen(colours.text().color());
        painter.drawText(QPointF(x_of(first_column), y + ascent), visible);
        if (selection_start < selection_end && selection_start < start + length && selection_end > start)
        {
            // The selected part again, in the highlighted text colour and clipped to the selection.
            const int from = std::max(first_column, selection_start - start);
            const int to = std::min(length, selection_end - start);
            painter.save();
            painter.setClipRect(span(from, to));
            painter.setPen(colours.highlightedText().color());
            painter.drawText(QPointF(x_of(first_column), y + ascent), visible);
            painter.restore();
        }
    }
}

void TReportView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    Update_Scroll_Bars();
}

void TReportView::changeEvent(QEvent *event)
{
    if (event)
        QAbstractScrollArea::changeEvent(event);
    if (!event || event->type() == QEvent::FontChange)
    {
        const QFontMetricsF metrics(font());
        d_line_height = std::max(1, int(std::ceil(metrics.lineSpacing())));
        d_char_width = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('M')));
        Update_Scroll_Bars();
    }
}

int TReportView::Offset_At(const QPoint &point) const
{
    const int line = std::clamp(First_Visible_Line() + (point.y() - MARGIN / 2) / d_line_height, 0,
                                d_lines->Line_Count() - 1);
    const int x = point.x() - MARGIN + horizontalScrollBar()->value();
    const int column = std::clamp(int(x / d_char_width + 0.5), 0, d_lines->Line_Length(line));
    return d_lines->Line_Start(line) + column;
}

void TReportView::Select(int anchor, int cursor)
{
    d_anchor = std::clamp(anchor, 0, d_lines->Size());
    d_cursor = std::clamp(cursor, 0, d_lines->Size());
    viewport()->update();
}

void TReportView::Show_Offset(int offset)
{
    const int line = d_lines->Line_Of(offset);
    if (line < First_Visible_Line() || line >= First_Visible_Line() + Visible_Lines())
        verticalScrollBar()->setValue(line - Visible_Lines() / 2);
    const int x = int((offset - d_lines->Line_Start(line)) * d_char_width);
    QScrollBar *horizontal = horizontalScrollBar();
    if (x < horizontal->value() || x > horizontal->value() + viewport()->width() - 2 * MARGIN)
        horizontal->setValue(x - viewport()->width() / 3);
}

void TReportView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int offset = Offset_At(event->pos());
    Select(event->modifiers() & Qt::ShiftModifier ? d_anchor : offset, offset);
}

void TReportView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the edge scrolls on.
    if (event->pos().y() < 0)
        verticalScrollBar()->setValue(First_Visible_Line() - 1);
    else if (event->pos().y() > viewport()->height())
        verticalScrollBar()->setValue(First_Visible_Line() + 1);
    Select(d_anchor, Offset_At(event->pos()));
}

void TReportView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click selects the word under the pointer.
    const TReportLines &text = *d_lines;
    const int offset = Offset_At(event->pos());
    const auto in_word = [&text](int at) { return at >= 0 && at < text.Size() && !text.At(at).isSpace(); };
    int start = offset;
    int end = offset;
    while (in_word(start - 1))
        --start;
    while (in_word(end))
        ++end;
    Select(start, end);
}

void TReportView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *vertical = verticalScrollBar();
    if (event == QKeySequence::Copy)
        Copy();
    else if (event == QKeySequence::SelectAll)
        Select_All();
    else if (event == QKeySequence::MoveToStartOfDocument)
        vertical->setValue(0);
    else if (event == QKeySequence::MoveToEndOfDocument)
        vertical->setValue(vertical->maximum());
    else if (event->key() == Qt::Key_Up)
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->key() == Qt::Key_Down)
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (event->key() == Qt::Key_PageUp)
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (event->key() == Qt::Key_PageDown)
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    else if (event->key() == Qt::Key_Left)
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->key() == Qt::Key_Right)
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        return QAbstractScrollArea::keyPressEvent(event);
    event->accept();
}

void TReportView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("Copy"), this, &TReportView::Copy, QKeySequence::Copy);
    copy->setEnabled(d_anchor != d_cursor);
    menu.addAction(QStringLiteral("Select All"), this, &TReportView::Select_All, QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}
