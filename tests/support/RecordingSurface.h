#pragma once

#include "print/PrinterSurface.h"

#include <QList>
#include <QMap>
#include <QSize>
#include <memory>
#include <optional>

// One operation as a RecordingSurface saw it. Positions are page twips.
struct RecordedOp {
    enum class Kind {
        Copies,
        ScaleLeft,
        Font,
        MoveX,
        MoveY,
        Print,
        Line,
        Picture,
        NewPage,
        EndDoc
    };

    Kind kind = Kind::Print;
    QString text;     // Print: the text
    QString fontName; // the font in force
    double fontSize = 0;
    bool bold = false;
    bool stayOnLine = false;
    double x1 = 0, y1 = 0; // Print: where the text's top left stands; Line: first corner;
                           // Picture: top left; MoveX/MoveY/ScaleLeft: the new value in x1/y1
    double x2 = 0, y2 = 0; // Line: second corner; Picture: width and height
    int copies = 0;        // Copies: the requested value
    bool accepted = true;  // Copies and EndDoc: whether the surface accepted it
    QSize pictureSize;
};

// The document a RecordingSurface produced; shared so that it outlives the
// surface the print job destroys.
struct RecordedDocument {
    QList<RecordedOp> ops;
    std::optional<qint16> copies; // the accepted copies setting, if any
    bool ended = false;
    bool delivered = false;

    QList<RecordedOp> ofKind(RecordedOp::Kind kind) const;
    QStringList printedTexts() const; // non-empty texts of Print, in order
    int pageCount() const;            // 1 + the NewPage operations
};

// A printer surface with fixed, settable font metrics, so that every position a
// page program reaches can be checked exactly: a text's width is the number of
// its characters times a width per character of the (size, bold) font.
class RecordingSurface : public PrinterSurface
{
  public:
    explicit RecordingSurface(std::shared_ptr<RecordedDocument> document = {});

    // Without metrics of its own a font measures size * 10 per character and
    // size * 23 per line (Arial 10: 100 and 230 twips).
    void setMetrics(double size, bool bold, double charWidth, double lineHeight);
    void setRefuseCopies(bool refuse) { m_refuseCopies = refuse; }
    void setEndDocFailure(const QString &cause) { m_endDocFailure = cause; }
    // Plays a document that goes to a file instead of a printer.
    void setSavedFile(const QString &path) { m_savedFile = path; }

    const RecordedDocument &document() const { return *m_doc; }
    std::shared_ptr<RecordedDocument> sharedDocument() const { return m_doc; }

    bool setCopies(qint16 copies) override;
    qint16 copies() const override { return m_doc->copies.value_or(1); }
    void setScaleLeft(double twips) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setCurrentX(double twips) override;
    void setCurrentY(double twips) override;
    bool endDoc() override;
    QString lastError() const override { return m_lastError; }
    double measure(const QString &text, const QString &fontName, double points,
                   bool bold) const override;
    QString savedFile() const override { return m_savedFile; }

  protected:
    double textWidth(const QString &text) const override;
    double lineHeight() const override;
    void drawText(const QString &text, double x, double y, bool stayOnLine) override;
    void fillBox(double x1, double y1, double x2, double y2) override;
    void drawPicture(const QImage &image, double x, double y, double width, double height) override;
    void startNewPage() override;

  private:
    struct Metrics {
        double charWidth;
        double lineHeight;
    };
    Metrics metrics() const { return metrics(fontSize(), fontBold()); }
    Metrics metrics(double size, bool bold) const;
    RecordedOp op(RecordedOp::Kind kind) const;

    std::shared_ptr<RecordedDocument> m_doc;
    QMap<QPair<double, bool>, Metrics> m_metrics;
    bool m_refuseCopies = false;
    QString m_endDocFailure;
    QString m_savedFile;
    QString m_lastError;
};
