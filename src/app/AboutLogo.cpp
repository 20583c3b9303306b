#include "app/AboutLogo.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace
{

// Draws on a 100 × 100 canvas; the caller scales it. `flat` keeps to plain
// fills that survive reduction to 16 colours without banding.
void drawEmblem(QPainter &p, bool flat)
{
    p.setRenderHint(QPainter::Antialiasing, !flat);

    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(38, 84, 150));
    sky.setColorAt(1, QColor(20, 44, 92));
    p.setPen(Qt::NoPen);
    p.setBrush(flat ? QBrush(QColor(0, 0, 128)) : QBrush(sky));
    p.drawRoundedRect(QRectF(2, 2, 96, 96), 14, 14);

    // The case sheet, its top right corner folded down.
    QPainterPath sheet;
    sheet.moveTo(18, 14);
    sheet.lineTo(58, 14);
    sheet.lineTo(72, 28);
    sheet.lineTo(72, 86);
    sheet.lineTo(18, 86);
    sheet.closeSubpath();
    p.setBrush(QColor(250, 250, 244));
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(58, 14);
    fold.lineTo(58, 28);
    fold.lineTo(72, 28);
    fold.closeSubpath();
    p.setBrush(QColor(196, 204, 214));
    p.drawPath(fold);

    p.setPen(QPen(QColor(120, 150, 190), 2.2, Qt::SolidLine, Qt::FlatCap));
    for (int y = 36; y <= 76; y += 8)
        p.drawLine(QPointF(25, y), QPointF(y < 44 ? 52 : 65, y));

    // The quill: a curved vane along a shaft from the upper right to a nib
    // resting on the sheet's last line.
    const QPointF nib(40, 80);
    const QPointF tip(90, 8);
    QPainterPath vane;
    vane.moveTo(48, 70);
    vane.cubicTo(52, 46, 70, 18, tip.x(), tip.y());
    vane.cubicTo(84, 30, 72, 56, 48, 70);
    QLinearGradient gold(48, 70, 90, 8);
    gold.setColorAt(0, QColor(226, 160, 40));
    gold.setColorAt(1, QColor(255, 228, 140));
    p.setPen(QPen(QColor(120, 70, 10), 1.4));
    p.setBrush(flat ? QBrush(QColor(255, 255, 0)) : QBrush(gold));
    p.drawPath(vane);

    p.setPen(QPen(QColor(90, 50, 10), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shaft;
    shaft.moveTo(nib);
    shaft.cubicTo(52, 58, 68, 32, tip.x(), tip.y());
    p.drawPath(shaft);

    // A drop of ink at the nib.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 60));
    p.drawEllipse(QPointF(nib.x() - 1, nib.y() + 1), 2.6, 2.6);

    // The mark the quill has just made: a red tick in the corner.
    p.setPen(QPen(QColor(200, 30, 40), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(54, 82);
    tick.lineTo(60, 89);
    tick.lineTo(76, 72);
    p.drawPath(tick);
}

// The 16 colours of the classic palette.
QList<QRgb> standardColours()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

} // namespace

QPixmap AboutLogo::picture(int size, const QColor &background)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.scale(size / 100.0, size / 100.0);
    drawEmblem(p, false);
    p.end();
    return QPixmap::fromImage(image);
}

QIcon AboutLogo::windowIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(32 / 100.0, 32 / 100.0);
    drawEmblem(p, true);
    p.end();
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8, standardColours(),
                                           Qt::ThresholdDither | Qt::AvoidDither);
    // The colours plus a see-through mask, as a classic icon carries.
    const int clear = indexed.colorCount();
    indexed.setColorCount(clear + 1);
    indexed.setColor(clear, qRgba(0, 0, 0, 0));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(image.pixel(x, y)) < 128)
                indexed.setPixel(x, y, uint(clear));
    return QIcon(QPixmap::fromImage(indexed));
}
