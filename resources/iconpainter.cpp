// Draws the program's images into resources/: the window icon, the logo, the
// search glass and the tool-bar icons. Run by scripts/icons; the PNG files it
// writes are committed, so a normal build does not need it.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace
{
const QColor INK(0x26, 0x32, 0x38);
const QColor PAPER(0xfa, 0xfa, 0xf7);

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Begin(QPainter *painter, QImage *image)
{
    painter->begin(image);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
}

QFont Bold_Font(int pixel_size)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixel_size);
    return font;
}

// The monitor states: a coloured disc with a glyph, told apart by colour and shape.
QImage Monitor_Icon(const QColor &fill, const QString &glyph)
{
    QImage image = Canvas(32, 32);
    QPainter painter;
    Begin(&painter, &image);
    QRadialGradient gradient(QPointF(12, 10), 20);
    gradient.setColorAt(0, fill.lighter(140));
    gradient.setColorAt(1, fill);
    painter.setPen(QPen(fill.darker(160), 1.5));
    painter.setBrush(gradient);
    painter.drawEllipse(QRectF(2, 2, 28, 28));

    painter.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (glyph == QLatin1String("off"))
    {
        painter.drawArc(QRectF(9, 9, 14, 14), 120 * 16, 300 * 16);
        painter.drawLine(QPointF(16, 7.5), QPointF(16, 15));
    }
    else if (glyph == QLatin1String("wait"))
    {
        painter.drawArc(QRectF(9, 9, 14, 14), 30 * 16, 250 * 16);
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        QPainterPath head;
        head.moveTo(24.5, 8.5);
        head.lineTo(24.5, 16);
        head.lineTo(17.5, 13);
        head.closeSubpath();
        painter.drawPath(head);
    }
    else if (glyph == QLatin1String("ok"))
    {
        QPainterPath check;
        check.moveTo(9.5, 16.5);
        check.lineTo(14, 21);
        check.lineTo(22.5, 11);
        painter.drawPath(check);
    }
    else
    {
        painter.drawLine(QPointF(11, 11), QPointF(21, 21));
        painter.drawLine(QPointF(21, 11), QPointF(11, 21));
    }
    painter.end();
    return image;
}

