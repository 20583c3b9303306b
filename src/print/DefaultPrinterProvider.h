#pragma once

#include "print/PrinterProvider.h"

#include <QDateTime>

// The system's default printer, from CUPS. A system with no default printer
// gets a PDF file in the user's documents folder instead, so a page is never
// lost for want of a printer.
class DefaultPrinterProvider : public PrinterProvider
{
  public:
    std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &fileNumber) override;
    QString lastError() const override { return m_lastError; }

    // "Front side - 000123": names the print job and the PDF file.
    static QString documentTitle(PrintSide side, const QString &fileNumber);
    // "Front side - 000123 - 2026-12-07 14.05.33.pdf"
    static QString pdfFileName(PrintSide side, const QString &fileNumber, const QDateTime &when);
    // The documents folder + "/Quillmark Wizard"
    static QString pdfFolder();
    // A new PDF file in the folder, which is created when missing; both are
    // the owner's alone. nullptr with the cause in `error` when that cannot
    // be done.
    static std::unique_ptr<PrinterSurface> openPdfFile(const QString &folder, PrintSide side,
                                                       const QString &fileNumber, QString &error);

    // A document for the CUPS queue, drawn into a private temporary PDF;
    // nullptr with the cause in `error` when that cannot be made.
    static std::unique_ptr<PrinterSurface> openCups(const QString &queue, const QString &title,
                                                    QString &error);

  private:
    QString m_lastError;
};
