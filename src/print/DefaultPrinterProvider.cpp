#include "print/DefaultPrinterProvider.h"

#include "platform/core/PrivateFiles.h"
#include "print/CupsJobSurface.h"
#include "print/PdfFileSurface.h"

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

// " (2)" up to " (99)" after a name already taken.
constexpr int maxNameTries = 99;

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
    return openCups(printer, documentTitle(side, fileNumber), m_lastError, m_choice.paper);
}

std::unique_ptr<PrinterSurface>
DefaultPrinterProvider::openCups(const QString &queue, const QString &title, QString &error,
                                 const std::optional<QPageSize> &paper)
{
    // A folder of the owner's alone (mkdtemp's 0700) holding the page until
    // CUPS has it; the surface removes it then.
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        error = QStringLiteral("no temporary folder for the print job (%1).")
                    .arg(folder->errorString());
        return nullptr;
    }
    // The page is drawn on the queue's own paper and printable area, or on
    // the paper chosen for the session, which the job then asks for.
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setPageLayout(printerPageLayout(queue, paper));
    pdf->setDocName(title);
    pdf->setOutputFileName(folder->filePath(QStringLiteral("document.pdf")));
    CupsQueue::Options options;
    if (paper)
        options.append({QByteArrayLiteral("media"), paper->key().toUtf8()});
    return std::make_unique<CupsJobSurface>(std::move(pdf), std::move(folder), queue, title,
                                            options);
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfFile(const QString &folder,
                                                                    PrintSide side,
                                                                    const QString &fileNumber,
                                                                    QString &error,
                                                                    const QPageLayout &layout)
{
    if (!PrivateFiles::makeFolder(folder)) {
        error = QStringLiteral("there is no printer, and the folder \"%1\" for PDF files "
                               "could not be created.")
                    .arg(folder);
        return nullptr;
    }
    // The name is taken by creating the file, private from its first moment:
    // two print-outs of the same second never share one, and a name someone
    // else placed there (a link, say) is passed over, never written through.
    // The finished page then replaces the empty file in one step.
    const QString name = pdfFileName(side, fileNumber, QDateTime::currentDateTime());
    QString path = folder + QLatin1Char('/') + name;
    QString reason;
    for (int n = 2; !PrivateFiles::createFile(path, &reason); ++n) {
        const QFileInfo taken(path);
        if (n > maxNameTries || !(taken.exists() || taken.isSymLink())) {
            error = QStringLiteral("there is no printer, and the PDF file \"%1\" could not be "
                                   "created (%2).")
                        .arg(path, reason);
            return nullptr;
        }
        path = folder + QLatin1Char('/') + name.chopped(4) + QStringLiteral(" (%1).pdf").arg(n);
    }
    auto surface = PdfFileSurface::create(path, layout, documentTitle(side, fileNumber), error);
    if (!surface)
        QFile::remove(path); // the empty file that held the name
    return surface;
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfAt(const QString &path,
                                                                  const QPageLayout &layout,
                                                                  const QString &title,
                                                                  QString &error)
{
    return PdfFileSurface::create(path, layout, title, error);
}
