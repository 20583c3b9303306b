#include "support/RecordingSurface.h"

QList<RecordedOp> RecordedDocument::ofKind(RecordedOp::Kind kind) const
{
    QList<RecordedOp> result;
    for (const RecordedOp &o : ops)
        if (o.kind == kind)
            result.append(o);
    return result;
}

QStringList RecordedDocument::printedTexts() const
{
    QStringList result;
    for (const RecordedOp &o : ops)
        if (o.kind == RecordedOp::Kind::Print && !o.text.isEmpty())
            result.append(o.text);
    return result;
}

int RecordedDocument::pageCount() const
{
    return 1 + int(ofKind(RecordedOp::Kind::NewPage).size());
}

RecordingSurface::RecordingSurface(std::shared_ptr<RecordedDocument> document)
    : m_doc(document ? std::move(document) : std::make_shared<RecordedDocument>())
{
}

void RecordingSurface::setMetrics(double size, bool bold, double charWidth, double lineHeight)
{
    m_metrics.insert({size, bold}, Metrics{charWidth, lineHeight});
}

RecordingSurface::Metrics RecordingSurface::metrics(double size, bool bold) const
{
    return m_metrics.value({size, bold}, Metrics{size * 10.0, size * 23.0});
}

double RecordingSurface::measure(const QString &text, const QString &, double points,
                                 bool bold) const
{
    return metrics(points, bold).charWidth * double(text.size());
}

RecordedOp RecordingSurface::op(RecordedOp::Kind kind) const
{
    RecordedOp o;
    o.kind = kind;
    o.fontName = fontName();
    o.fontSize = fontSize();
    o.bold = fontBold();
    return o;
}

bool RecordingSurface::setCopies(qint16 copies)
{
    RecordedOp o = op(RecordedOp::Kind::Copies);
    o.copies = copies;
    o.accepted = !m_refuseCopies;
    m_doc->ops.append(o);
    if (m_refuseCopies)
        return false;
    m_doc->copies = copies;
    return true;
}

void RecordingSurface::setScaleLeft(double twips)
{
    PrinterSurface::setScaleLeft(twips);
    RecordedOp o = op(RecordedOp::Kind::ScaleLeft);
    o.x1 = twips;
    m_doc->ops.append(o);
}

void RecordingSurface::setFontName(const QString &name)
{
    PrinterSurface::setFontName(name);
    m_doc->ops.append(op(RecordedOp::Kind::Font));
}

void RecordingSurface::setFontSize(double points)
{
    PrinterSurface::setFontSize(points);
    m_doc->ops.append(op(RecordedOp::Kind::Font));
}

void RecordingSurface::setFontBold(bool bold)
{
    PrinterSurface::setFontBold(bold);
    m_doc->ops.append(op(RecordedOp::Kind::Font));
}

void RecordingSurface::setCurrentX(double twips)
{
    PrinterSurface::setCurrentX(twips);
    RecordedOp o = op(RecordedOp::Kind::MoveX);
    o.x1 = twips;
    m_doc->ops.append(o);
}

void RecordingSurface::setCurrentY(double twips)
{
    PrinterSurface::setCurrentY(twips);
    RecordedOp o = op(RecordedOp::Kind::MoveY);
    o.y1 = twips;
    m_doc->ops.append(o);
}

bool RecordingSurface::endDoc()
{
    RecordedOp o = op(RecordedOp::Kind::EndDoc);
    o.accepted = m_endDocFailure.isEmpty();
    m_doc->ops.append(o);
    m_doc->ended = true;
    m_doc->delivered = o.accepted;
    m_lastError = m_endDocFailure;
    return o.accepted;
}

double RecordingSurface::textWidth(const QString &text) const
{
    return metrics().charWidth * double(text.size());
}

double RecordingSurface::lineHeight() const
{
    return metrics().lineHeight;
}

void RecordingSurface::drawText(const QString &text, double x, double y, bool stayOnLine)
{
    RecordedOp o = op(RecordedOp::Kind::Print);
    o.text = text;
    o.x1 = x;
    o.y1 = y;
    o.stayOnLine = stayOnLine;
    m_doc->ops.append(o);
}

void RecordingSurface::fillBox(double x1, double y1, double x2, double y2)
{
    RecordedOp o = op(RecordedOp::Kind::Line);
    o.x1 = x1;
    o.y1 = y1;
    o.x2 = x2;
    o.y2 = y2;
    m_doc->ops.append(o);
}

void RecordingSurface::drawPicture(const QImage &image, double x, double y, double width,
                                   double height)
{
    RecordedOp o = op(RecordedOp::Kind::Picture);
    o.x1 = x;
    o.y1 = y;
    o.x2 = width;
    o.y2 = height;
    o.pictureSize = image.size();
    m_doc->ops.append(o);
}

void RecordingSurface::startNewPage()
{
    m_doc->ops.append(op(RecordedOp::Kind::NewPage));
}
