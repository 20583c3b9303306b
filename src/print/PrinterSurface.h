#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

// The classic printer object as the page programs see it: a current position
// and a current font in twips and points, texts that move the position as they
// are printed, filled boxes, a picture, and the end of the document.
//
// The position rules live here, once, so that the recording back end the tests
// use and the QPainter back end that prints obey exactly the same rules; a back
// end only measures, draws and delivers.
class PrinterSurface
{
  public:
    virtual ~PrinterSurface() = default;

    // False when the printer cannot honour the number; the setting then keeps
    // its previous value.
    virtual bool setCopies(qint16 copies) = 0;
    // The copies the document goes out in: the last number accepted, or the
    // printer's own setting when none was.
    virtual qint16 copies() const = 0;

    // x of the printable area's left edge in page coordinates (-560 places
    // x = 0 that far right of the edge).
    virtual void setScaleLeft(double twips) { m_scaleLeft = twips; }
    double scaleLeft() const { return m_scaleLeft; }

    virtual void setFontName(const QString &name);
    virtual void setFontSize(double points);
    virtual void setFontBold(bool bold);
    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    bool fontBold() const { return m_fontBold; }

    double currentX() const { return m_x; }
    double currentY() const { return m_y; }
    virtual void setCurrentX(double twips) { m_x = twips; }
    virtual void setCurrentY(double twips) { m_y = twips; }

    // Draws text with the top left of its text line at the current position.
    // stayOnLine (the classic ";") moves CurrentX right by the text's width;
    // otherwise the line ends: CurrentX = 0, CurrentY down one line height of
    // the current font. An empty text with a line end only ends the line.
    void print(const QString &text, bool stayOnLine);
    // A filled black box between the corners; the position ends at (x2, y2).
    void line(double x1, double y1, double x2, double y2);
    // The whole image scaled into the rectangle; the position is not moved.
    void paintPicture(const QImage &image, double x, double y, double width, double height);
    // Ends the page and starts the next one of the same document; the
    // position returns to (0, 0).
    void newPage();

    // The width the text takes in the given font, without changing the
    // current one: page programs that must know where a text will break
    // before they print it ask here.
    virtual double measure(const QString &text, const QString &fontName, double points,
                           bool bold) const = 0;

    // The file the document is saved in when it goes to no printer at all;
    // empty for a printer. A file holds one copy.
    virtual QString savedFile() const { return {}; }

    // Ends the document and hands it over. False when it could not be
    // delivered at all; lastError() then names the cause.
    virtual bool endDoc() = 0;
    virtual QString lastError() const = 0;
    // Whether the document stopped because the steward gave up waiting for
    // the print system.
    bool cancelled() const { return m_cancelled; }

  protected:
    // Measured in the current font, in twips.
    virtual double textWidth(const QString &text) const = 0;
    virtual double lineHeight() const = 0;

    // Called for every Print, also an empty one, before the position moves.
    virtual void drawText(const QString &text, double x, double y, bool stayOnLine) = 0;
    virtual void fillBox(double x1, double y1, double x2, double y2) = 0;
    virtual void drawPicture(const QImage &image, double x, double y, double width,
                             double height) = 0;
    virtual void startNewPage() = 0;
    // Called after any part of the current font changed.
    virtual void fontChanged() {}
    void setCancelled() { m_cancelled = true; }

  private:
    double m_scaleLeft = 0;
    QString m_fontName = QStringLiteral("Arial");
    double m_fontSize = 10;
    bool m_fontBold = false;
    double m_x = 0;
    double m_y = 0;
    bool m_cancelled = false;
};
