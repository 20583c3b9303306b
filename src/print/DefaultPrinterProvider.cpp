#include "print/DefaultPrinterProvider.h"

#include "print/CupsJobSurface.h"
#include "print/PdfFileSurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace
{

// A file number is typed by the user: it must not add folders to the path
// or characters that file systems refuse.
QString forFileName(const QString &text)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QString out;
    for (const QChar c : text)
        out += (c.unicode() < 0x20 || c.unicode() == 0x7f || refused.contains(c)) ? QLatin1Char('_')
                                                                                  : c;
    out = out.trimmed();
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('.')))
        out.chop(1);
    return out.left(60).trimmed();
}

QString sideName(PrintSide side)
{
    return side == PrintSide::Front ? QStringLiteral("Front side") : QStringLiteral("Back side");
}

constexpr double fileMarginPt = 18;

// An instance ("queue/instance") has the paper and printable area of its
// queue unless Qt knows it by its own name.
QPrinterInfo printerInfo(const QString &printer)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    return info.isNull() ? QPrinterInfo::printerInfo(printer.section(QLatin1Char('/'), 0, 0))
                         : info;
}

// The printer's own paper unless another is chosen, with the margins the
// printer cannot reach on it. QPrinter keeps the paper it had before it was
// given the printer, so the printer's is set explicitly.
QPageLayout printerPageLayout(const QString &printer, const std::optional<QPageSize> &paper)
{
    const QPrinterInfo info = printerInfo(printer);
    QPrinter probe(info, QPrinter::HighResolution);
    probe.setPageSize(paper.value_or(info.defaultPageSize()));
    return probe.pageLayout();
}

} // namespace

QString DefaultPrinterProvider::documentTitle(PrintSide side, const QString &fileNumber)
{
    const QString number = forFileName(fileNumber);
    return number.isEmpty() ? sideName(side) : sideName(side) + QStringLiteral(" - ") + number;
}

QString DefaultPrinterProvider::pdfFileName(PrintSide side, const QString &fileNumber,
                                            const QDateTime &when)
{
    return documentTitle(side, fileNumber) + QStringLiteral(" - ") +
           when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")) + QStringLiteral(".pdf");
}

QString DefaultPrinterProvider::formFileName(const QString &fileNumber)
{
    const QString number = forFileName(fileNumber);
    return QStringLiteral("Complaint form") +
           (number.isEmpty() ? QString() : QStringLiteral(" - ") + number) + QStringLiteral(".pdf");
}

QString DefaultPrinterProvider::pdfFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Quillmark Wizard");
}

QPageLayout DefaultPrinterProvider::filePageLayout(const std::optional<QPageSize> &paper)
{
    return QPageLayout(paper.value_or(QPageSize(QPageSize::Letter)), QPageLayout::Portrait,
                       QMarginsF(fileMarginPt, fileMarginPt, fileMarginPt, fileMarginPt),
                       QPageLayout::Point);
}

QString DefaultPrinterProvider::targetPrinter() const
{
    return m_choice.printer.isEmpty() ? QPrinterInfo::defaultPrinterName() : m_choice.printer;
}

QPageLayout DefaultPrinterProvider::pageLayout() const
{
    const QString printer = targetPrinter();
    return printer.isEmpty() ? filePageLayout(m_choice.paper)
                             : printerPageLayout(printer, m_choice.paper);
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::open(PrintSide side,
                                                             const QString &fileNumber)
{
    m_lastError.clear();
    const QString printer = targetPrinter();
    if (printer.isEmpty())
        return openPdfFile(pdfFolder(), side, fileNumber, m_lastError,
                           filePageLayout(m_choice.paper));
    if (printerInfo(printer).isNull()) {
        m_lastError = QStringLiteral("the printer \"%1\" is not available.").arg(printer);
        return nullptr;
    }
    return openCups(printer, documentTitle(side, fileNumber));
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openCups(const QString &queue,
                                                                 const QString &title)
{
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        m_lastError = QStringLiteral("no temporary folder for the print job (%1).")
                          .arg(folder->errorString());
        return nullptr;
    }
    // The page is drawn on the queue's own paper and printable area, or on
    // the paper chosen for the session, which the job then asks for.
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setPageLayout(printerPageLayout(queue, m_choice.paper));
    pdf->setDocName(title);
    pdf->setOutputFileName(folder->filePath(QStringLiteral("document.pdf")));
    CupsQueue::Options options;
    if (m_choice.paper)
        options.append({QByteArrayLiteral("media"), m_choice.paper->key().toUtf8()});
    return std::make_unique<CupsJobSurface>(std::move(pdf), std::move(folder), queue, title,
                                            options);
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfFile(const QString &folder,
                                                                    PrintSide side,
                                                                    const QString &fileNumber,
                                                                    QString &error,
                                                                    const QPageLayout &layout)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("there is no printer, and the folder \"%1\" for PDF files "
                               "could not be created.")
                    .arg(folder);
        return nullptr;
    }
    const QDateTime now = QDateTime::currentDateTime();
    QString path = folder + QLatin1Char('/') + pdfFileName(side, fileNumber, now);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QLatin1Char('/') + pdfFileName(side, fileNumber, now).chopped(4) +
               QStringLiteral(" (%1).pdf").arg(n);
    return PdfFileSurface::create(path, layout, documentTitle(side, fileNumber), error);
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfAt(const QString &path,
                                                                  const QPageLayout &layout,
                                                                  const QString &title,
                                                                  QString &error)
{
    return PdfFileSurface::create(path, layout, title, error);
}
