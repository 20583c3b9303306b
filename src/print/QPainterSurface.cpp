#include "print/QPainterSurface.h"

#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFontInfo>
#include <QPrinter>
#include <QSet>

namespace
{

constexpr double twipsPerInch = 1440.0;

void noteFontResolution(const QFont &font)
{
    // Every position on the form follows Arial's widths and heights; warn
    // once per face when the system substitutes something that does not match.
    static QSet<QString> noted;
    if (noted.contains(font.family()))
        return;
    noted.insert(font.family());
    const QString family = QFontInfo(font).family();
    if (font.family() == QLatin1String("Arial") && !QPainterSurface::isArialCompatible(family))
        qWarning("Printing: \"Arial\" resolves to \"%s\", which is not metric-compatible; "
                 "install fonts-liberation2 for the form's layout",
                 qPrintable(family));
}

} // namespace

QPainterSurface::QPainterSurface(QPrinter &printer) : m_printer(&printer)
{
    fontChanged();
}

QPainterSurface::QPainterSurface(std::unique_ptr<QPrinter> printer)
    : m_owned(std::move(printer)), m_printer(m_owned.get())
{
    fontChanged();
}

QPainterSurface::~QPainterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool QPainterSurface::isArialCompatible(const QString &family)
{
    return family == QLatin1String("Arial") || family == QLatin1String("Liberation Sans") ||
           family == QLatin1String("Arimo");
}

QString QPainterSurface::resolvedFamily() const
{
    return QFontInfo(m_font).family();
}

bool QPainterSurface::setCopies(qint16 copies)
{
    // The number of copies is part of the job; once drawing has begun it can
    // no longer change.
    if (m_started || copies < 1)
        return false;
    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        if (copies != 1)
            return false;
    } else {
        m_printer->setCopyCount(copies);
        if (m_printer->copyCount() != copies)
            return false;
    }
    m_copies = copies;
    return true;
}

bool QPainterSurface::ensurePainter()
{
    if (m_started)
        return true;
    if (m_beginFailed || m_ended)
        return false;
    // A new output file is made private before the printer opens it by its
    // name; a file that exists already is overwritten with its own rights.
    const QString file = m_printer->outputFileName();
    const bool created = !file.isEmpty() && PrivateFiles::createFile(file);
    if (!m_painter.begin(m_printer)) {
        if (created)
            QFile::remove(file);
        m_beginFailed = true;
        m_lastError = m_printer->outputFileName().isEmpty()
                          ? QStringLiteral("the printer \"%1\" could not be opened.")
                                .arg(m_printer->printerName())
                          : QStringLiteral("the file \"%1\" could not be written.")
                                .arg(m_printer->outputFileName());
        return false;
    }
    m_started = true;
    m_fontDirty = true;
    return true;
}

bool QPainterSurface::endDoc()
{
    // A document with nothing drawn still goes out as one blank page.
    if (!ensurePainter())
        return false;
    m_ended = true;
    const bool ended = m_painter.end();
    m_started = false;
    if (!ended || m_printer->printerState() == QPrinter::Error ||
        m_printer->printerState() == QPrinter::Aborted) {
        if (m_lastError.isEmpty())
            m_lastError = QStringLiteral("the document could not be finished.");
        return false;
    }
    return true;
}

void QPainterSurface::fontChanged()
{
    QFont font(fontName());
    font.setPointSizeF(fontSize());
    font.setBold(fontBold());
    m_font = font;
    m_metrics.reset();
    m_fontDirty = true;
    noteFontResolution(m_font);
}

const QFontMetricsF &QPainterSurface::metrics() const
{
    if (!m_metrics)
        m_metrics.emplace(m_font, m_printer);
    return *m_metrics;
}

double QPainterSurface::twipsFromDevice(double units) const
{
    return units * twipsPerInch / m_printer->logicalDpiY();
}

QPointF QPainterSurface::toDevice(double x, double y) const
{
    return QPointF((x - scaleLeft()) * m_printer->logicalDpiX() / twipsPerInch,
                   y * m_printer->logicalDpiY() / twipsPerInch);
}

double QPainterSurface::textWidth(const QString &text) const
{
    return metrics().horizontalAdvance(text) * twipsPerInch / m_printer->logicalDpiX();
}

double QPainterSurface::lineHeight() const
{
    return twipsFromDevice(metrics().height());
}

void QPainterSurface::drawText(const QString &text, double x, double y, bool)
{
    if (text.isEmpty() || !ensurePainter())
        return;
    if (m_fontDirty) {
        m_painter.setFont(m_font);
        m_fontDirty = false;
    }
    // The position is the top of the text line; QPainter places the baseline.
    m_painter.drawText(toDevice(x, y) + QPointF(0, metrics().ascent()), text);
}

void QPainterSurface::fillBox(double x1, double y1, double x2, double y2)
{
    if (!ensurePainter())
        return;
    m_painter.fillRect(QRectF(toDevice(x1, y1), toDevice(x2, y2)).normalized(), Qt::black);
}

void QPainterSurface::drawPicture(const QImage &image, double x, double y, double width,
                                  double height)
{
    if (image.isNull() || !ensurePainter())
        return;
    m_painter.drawImage(QRectF(toDevice(x, y), toDevice(x + width, y + height)), image);
}
