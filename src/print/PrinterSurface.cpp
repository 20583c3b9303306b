#include "print/PrinterSurface.h"

void PrinterSurface::setFontName(const QString &name)
{
    m_fontName = name;
    fontChanged();
}

void PrinterSurface::setFontSize(double points)
{
    m_fontSize = points;
    fontChanged();
}

void PrinterSurface::setFontBold(bool bold)
{
    m_fontBold = bold;
    fontChanged();
}

void PrinterSurface::print(const QString &text, bool stayOnLine)
{
    drawText(text, m_x, m_y, stayOnLine);
    if (stayOnLine) {
        m_x += textWidth(text);
    } else {
        // The line height is taken after the text is drawn, in the same font:
        // a line end always moves by the font the line was printed in.
        m_x = 0;
        m_y += lineHeight();
    }
}

void PrinterSurface::line(double x1, double y1, double x2, double y2)
{
    fillBox(x1, y1, x2, y2);
    m_x = x2;
    m_y = y2;
}

void PrinterSurface::paintPicture(const QImage &image, double x, double y, double width,
                                  double height)
{
    drawPicture(image, x, y, width, height);
}

void PrinterSurface::newPage()
{
    startNewPage();
    m_x = 0;
    m_y = 0;
}