// A sheet with a folded corner and a coloured band carrying a short word.
QImage Export_Icon(const QString &word, const QColor &band, bool selected, bool lines)
{
    QImage image = Canvas(32, 32);
    QPainter painter;
    Begin(&painter, &image);
    QPainterPath sheet;
    sheet.moveTo(6, 2);
    sheet.lineTo(20, 2);
    sheet.lineTo(27, 9);
    sheet.lineTo(27, 30);
    sheet.lineTo(6, 30);
    sheet.closeSubpath();
    painter.setPen(QPen(INK, 1.2));
    painter.setBrush(PAPER);
    painter.drawPath(sheet);
    painter.setBrush(QColor(0xd8, 0xd8, 0xd2));
    QPainterPath fold;
    fold.moveTo(20, 2);
    fold.lineTo(20, 9);
    fold.lineTo(27, 9);
    fold.closeSubpath();
    painter.drawPath(fold);

    // Text lines for a text file, a grid of cells for a table.
    painter.setPen(QPen(QColor(0x8a, 0x94, 0x98), 1.2));
    painter.setBrush(Qt::NoBrush);
    if (lines)
    {
        painter.drawLine(QPointF(9, 7), QPointF(17, 7));
        painter.drawLine(QPointF(9, 10.5), QPointF(24, 10.5));
        painter.drawLine(QPointF(9, 14), QPointF(22, 14));
    }
    else
    {
        painter.drawRect(QRectF(9, 5.5, 15, 9.5));
        painter.drawLine(QPointF(14, 5.5), QPointF(14, 15));
        painter.drawLine(QPointF(19, 5.5), QPointF(19, 15));
        painter.drawLine(QPointF(9, 10.25), QPointF(24, 10.25));
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRoundedRect(QRectF(1, 17, 30, 11), 2, 2);
    painter.setPen(Qt::white);
    painter.setFont(Bold_Font(9));
    painter.drawText(QRectF(1, 17, 30, 11), Qt::AlignCenter, word);

    if (selected)
    {
        painter.setPen(QPen(Qt::white, 1.2));
        painter.setBrush(QColor(0xf5, 0x9e, 0x0b));
        painter.drawEllipse(QRectF(0.5, 0.5, 12, 12));
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath check;
        check.moveTo(3.5, 6.5);
        check.lineTo(5.8, 9);
        check.lineTo(9.5, 4);
        painter.drawPath(check);
    }
    painter.end();
    return image;
}

QImage Window_Icon()
{
    QImage image = Canvas(64, 64);
    QPainter painter;
    Begin(&painter, &image);
    QLinearGradient gradient(0, 0, 0, 64);
    gradient.setColorAt(0, QColor(0x1e, 0x88, 0xe5));
    gradient.setColorAt(1, QColor(0x0d, 0x47, 0xa1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(13, 12, 34, 34));
    painter.drawLine(QPointF(38, 38), QPointF(50, 51));
    painter.setPen(QPen(QColor(0xff, 0xc1, 0x07), 2.5));
    painter.drawLine(QPointF(30, 22), QPointF(30, 36));
    painter.drawLine(QPointF(23, 29), QPointF(37, 29));
    painter.end();
    return image;
}

QImage Logo()
{
    QImage image = Canvas(100, 40);
    QPainter painter;
    Begin(&painter, &image);
    painter.setPen(QPen(QColor(0x0d, 0x47, 0xa1), 3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(4, 9, 20, 20));
    painter.drawLine(QPointF(19, 24), QPointF(26, 32));
    painter.setPen(QPen(QColor(0xf5, 0x9e, 0x0b), 1.6));
    painter.drawLine(QPointF(14, 14), QPointF(14, 24));
    painter.drawLine(QPointF(9, 19), QPointF(19, 19));
    painter.setPen(INK);
    painter.setFont(Bold_Font(16));
    painter.drawText(QRectF(28, 6, 72, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("uorvex"));
    painter.end();
    return image;
}

QImage Search_Glass()
{
    QImage image = Canvas(16, 16);
    QPainter painter;
    Begin(&painter, &image);
    painter.setPen(QPen(INK, 1.8));
    painter.setBrush(QColor(0xe3, 0xf2, 0xfd));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    painter.setPen(QPen(INK, 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    painter.end();
    return image;
}
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2)
    {
        QTextStream(stderr) << "usage: quorvex-icons RESOURCE_FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const struct
    {
        const char *path;
        QImage image;
    } images[] = {
        {"icons/quorvex.png", Window_Icon()},
        {"images/logo.png", Logo()},
        {"icons/search_x16.png", Search_Glass()},
        {"toolbar/not_connected_x32.png", Monitor_Icon(QColor(0x78, 0x86, 0x8c), QStringLiteral("off"))},
        {"toolbar/connecting_x32.png", Monitor_Icon(QColor(0xf0, 0x9a, 0x00), QStringLiteral("wait"))},
        {"toolbar/connected_x32.png", Monitor_Icon(QColor(0x2e, 0x9d, 0x3a), QStringLiteral("ok"))},
        {"toolbar/err_connect_x32.png", Monitor_Icon(QColor(0xd3, 0x2f, 0x2f), QStringLiteral("error"))},
        {"toolbar/export_all_csv_x32.png", Export_Icon(QStringLiteral("CSV"), QColor(0x2e, 0x7d, 0x32), false, false)},
        {"toolbar/export_selected_csv_x32.png",
         Export_Icon(QStringLiteral("CSV"), QColor(0x2e, 0x7d, 0x32), true, false)},
        {"toolbar/export_selected_txt_x32.png",
         Export_Icon(QStringLiteral("TXT"), QColor(0x15, 0x65, 0xc0), true, true)},
    };
    for (const auto &entry : images)
    {
        const QString path = folder.filePath(QString::fromLatin1(entry.path));
        QDir().mkpath(QFileInfo(path).path());
        if (!entry.image.save(path, "PNG"))
        {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
