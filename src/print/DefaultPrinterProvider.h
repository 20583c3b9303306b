#pragma once

#include "print/PrinterProvider.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <optional>

// The printer and paper picked in Print Setup for this session.
struct PrinterChoice {
    QString printer;                // empty: the system's default printer
    std::optional<QPageSize> paper; // empty: the printer's own paper
};

// The system's default printer from CUPS, or the one chosen for the session.
// A system with no default printer gets a PDF file in the user's documents
// folder instead, so a page is never lost for want of a printer; the
// surface's savedFile() then says where it is.
class DefaultPrinterProvider : public PrinterProvider
{
  public:
    std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &fileNumber) override;
    QString lastError() const override { return m_lastError; }

    void setChoice(const PrinterChoice &choice) { m_choice = choice; }
    const PrinterChoice &choice() const { return m_choice; }
    // The printer documents go to now ("queue" or "queue/instance"); empty
    // when there is none.
    QString targetPrinter() const;
    // The paper and printable area documents are laid out on now: the
    // target printer's, or that of a PDF file when there is no printer.
    QPageLayout pageLayout() const;

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

    // A document for the CUPS queue, drawn into a private temporary PDF on
    // the queue's own paper or the one given; nullptr with the cause in
    // `error` when that cannot be made.
    static std::unique_ptr<PrinterSurface> openCups(const QString &queue, const QString &title,
                                                    QString &error,
                                                    const std::optional<QPageSize> &paper = {});

  private:
    PrinterChoice m_choice;
    QString m_lastError;
};
