#include "print/PrintJobs.h"

#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "platform/core/Classic.h"
#include "print/CaseFactsBlock.h"
#include "print/FormDocument.h"
#include "print/FormFont.h"
#include "print/PrinterProvider.h"

namespace
{

using CaseFields::FileNumber;
using CaseFields::Name;

const QString blankFieldPrompt = QStringLiteral("This record has blank fields") +
                                 QStringLiteral("\n\r") +
                                 QStringLiteral("Do you want to print anyway?");
const QString blankFieldTitle = QStringLiteral("Blank Field Warning!");
const QString copiesPrompt =
    QStringLiteral("Your print driver does not support a 'Copies'property!");
const QString copiesTitle = QStringLiteral("Press the print once button for each copy desired");
const QString nothingPrinted = QStringLiteral("Nothing was printed: ");
const QString overflowTitle = QStringLiteral("Case Facts");
const QString stoppedBeforeSending =
    QStringLiteral("Nothing was printed: you stopped waiting for the print system.");
const QString stoppedWhileSending =
    QStringLiteral("You stopped waiting for the print system while the page was handed over; if "
                   "it was only slow, the page may still be printed.");
// More copies than this are sent only when the steward says so: a slip of
// the finger (1000 for 10) would empty the paper tray.
constexpr int manyCopies = 99;
const QString manyCopiesPrompt = QStringLiteral("Send %1 copies of %2 to the printer?");
const QString manyCopiesTitle = QStringLiteral("Copies");

// The grievance page's file number and the three stored pieces of the case
// facts are not printed, so their being empty does not matter.
bool isCheckedForBlank(int field)
{
    return field < CaseFields::GrievanceFileNumber || field > CaseFields::CaseFacts1;
}

// One question at most; false when the steward chose not to print.
bool confirmBlankFields(const PrintHost &host)
{
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        if (!isCheckedForBlank(i) || !host.fieldText(i).isEmpty())
            continue;
        return Dialogs::instance().message(blankFieldPrompt, Dialogs::Buttons::YesNo,
                                           Dialogs::Icon::None,
                                           blankFieldTitle) == Dialogs::Answer::Yes;
    }
    return true;
}

// Val, then round half to even into 16 bits; false when that does not fit or
// the printer refuses it, leaving the printer's setting as it was.
bool setCopies(PrinterSurface &surface, const QString &text)
{
    const std::optional<qint16> copies = Classic::toInt16(Classic::Val(text));
    return copies && surface.setCopies(*copies);
}

// Whether the steward still wants the copies the surface is set to, when
// they are many.
bool confirmManyCopies(const PrinterSurface &surface, const QString &what)
{
    if (surface.copies() <= manyCopies)
        return true;
    const int pointer = MousePointer::current();
    MousePointer::set(MousePointer::Default);
    const Dialogs::Answer answer = Dialogs::instance().message(
        manyCopiesPrompt.arg(surface.copies()).arg(what), Dialogs::Buttons::YesNo,
        Dialogs::Icon::Question, manyCopiesTitle);
    MousePointer::set(pointer);
    return answer == Dialogs::Answer::Yes;
}

