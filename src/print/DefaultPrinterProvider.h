#pragma once

#include "print/PrinterProvider.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <optional>

class QPrinter;

// The printer and paper picked in Print Setup for this session.
struct PrinterChoice {
    QString printer;                // empty: the system's default printer
    std::optional<QPageSize> paper; // empty: the printer's own paper
};

// The system's default printer from CUPS, or the one chosen for the session.
// A system with no default printer gets a PDF file in the user's documents
// folder instead, so a page is never lost for want of a printer; the
// surface's savedFile() then says where it is. The printer is looked up on
// the print system's thread (PrintSystem); the window waits for the answer
// and may stop waiting.
class DefaultPrinterProvider : public PrinterProvider
{
  public:
    std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &fileNumber) override;
    QString lastError() const override { return m_lastError; }
    bool cancelled() const override { return m_cancelled; }

    void setChoice(const PrinterChoice &choice) { m_choice = choice; }
    const PrinterChoice &choice() const { return m_choice; }

    // Where documents go now.
    struct Destination {
        QString printer;    // "queue" or "queue/instance"; empty: no printer, a PDF file
        QPageLayout layout; // its paper and printable area, or those of a PDF file
        QString error;      // why the chosen printer cannot be used
    };
    // Asks the print system: call it on the print system's thread.
    static Destination lookUp(const PrinterChoice &choice);
    // A printer that lays pages out as the current destination does, for
    // the preview; made on the print system's thread. nullptr when the
    // steward stopped waiting.
    std::unique_ptr<QPrinter> previewPrinter() const;

    // "Front side - 000123": names the print job and the PDF file.
    static QString documentTitle(PrintSide side, const QString &fileNumber);
    // "Front side - 000123 - 2026-12-07 14.05.33.pdf"
    static QString pdfFileName(PrintSide side, const QString &fileNumber, const QDateTime &when);
    // "Complaint form - 000123.pdf", what Save Form as PDF suggests.
    static QString formFileName(const QString &fileNumber);
    // The documents folder + "/Quillmark Wizard"
    static QString pdfFolder();
    // A PDF file's page: the paper (Letter when none is given) with a
    // quarter inch all round, the unprintable edge of a common office
    // printer, so the file looks as a printed page would.
    static QPageLayout filePageLayout(const std::optional<QPageSize> &paper = {});
    // A new PDF file in the folder, which is created when missing; both are
    // the owner's alone. nullptr with the cause in `error` when that cannot
    // be done.
    static std::unique_ptr<PrinterSurface>
    openPdfFile(const QString &folder, PrintSide side, const QString &fileNumber, QString &error,
                const QPageLayout &layout = filePageLayout());
    // A PDF file the steward named; nullptr with the cause in `error`.
    static std::unique_ptr<PrinterSurface> openPdfAt(const QString &path, const QPageLayout &layout,
                                                     const QString &title, QString &error);

    // A document for the CUPS queue, drawn into a private temporary PDF laid
    // out as `layout` (the queue's, on its own paper or the one given, which
    // the job then asks for); nullptr with the cause in `error` when that
    // cannot be made.
    static std::unique_ptr<PrinterSurface> openCups(const QString &queue, const QPageLayout &layout,
                                                    const QString &title, QString &error,
                                                    const std::optional<QPageSize> &paper = {});

  private:
    PrinterChoice m_choice;
    QString m_lastError;
    bool m_cancelled = false;
};
