#include "print/PrintJobs.h"

#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "platform/core/PrivateFiles.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormDocument.h"

#include <QFileInfo>

namespace
{

using CaseFields::FileNumber;
using CaseFields::Name;

const QString saveTitle = QStringLiteral("Save Form as PDF");
const QString pdfFilter = QStringLiteral("PDF files (*.pdf)");
const QString notSaved = QStringLiteral("The form was not saved: ");
const QString replacePrompt = QStringLiteral("%1 already exists.\nDo you want to replace it?");

void reportNotSaved(const QString &cause)
{
    Dialogs::instance().message(notSaved + cause, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation,
                                saveTitle);
}

} // namespace

bool runSaveFormJob(PrintHost &host, const QPageLayout &layout)
{
    const QString fileNumber = host.fieldText(FileNumber);
    const QString folder = DefaultPrinterProvider::pdfFolder();
    // The dialog opens where the program keeps its PDF files, a folder of
    // the steward's alone; when it cannot be made it opens wherever it can.
    PrivateFiles::makeFolder(folder);
    QString path = folder + QLatin1Char('/') + DefaultPrinterProvider::formFileName(fileNumber);
    for (;;) {
        path = Dialogs::instance().saveFileName(saveTitle, path, pdfFilter);
        if (path.isEmpty())
            return false;
        if (!QFileInfo(path).suffix().isEmpty())
            break;
        // The dialog asked about the name as typed; the file is that name
        // with ".pdf", and a file of that name is not replaced unasked.
        path += QStringLiteral(".pdf");
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            break;
        if (Dialogs::instance().message(replacePrompt.arg(taken.fileName()),
                                        Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation,
                                        saveTitle) == Dialogs::Answer::Yes)
            break;
    }

    QString error;
    const std::unique_ptr<PrinterSurface> surface = DefaultPrinterProvider::openPdfAt(
        path, layout, QStringLiteral("Complaint form - ") + fileNumber, error);
    if (!surface) {
        reportNotSaved(error);
        return false;
    }
    const FrontSideData data = frontSideData(host);
    const CaseFactsOverflow overflow = askAboutCaseFactsOverflow(*surface, data.caseFacts);
    if (overflow == CaseFactsOverflow::Cancelled)
        return false;

    MousePointer::set(MousePointer::Hourglass);
    drawForm(*surface, data, {true, overflow == CaseFactsOverflow::OnContinuationPage, true});
    const bool saved = surface->endDoc();
    MousePointer::set(MousePointer::Default);
    if (!saved) {
        reportNotSaved(surface->lastError());
        return false;
    }
    host.setStatusText(QStringLiteral("The form for: ") + host.fieldText(Name) +
                       QStringLiteral(" was saved as a PDF: ") + surface->savedFile());
    tellFontWarningOnce(host);
    return true;
}
