#include "src/statistics/ui/statisticspdf.h"

#include "src/statistics/ui/statisticscharts.h"

#include <QBuffer>
#include <QGraphicsScene>
#include <QPainter>
#include <QPdfWriter>
#include <QtCharts/QChart>

#include <algorithm>
#include <memory>

namespace
{
// Writes from the top of a page down and starts a new page, with its header,
// where the next piece does not fit.
class TPages
{
public:
    TPages(QPdfWriter *writer, QPainter *painter, const QString &header)
        : d_writer(writer), d_painter(painter), d_header(header), d_page(0), d_y(0)
    {
        Header();
    }

    int Width() const { return d_writer->width(); }
    int Height() const { return d_writer->height(); }
    int Top() const { return d_y; }
    void Advance(int height) { d_y += height; }

    // Room for height more, on this page or a new one.
    void Ensure(int height)
    {
        if (d_y + height <= Height())
            return;
        d_writer->newPage();
        Header();
    }

private:
    void Header()
    {
        ++d_page;
        d_painter->save();
        QFont font = d_painter->font();
        font.setPointSizeF(8);
        d_painter->setFont(font);
        const int height = d_painter->fontMetrics().height();
        const QRect line(0, 0, Width(), height);
        d_painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, d_header);
        d_painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1").arg(d_page));
        d_painter->drawLine(0, height + height / 4, Width(), height + height / 4);
        d_painter->restore();
        d_y = height * 2;
    }

    QPdfWriter *d_writer;
    QPainter *d_painter;
    QString d_header;
    int d_page;
    int d_y;
};

void Paragraph(TPages *pages, QPainter *painter, const QString &text, qreal point_size, bool bold)
{
    QFont font = painter->font();
    font.setPointSizeF(point_size);
    font.setBold(bold);
    painter->setFont(font);
    const QRect bounds =
        painter->fontMetrics().boundingRect(QRect(0, 0, pages->Width(), 100000), Qt::TextWordWrap, text);
    pages->Ensure(bounds.height());
    painter->drawText(QRect(0, pages->Top(), pages->Width(), bounds.height()), Qt::TextWordWrap, text);
    pages->Advance(bounds.height() + painter->fontMetrics().height() / 2);
}

// Column widths from the widest cell, the text columns cut where the page is too narrow.
QVector<int> Column_Widths(const TStatisticsTable &table, const QFontMetrics &metrics, int available)
{
    const int padding = metrics.horizontalAdvance(QStringLiteral("  "));
    QVector<int> widths;
    for (int column = 0; column < table.Column_Count(); ++column)
    {
        int width = metrics.horizontalAdvance(table.Headers().at(column));
        for (int row = 0; row < table.Row_Count(); ++row)
            width = std::max(width, metrics.horizontalAdvance(table.Row(row).value(column)));
        widths << width + padding;
    }
    int total = 0;
    int text = 0;
    for (int column = 0; column < widths.size(); ++column)
    {
        total += widths[column];
        text += table.Numeric(column) ? 0 : widths[column];
    }
    if (total > available && text > 0)
    {
        const double scale = std::max(0.1, double(text - (total - available)) / text);
        for (int column = 0; column < widths.size(); ++column)
            if (!table.Numeric(column))
                widths[column] = int(widths[column] * scale);
    }
    return widths;
}

void Table(TPages *pages, QPainter *painter, const TStatisticsTable &table)
{
    Paragraph(pages, painter, table.Title(), 12, true);
    QFont font = painter->font();
    font.setPointSizeF(7.5);
    const QFontMetrics metrics(font, painter->device());
    const QVector<int> widths = Column_Widths(table, metrics, pages->Width());
    const int row_height = metrics.height() * 5 / 4;
    const auto draw_row = [&](const QStringList &cells, bool bold)
    {
        pages->Ensure(row_height);
        font.setBold(bold);
        painter->setFont(font);
        int x = 0;
        for (int column = 0; column < widths.size(); ++column)
        {
            const QRect cell(x, pages->Top(), widths[column] - metrics.averageCharWidth(), row_height);
            const Qt::Alignment alignment = table.Numeric(column) ? Qt::AlignRight : Qt::AlignLeft;
            painter->drawText(cell, int(alignment | Qt::AlignVCenter),
                              metrics.elidedText(cells.value(column), Qt::ElideRight, cell.width()));
            x += widths[column];
        }
        pages->Advance(row_height);
    };
    draw_row(table.Headers(), true);
    painter->drawLine(0, pages->Top(), pages->Width(), pages->Top());
    for (int row = 0; row < table.Row_Count(); ++row)
        draw_row(table.Row(row), false);
    pages->Advance(row_height);
}

void Chart(TPages *pages, QPainter *painter, QtCharts::QChart *chart)
{
    QGraphicsScene scene;
    scene.addItem(chart);
    chart->resize(1000, 560);
    const int height = pages->Width() * 56 / 100;
    pages->Ensure(height);
    scene.render(painter, QRectF(0, pages->Top(), pages->Width(), height), chart->geometry());
    pages->Advance(height + painter->fontMetrics().height());
}

} // namespace

bool TStatisticsPdf::Write(QIODevice *device, const TStatistics &statistics, TStatistics::TPeriodKind kind)
{
    const QString range = statistics.First_Date().isValid()
                              ? QStringLiteral("%1 to %2")
                                    .arg(statistics.First_Date().toString(Qt::ISODate),
                                         statistics.Last_Date().toString(Qt::ISODate))
                              : QStringLiteral("no dates");
    const QPalette paper = Paper();
    std::vector<TSection> sections;
    const auto add = [&sections](const TStatisticsTable &table, QtCharts::QChart *chart, const QString &note)
    {
        sections.emplace_back();
        sections.back().table = table;
        sections.back().chart.reset(chart);
        sections.back().note = note;
    };
    add(statistics.Program_Table(), TStatisticsCharts::Execution_Times(statistics, paper), QString());
    add(statistics.Period_Table(kind), TStatisticsCharts::Utilisation(statistics, kind, paper),
        TStatistics::Utilisation_Rule());
    add(statistics.Message_Table(), TStatisticsCharts::Pareto(statistics, paper), QString());
    add(statistics.Lost_Time().Table(), TStatisticsCharts::Lost_Time(statistics, paper), QString());
    add(statistics.Pace_Table(), TStatisticsCharts::Pace(statistics, paper), QString());
    return Write(device, QStringLiteral("Quorvex statistics, %1").arg(range), statistics.Summary_Lines(),
                 &sections);
}

bool TStatisticsPdf::Write(QIODevice *device, const QString &title, const QStringList &summary,
                           std::vector<TSection> *sections)
{
    QPdfWriter writer(device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Quorvex"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    TPages pages(&writer, &painter, title);
    Paragraph(&pages, &painter, QStringLiteral("Summary"), 14, true);
    Paragraph(&pages, &painter, summary.join(QLatin1Char('\n')), 9, false);
    for (TSection &section : *sections)
    {
        Table(&pages, &painter, section.table);
        if (!section.note.isEmpty())
            Paragraph(&pages, &painter, section.note, 8, false);
        if (section.chart)
            Chart(&pages, &painter, section.chart.release());
    }
    return painter.end();
}

QPalette TStatisticsPdf::Paper()
{
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Mid, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Midlight, QColor(0xd8, 0xd8, 0xd8));
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xa0));
    return palette;
}

QByteArray TStatisticsPdf::Document(const TStatistics &statistics, TStatistics::TPeriodKind kind)
{
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    Write(&buffer, statistics, kind);
    return document;
}
