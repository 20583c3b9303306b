#include "print/DefaultPrinterProvider.h"

#include "platform/core/PrivateFiles.h"
#include "print/CupsJobSurface.h"
#include "print/PdfFileSurface.h"
#include "print/PrintSystem.h"

#include <QFileInfo>
#include <QPdfWriter>
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
    switch (side) {
    case PrintSide::Front:
        return QStringLiteral("Front side");
    case PrintSide::Back:
        return QStringLiteral("Back side");
    case PrintSide::DeadlineList:
        break;
    }
    return QStringLiteral("Deadlines");
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

DefaultPrinterProvider::Destination DefaultPrinterProvider::lookUp(const PrinterChoice &choice)
{
    Destination d;
    d.printer = choice.printer.isEmpty() ? QPrinterInfo::defaultPrinterName() : choice.printer;
    if (d.printer.isEmpty()) {
        d.layout = filePageLayout(choice.paper);
        return d;
    }
    if (printerInfo(d.printer).isNull()) {
        d.error = QStringLiteral("the printer \"%1\" is not available.").arg(d.printer);
        return d;
    }
    d.layout = printerPageLayout(d.printer, choice.paper);
    return d;
}

std::unique_ptr<QPrinter> DefaultPrinterProvider::previewPrinter() const
{
    // A QPrinter asks the print system for a printer as it is made.
    std::optional<std::unique_ptr<QPrinter>> made =
        PrintSystem::ask<std::unique_ptr<QPrinter>>([choice = m_choice](const std::atomic<bool> &) {
            const Destination d = lookUp(choice);
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setPageLayout(d.error.isEmpty() ? d.layout : filePageLayout(choice.paper));
            return printer;
        });
    return made ? std::move(*made) : nullptr;
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::open(PrintSide side,
                                                             const QString &fileNumber)
{
    m_lastError.clear();
    m_cancelled = false;
    const std::optional<Destination> d = PrintSystem::ask<Destination>(
        [choice = m_choice](const std::atomic<bool> &) { return lookUp(choice); });
    if (!d) {
        m_cancelled = true;
        m_lastError = QStringLiteral("you stopped waiting for the print system.");
        return nullptr;
    }
    if (!d->error.isEmpty()) {
        m_lastError = d->error;
        return nullptr;
    }
    if (d->printer.isEmpty())
        return openPdfFile(pdfFolder(), side, fileNumber, m_lastError, d->layout);
    return openCups(d->printer, d->layout, documentTitle(side, fileNumber), m_lastError,
                    m_choice.paper);
}

std::unique_ptr<PrinterSurface>
DefaultPrinterProvider::openCups(const QString &queue, const QPageLayout &layout,
                                 const QString &title, QString &error,
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
    const QString file = folder->filePath(QStringLiteral("document.pdf"));
    auto pdf = std::make_unique<QPdfWriter>(file);
    pdf->setPageLayout(layout);
    pdf->setTitle(title);
    CupsQueue::Options options;
    if (paper)
        options.append({QByteArrayLiteral("media"), paper->key().toUtf8()});
    return std::make_unique<CupsJobSurface>(std::move(pdf), file, std::move(folder), queue, title,
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
    if (!surface) {
        QFile::remove(path); // the empty file that held the name
        return nullptr;
    }
    surface->holdsName();
    return surface;
}

std::unique_ptr<PrinterSurface> DefaultPrinterProvider::openPdfAt(const QString &path,
                                                                  const QPageLayout &layout,
                                                                  const QString &title,
                                                                  QString &error)
{
    return PdfFileSurface::create(path, layout, title, error);
}
