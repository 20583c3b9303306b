#include "print/FormLogo.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace
{

constexpr int logoWidth = 422;
constexpr int logoHeight = 361;

QPainterPath star(QPointF centre, double outer, double inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? inner : outer;
        const double a = qDegreesToRadians(-90.0 + i * 36.0);
        const QPointF p(centre.x() + r * qCos(a), centre.y() + r * qSin(a));
        i ? path.lineTo(p) : path.moveTo(p);
    }
    path.closeSubpath();
    return path;
}

// A quill pen lying across the emblem: the steward's tool.
QPainterPath quill()
{
    QPainterPath path;
    path.moveTo(128, 232);
    path.cubicTo(180, 170, 250, 110, 330, 70);
    path.cubicTo(300, 140, 240, 190, 136, 236);
    path.closeSubpath();
    return path;
}

} // namespace

QImage formLogo()
{
    // QPainter cannot draw on a one-bit image; draw in grey and threshold.
    QImage canvas(logoWidth, logoHeight, QImage::Format_Grayscale8);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF centre(logoWidth / 2.0, logoHeight / 2.0);
    p.setPen(QPen(Qt::black, 14));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 170, 170);
    p.setPen(QPen(Qt::black, 4));
    p.drawEllipse(centre, 148, 148);

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int i = -1; i <= 1; ++i)
        p.drawPath(star(QPointF(centre.x() + i * 44, 70), 16, 7));

    p.drawPath(quill());

    // White letters with a black edge stay readable where they cross the quill.
    QFont letters(QStringLiteral("Arial"));
    letters.setPixelSize(104);
    letters.setBold(true);
    QPainterPath text;
    const QString initials = QStringLiteral("QWU");
    const double textWidth = QFontMetricsF(letters).horizontalAdvance(initials);
    text.addText(centre.x() - textWidth / 2, 208, letters, initials);
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 6));
    p.drawPath(text);

    QFont band(QStringLiteral("Arial"));
    band.setPixelSize(26);
    band.setBold(true);
    band.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(band);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 236, logoWidth, 40), Qt::AlignCenter, QStringLiteral("TARNVALE"));
    p.end();

    return canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
}
