#include "print/DefaultPrinterProvider.h"

#include "platform/PrivateFiles.h"
#include "print/CupsJobSurface.h"

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

// A quarter inch all round, the unprintable edge of a common office printer,
// so a PDF page looks as the printed one would.
const QMarginsF pdfMargins(18, 18, 18, 18);

// " (2)" up to " (99)" after a name already taken.
constexpr int maxNameTries = 99;

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

QString DefaultPrinterProvider::pdfFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Quillmark Wizard");
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::open(PrintSide side,
                                                             const QString &fileNumber)
{
    m_lastError.clear();
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return openPdfFile(pdfFolder(), side, fileNumber, m_lastError);
    return openCups(info.printerName(), documentTitle(side, fileNumber), m_lastError);
}

std::unique_ptr<PrinterSurface>
DefaultPrinterProvider::openCups(const QString &queue, const QString &title, QString &error)
{
    // A folder of the owner's alone (mkdtemp's 0700) holding the page until
    // CUPS has it; the surface removes it then.
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        error = QStringLiteral("no temporary folder for the print job (%1).")
                    .arg(folder->errorString());
        return nullptr;
    }
    // The page is drawn on the queue's own paper and printable area.
    const QPageLayout layout =
        QPrinter(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution).pageLayout();
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setPageLayout(layout);
    pdf->setDocName(title);
    pdf->setOutputFileName(folder->filePath(QStringLiteral("document.pdf")));
    return std::make_unique<CupsJobSurface>(std::move(pdf), std::move(folder), queue, title);
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfFile(const QString &folder,
                                                                    PrintSide side,
                                                                    const QString &fileNumber,
                                                                    QString &error)
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

    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, pdfMargins,
                                   QPageLayout::Point));
    pdf->setDocName(documentTitle(side, fileNumber));
    pdf->setOutputFileName(path);
    return std::make_unique<QPainterSurface>(std::move(pdf));
}
