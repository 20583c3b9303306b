#pragma once

#include "print/PrinterSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <map>
#include <memory>
#include <tuple>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

// The printer surface drawn with QPainter on a QPrinter, or on a QPdfWriter
// for a PDF file (which, unlike a QPrinter, never asks the print system
// anything). Page twips become device units through the device's
// resolution; the origin is the printable area's top left, x shifted by
// ScaleLeft.
//
// Each page is kept until it is complete and then drawn in one go: the form
// was laid out for Letter, and on paper whose printable area is smaller
// (A4 with the usual margins is 94 twips too narrow) the whole page is
// scaled down uniformly to fit, never cut. A page that fits is drawn exactly.
// The painter begins with the first page drawn, so the copies can still be
// set until then.
class QPainterSurface : public PrinterSurface
{
  public:
    explicit QPainterSurface(QPrinter &printer);
    explicit QPainterSurface(std::unique_ptr<QPrinter> printer);
    // The PDF file `file` that `pdf` writes.
    QPainterSurface(std::unique_ptr<QPdfWriter> pdf, const QString &file);
    ~QPainterSurface() override;

    // A PDF file holds one copy; a printer takes what QPrinter accepts.
    bool setCopies(qint16 copies) override;
    bool endDoc() override;
    QString lastError() const override { return m_lastError; }
    double measure(const QString &text, const QString &fontName, double points,
                   bool bold) const override;

    qint16 copies() const override { return m_copies; }
    // The factor the last page was drawn at: 1 when it fitted the paper.
    double lastPageScale() const { return m_lastPageScale; }
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
    void startNewPage() override;
    void fontChanged() override;

    // The PDF file the document is drawn into; empty for a printer.
    QString outputFile() const { return m_file; }
    void setLastError(const QString &cause) { m_lastError = cause; }
    void setCopiesValue(qint16 copies) { m_copies = copies; }
    // True once anything has been drawn: the job's settings are fixed then.
    bool painterStarted() const { return m_drawingBegun; }

  private:
    // One drawing operation of the page being built, in device units at
    // full size.
    struct Item {
        enum class Kind { Text, Box, Picture } kind;
        QRectF rect; // Text: top left is the baseline origin
        QString text;
        int font = -1;
        QImage image;
    };

    bool ensurePainter();
    bool drawPage();
    double fitScale() const;
    void extend(const QRectF &rect);
    const QFontMetricsF &metricsFor(const QString &name, double points, bool bold) const;
    const QFontMetricsF &currentMetrics() const;
    QPointF toDevice(double x, double y) const;

    std::unique_ptr<QPrinter> m_owned;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPrinter *m_printer = nullptr; // null for a QPdfWriter
    QPagedPaintDevice *m_device = nullptr;
    QString m_file;
    QPainter m_painter;
    bool m_started = false;
    bool m_beginFailed = false;
    bool m_ended = false;
    bool m_drawingBegun = false;
    QFont m_font;
    QList<QFont> m_fonts; // the fonts the kept page uses, by Item::font
    QList<Item> m_page;
    double m_right = 0;  // how far the form reaches to the right and down on
    double m_bottom = 0; // the kept page, in device units
    double m_lastPageScale = 1;
    mutable std::map<std::tuple<QString, double, bool>, QFontMetricsF> m_metrics;
    mutable const QFontMetricsF *m_current = nullptr; // of the current font, once looked up
    qint16 m_copies = 1;
    QString m_lastError;
};
