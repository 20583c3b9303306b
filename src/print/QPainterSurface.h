#pragma once

#include "print/PrinterSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <memory>
#include <optional>

class QPrinter;

// The printer surface drawn with QPainter on a QPrinter. Page twips become
// device units through the printer's resolution; the origin is the printable
// area's top left, x shifted by ScaleLeft. The painter begins on the first
// drawing, so the copies can still be set until then.
class QPainterSurface : public PrinterSurface
{
  public:
    explicit QPainterSurface(QPrinter &printer);
    explicit QPainterSurface(std::unique_ptr<QPrinter> printer);
    ~QPainterSurface() override;

    // A PDF file holds one copy; a printer takes what QPrinter accepts.
    bool setCopies(qint16 copies) override;
    bool endDoc() override;
    QString lastError() const override { return m_lastError; }

    qint16 copies() const { return m_copies; }
    // The family that the current font name resolved to.
    QString resolvedFamily() const;
    // Faces whose widths and heights match Arial's, on which the layout holds.
    static bool isArialCompatible(const QString &family);

  protected:
    double textWidth(const QString &text) const override;
    double lineHeight() const override;
    void drawText(const QString &text, double x, double y, bool stayOnLine) override;
    void fillBox(double x1, double y1, double x2, double y2) override;
    void drawPicture(const QImage &image, double x, double y, double width, double height) override;
    void fontChanged() override;

    QPrinter &printer() const { return *m_printer; }
    void setLastError(const QString &cause) { m_lastError = cause; }
    void setCopiesValue(qint16 copies) { m_copies = copies; }
    bool painterStarted() const { return m_started; }

  private:
    bool ensurePainter();
    const QFontMetricsF &metrics() const;
    QPointF toDevice(double x, double y) const;
    double twipsFromDevice(double units) const;

    std::unique_ptr<QPrinter> m_owned;
    QPrinter *m_printer = nullptr;
    QPainter m_painter;
    bool m_started = false;
    bool m_beginFailed = false;
    bool m_ended = false;
    bool m_fontDirty = true;
    QFont m_font;
    mutable std::optional<QFontMetricsF> m_metrics;
    qint16 m_copies = 1;
    QString m_lastError;
};
