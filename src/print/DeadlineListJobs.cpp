#include "print/DeadlineListJobs.h"

#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "print/DefaultPrinterProvider.h"
#include "print/PrinterProvider.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace
{

const QString saveTitle = QStringLiteral("Save Deadlines as PDF");
const QString stoppedBeforeSending =
    QStringLiteral("Nothing was printed: you stopped waiting for the print system.");
const QString stoppedWhileSending =
    QStringLiteral("You stopped waiting for the print system while the page was handed over; if "
                   "it was only slow, the page may still be printed.");
const QString pdfFilter = QStringLiteral("PDF files (*.pdf)");

void report(const QString &what, const QString &cause, const QString &title = {})
{
    Dialogs::instance().message(
        what +
            (cause.isEmpty() ? QStringLiteral("the printer did not accept the document.") : cause),
        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation, title);
}

// Draws and ends the document; false, with the cause reported, when it
// could not be delivered. The steward who stopped waiting for the print
// system is told so on the status line, not in a message box.
bool finish(PrinterSurface &surface, const DeadlineListData &data, const QString &failed,
            const std::function<void(const QString &)> &status, const QString &title = {})
{
    MousePointer::set(MousePointer::Hourglass);
    DeadlineListPage::draw(surface, data);
    const bool done = surface.endDoc();
    MousePointer::set(MousePointer::Default);
    if (done)
        return true;
    if (surface.cancelled())
        status(stoppedWhileSending);
    else
        report(failed, surface.lastError(), title);
    return false;
}

} // namespace

namespace DeadlineListJobs
{

QString suggestedFileName(QDate today)
{
    return QStringLiteral("Deadlines - %1.pdf").arg(today.toString(Qt::ISODate));
}

bool print(PrinterProvider &printers, const DeadlineListData &data,
           const std::function<void(const QString &)> &status)
{
    const std::unique_ptr<PrinterSurface> surface = printers.open(PrintSide::DeadlineList, {});
    const QString failed = QStringLiteral("The deadlines were not printed: ");
    if (!surface) {
        if (printers.cancelled())
            status(stoppedBeforeSending);
        else
            report(failed, printers.lastError());
        return false;
    }
    if (!finish(*surface, data, failed, status))
        return false;
    const QString file = surface->savedFile();
    status(file.isEmpty()
               ? QStringLiteral("The deadlines were sent to the printer.")
               : QStringLiteral("No printer received the deadlines; they were saved as a PDF: ") +
                     file);
    return true;
}

bool saveAsPdf(const DeadlineListData &data, const QPageLayout &layout,
               const std::function<void(const QString &)> &status)
{
    const QString folder = DefaultPrinterProvider::pdfFolder();
    QDir().mkpath(folder);
    QString path = Dialogs::instance().saveFileName(
        saveTitle, folder + QLatin1Char('/') + suggestedFileName(QDate::currentDate()), pdfFilter);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const QString failed = QStringLiteral("The deadlines were not saved: ");
    QString error;
    const std::unique_ptr<PrinterSurface> surface =
        DefaultPrinterProvider::openPdfAt(path, layout, data.title, error);
    if (!surface) {
        report(failed, error, saveTitle);
        return false;
    }
    if (!finish(*surface, data, failed, status, saveTitle))
        return false;
    status(QStringLiteral("The deadlines were saved as a PDF: ") + surface->savedFile());
    return true;
}

} // namespace DeadlineListJobs
