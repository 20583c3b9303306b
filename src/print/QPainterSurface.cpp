#include "print/QPainterSurface.h"

#include "platform/core/PrivateFiles.h"
#include "print/PdfFileCheck.h"

#include <QFile>
#include <QFontInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSet>
#include <algorithm>

namespace
{

constexpr double twipsPerInch = 1440.0;

QFont fontFor(const QString &name, double points, bool bold)
{
    QFont font(name);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

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

QPainterSurface::QPainterSurface(QPrinter &printer)
    : m_printer(&printer), m_device(&printer), m_file(printer.outputFileName())
{
    fontChanged();
}

QPainterSurface::QPainterSurface(std::unique_ptr<QPrinter> printer)
    : m_owned(std::move(printer)), m_printer(m_owned.get()), m_device(m_printer),
      m_file(m_printer->outputFileName())
{
    fontChanged();
}

QPainterSurface::QPainterSurface(std::unique_ptr<QPdfWriter> pdf, const QString &file)
    : m_pdf(std::move(pdf)), m_device(m_pdf.get()), m_file(file)
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
    if (m_drawingBegun || copies < 1)
        return false;
    if (!m_printer || m_printer->outputFormat() == QPrinter::PdfFormat) {
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
    const QString &file = m_file;
    const bool created = !file.isEmpty() && PrivateFiles::createFile(file);
    if (!m_painter.begin(m_device)) {
        if (created)
            QFile::remove(file);
        m_beginFailed = true;
        m_lastError = file.isEmpty()
                          ? QStringLiteral("the printer \"%1\" could not be opened.")
                                .arg(m_printer ? m_printer->printerName() : QString())
                          : QStringLiteral("the file \"%1\" could not be written.").arg(file);
        return false;
    }
    m_started = true;
    return true;
}

double QPainterSurface::fitScale() const
{
    const QRectF area = m_device->pageLayout().paintRectPixels(m_device->logicalDpiX());
    double scale = 1;
    if (m_right > area.width())
        scale = area.width() / m_right;
    if (m_bottom > area.height())
        scale = std::min(scale, area.height() / m_bottom);
    return scale;
}

bool QPainterSurface::drawPage()
{
    const bool ready = ensurePainter();
    if (ready) {
        m_lastPageScale = fitScale();
        m_painter.save();
        m_painter.scale(m_lastPageScale, m_lastPageScale);
        int font = -1;
        for (const Item &item : std::as_const(m_page)) {
            switch (item.kind) {
            case Item::Kind::Text:
                if (item.font != font) {
                    font = item.font;
                    m_painter.setFont(m_fonts.at(font));
                }
                m_painter.drawText(item.rect.topLeft(), item.text);
                break;
            case Item::Kind::Box:
                m_painter.fillRect(item.rect, Qt::black);
                break;
            case Item::Kind::Picture:
                m_painter.drawImage(item.rect, item.image);
                break;
            }
        }
        m_painter.restore();
    }
    m_page.clear();
    m_fonts.clear();
    m_right = 0;
    m_bottom = 0;
    return ready;
}

void QPainterSurface::startNewPage()
{
    if (drawPage())
        m_device->newPage();
}

bool QPainterSurface::endDoc()
{
    // A document with nothing drawn still goes out as one blank page.
    if (!drawPage())
        return false;
    m_ended = true;
    const bool ended = m_painter.end();
    m_started = false;
    if (!ended || (m_printer && (m_printer->printerState() == QPrinter::Error ||
                                 m_printer->printerState() == QPrinter::Aborted))) {
        if (m_lastError.isEmpty())
            m_lastError = QStringLiteral("the document could not be finished.");
        return false;
    }
    // Qt's PDF engine reports success even when the file could not be
    // written to its end (a full disk): a truncated file must not be
    // printed or announced as saved.
    if (!m_file.isEmpty() && (!m_printer || m_printer->outputFormat() == QPrinter::PdfFormat)) {
        const QString fault = PdfFileCheck::incompleteReason(m_file);
        if (!fault.isEmpty()) {
            m_lastError = fault;
            return false;
        }
    }
    return true;
}

void QPainterSurface::fontChanged()
{
    m_font = fontFor(fontName(), fontSize(), fontBold());
    m_current = nullptr;
    noteFontResolution(m_font);
}

const QFontMetricsF &QPainterSurface::metricsFor(const QString &name, double points,
                                                 bool bold) const
{
    const auto key = std::make_tuple(name, points, bold);
    auto it = m_metrics.find(key);
    if (it == m_metrics.end())
        it = m_metrics.emplace(key, QFontMetricsF(fontFor(name, points, bold), m_device)).first;
    return it->second;
}

const QFontMetricsF &QPainterSurface::currentMetrics() const
{
    if (!m_current)
        m_current = &metricsFor(fontName(), fontSize(), fontBold());
    return *m_current;
}

double QPainterSurface::measure(const QString &text, const QString &fontName, double points,
                                bool bold) const
{
    return metricsFor(fontName, points, bold).horizontalAdvance(text) * twipsPerInch /
           m_device->logicalDpiX();
}

QPointF QPainterSurface::toDevice(double x, double y) const
{
    return QPointF((x - scaleLeft()) * m_device->logicalDpiX() / twipsPerInch,
                   y * m_device->logicalDpiY() / twipsPerInch);
}

double QPainterSurface::textWidth(const QString &text) const
{
    return currentMetrics().horizontalAdvance(text) * twipsPerInch / m_device->logicalDpiX();
}

double QPainterSurface::lineHeight() const
{
    return currentMetrics().height() * twipsPerInch / m_device->logicalDpiY();
}

// Everything drawn says how far the page reaches: a case facts line may end
// up to ten characters past the rule it stands on, and a long value runs on
// past the form's right edge (it is never cut). The page is scaled down only
// as far as the farthest of them needs.
void QPainterSurface::extend(const QRectF &rect)
{
    m_drawingBegun = true;
    m_right = std::max(m_right, rect.right());
    m_bottom = std::max(m_bottom, rect.bottom());
}

void QPainterSurface::drawText(const QString &text, double x, double y, bool)
{
    if (text.isEmpty())
        return;
    if (m_fonts.isEmpty() || m_fonts.last() != m_font)
        m_fonts.append(m_font);
    const QFontMetricsF &m = metricsFor(fontName(), fontSize(), fontBold());
    // The position is the top of the text line; QPainter places the baseline.
    const QPointF top = toDevice(x, y);
    Item item{Item::Kind::Text,
              QRectF(top + QPointF(0, m.ascent()), QSizeF()),
              text,
              int(m_fonts.size() - 1),
              {}};
    m_page.append(item);
    // A glyph may reach a little past its advance (a W, an italic end).
    const double width = std::max(m.horizontalAdvance(text), m.boundingRect(text).right());
    extend(QRectF(top, QSizeF(width, m.height())));
}

void QPainterSurface::fillBox(double x1, double y1, double x2, double y2)
{
    const QRectF rect = QRectF(toDevice(x1, y1), toDevice(x2, y2)).normalized();
    m_page.append(Item{Item::Kind::Box, rect, {}, -1, {}});
    extend(rect);
}

void QPainterSurface::drawPicture(const QImage &image, double x, double y, double width,
                                  double height)
{
    if (image.isNull())
        return;
    const QRectF rect(toDevice(x, y), toDevice(x + width, y + height));
    m_page.append(Item{Item::Kind::Picture, rect, {}, -1, image});
    extend(rect);
}