void reportNothingPrinted(const QString &cause)
{
    Dialogs::instance().message(
        nothingPrinted +
            (cause.isEmpty() ? QStringLiteral("the printer did not accept the document.") : cause),
        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

// Names the copies the printer was given, which are not always those typed:
// a number the printer refuses (0, 40000) leaves its own setting.
QString completionText(qint16 copies, const QString &name)
{
    if (copies > 1)
        return QString::number(copies) + QStringLiteral(" Copies of grievance for: ") + name +
               QStringLiteral(" were sent to the printer.");
    return QString::number(copies) + QStringLiteral(" Copy of grievance for: ") + name +
           QStringLiteral(" was sent to the printer.");
}

// A document that could not be opened or delivered: the steward is told,
// unless she stopped waiting herself, which the status bar then says.
void reportUndelivered(PrintHost &host, bool cancelled, bool handedOver, const QString &cause)
{
    MousePointer::set(MousePointer::Default);
    if (cancelled)
        host.setStatusText(handedOver ? stoppedWhileSending : stoppedBeforeSending);
    else
        reportNothingPrinted(cause);
}

QString overflowPrompt(int lines)
{
    const bool one = lines == 1;
    return (one ? QStringLiteral("1 line of the case facts does not fit")
                : QStringLiteral("%1 lines of the case facts do not fit").arg(lines)) +
           QStringLiteral(" on the form's %1 ruled lines.").arg(CaseFacts::lineCount) +
           QStringLiteral("\n\r") +
           (one ? QStringLiteral("Put it on a continuation page? No leaves it out; Cancel "
                                 "stops.")
                : QStringLiteral("Put them on a continuation page? No leaves them out; Cancel "
                                 "stops."));
}

} // namespace

FrontSideData frontSideData(const PrintHost &host)
{
    FrontSideData data;
    for (int i = 0; i < FrontSideData::fieldCount; ++i)
        data.fields[size_t(i)] = host.fieldText(i);
    data.caseFacts = host.caseFactsText();
    data.logo = host.logo();
    return data;
}

CaseFactsOverflow askAboutCaseFactsOverflow(const PrinterSurface &surface, const QString &caseFacts)
{
    const int lines = caseFactsOverflow(caseFactsLinesOn(surface, caseFacts));
    if (lines == 0)
        return CaseFactsOverflow::Fits;
    const int pointer = MousePointer::current();
    MousePointer::set(MousePointer::Default);
    const Dialogs::Answer answer =
        Dialogs::instance().message(overflowPrompt(lines), Dialogs::Buttons::YesNoCancel,
                                    Dialogs::Icon::Question, overflowTitle);
    MousePointer::set(pointer);
    switch (answer) {
    case Dialogs::Answer::Yes:
        return CaseFactsOverflow::OnContinuationPage;
    case Dialogs::Answer::No:
        return CaseFactsOverflow::LeftOut;
    default:
        return CaseFactsOverflow::Cancelled;
    }
}

void tellFontWarningOnce(PrintHost &host)
{
    static bool told = false;
    const QString warning = FormFont::substitutionWarning();
    if (told || warning.isEmpty())
        return;
    told = true;
    host.showNotice(warning);
}

bool runFrontSideJob(PrintHost &host, PrinterProvider &printers)
{
    if (!confirmBlankFields(host))
        return false;
    MousePointer::set(MousePointer::Hourglass);
    const QString name = host.fieldText(Name);
    const std::unique_ptr<PrinterSurface> surface =
        printers.open(PrintSide::Front, host.fieldText(FileNumber));
    if (!surface) {
        reportUndelivered(host, printers.cancelled(), false, printers.lastError());
        return false;
    }
    const FrontSideData data = frontSideData(host);
    const CaseFactsOverflow overflow = askAboutCaseFactsOverflow(*surface, data.caseFacts);
    if (overflow == CaseFactsOverflow::Cancelled) {
        MousePointer::set(MousePointer::Default);
        return false;
    }

    // A file is no printer: it holds one copy and is announced as what it is.
    const QString file = surface->savedFile();
    const QString copies = host.copiesText();
    const bool copiesSet = file.isEmpty() && setCopies(*surface, copies);
    if (copiesSet && !confirmManyCopies(*surface, QStringLiteral("the grievance for ") + name)) {
        MousePointer::set(MousePointer::Default);
        return false;
    }
    host.setStatusText(file.isEmpty() ? QStringLiteral("Sending grievance for: ") + name +
                                            QStringLiteral(" to the default printer.")
                                      : QStringLiteral("Saving grievance for: ") + name +
                                            QStringLiteral(" as a PDF."));
    if (file.isEmpty() && !copiesSet && Classic::Val(copies) > 1)
        Dialogs::instance().message(copiesPrompt, Dialogs::Buttons::Ok, Dialogs::Icon::None,
                                    copiesTitle);

    drawForm(*surface, data, {true, overflow == CaseFactsOverflow::OnContinuationPage, false});
    if (!surface->endDoc()) {
        reportUndelivered(host, surface->cancelled(), true, surface->lastError());
        return false;
    }
    host.setStatusText(file.isEmpty()
                           ? completionText(surface->copies(), name)
                           : QStringLiteral("No printer received the grievance for: ") + name +
                                 QStringLiteral("; it was saved as a PDF: ") + file);
    MousePointer::set(MousePointer::Default);
    tellFontWarningOnce(host);
    return true;
}

bool runBackSideJob(PrintHost &host, PrinterProvider &printers)
{
    const std::unique_ptr<PrinterSurface> surface =
        printers.open(PrintSide::Back, host.fieldText(FileNumber));
    if (!surface) {
        reportUndelivered(host, printers.cancelled(), false, printers.lastError());
        return false;
    }
    const QString file = surface->savedFile();
    if (file.isEmpty() && setCopies(*surface, host.backCopiesText()) &&
        !confirmManyCopies(*surface, QStringLiteral("the back side")))
        return false;
    drawForm(*surface, {}, {false, false, true});
    if (!surface->endDoc()) {
        reportUndelivered(host, surface->cancelled(), true, surface->lastError());
        return false;
    }
    if (!file.isEmpty())
        host.setStatusText(QStringLiteral("No printer received the back side; it was saved as a "
                                          "PDF: ") +
                           file);
    tellFontWarningOnce(host);
    return true;
}

void drawPreview(PrinterSurface &surface, const PrintHost &host)
{
    drawForm(surface, frontSideData(host), {true, true, true});
}
