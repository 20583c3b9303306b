#include "print/PrintJobs.h"

#include "platform/Classic.h"
#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "print/BackSide.h"
#include "print/FrontSide.h"
#include "print/PrinterProvider.h"

namespace
{

constexpr double originShift = -560;
constexpr int fileNumberField = 3;
constexpr int nameField = 0;

const QString blankFieldPrompt = QStringLiteral("This record has blank fields") +
                                 QStringLiteral("\n\r") +
                                 QStringLiteral("Do you want to print anyway?");
const QString blankFieldTitle = QStringLiteral("Blank Field Warning!");
const QString copiesPrompt =
    QStringLiteral("Your print driver does not support a 'Copies'property!");
const QString copiesTitle = QStringLiteral("Press the print once button for each copy desired");
const QString nothingPrinted = QStringLiteral("Nothing was printed: ");

// The grievance page's file number and the three stored pieces of the case
// facts are not printed, so their being empty does not matter.
bool isCheckedForBlank(int field)
{
    return field < 12 || field > 15;
}

// One question at most; false when the steward chose not to print.
bool confirmBlankFields(const PrintHost &host)
{
    for (int i = 0; i < 22; ++i) {
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

void reportNothingPrinted(const QString &cause)
{
    Dialogs::instance().message(
        nothingPrinted +
            (cause.isEmpty() ? QStringLiteral("the printer did not accept the document.") : cause),
        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

FrontSideData frontSideData(const PrintHost &host)
{
    FrontSideData data;
    for (int i = 0; i < FrontSideData::fieldCount; ++i)
        data.fields[size_t(i)] = host.fieldText(i);
    data.caseFacts = host.caseFactsText();
    data.logo = host.logo();
    return data;
}

QString completionText(const QString &copies, const QString &name)
{
    if (Classic::Val(copies) > 1)
        return copies + QStringLiteral(" Copies of grievance for: ") + name +
               QStringLiteral(" were sent to the printer.");
    return copies + QStringLiteral(" Copy of grievance for: ") + name +
           QStringLiteral(" was sent to the printer.");
}

} // namespace

void runFrontSideJob(PrintHost &host, PrinterProvider &printers)
{
    if (!confirmBlankFields(host))
        return;
    MousePointer::set(MousePointer::Hourglass);
    const QString name = host.fieldText(nameField);
    host.setStatusText(QStringLiteral("Sending grievance for: ") + name +
                       QStringLiteral(" to the default printer."));

    const std::unique_ptr<PrinterSurface> surface =
        printers.open(PrintSide::Front, host.fieldText(fileNumberField));
    if (!surface) {
        MousePointer::set(MousePointer::Default);
        reportNothingPrinted(printers.lastError());
        return;
    }
    const QString copies = host.copiesText();
    if (!setCopies(*surface, copies) && Classic::Val(copies) > 1)
        Dialogs::instance().message(copiesPrompt, Dialogs::Buttons::Ok, Dialogs::Icon::None,
                                    copiesTitle);

    surface->setScaleLeft(originShift);
    drawFrontSide(*surface, frontSideData(host));
    if (!surface->endDoc()) {
        MousePointer::set(MousePointer::Default);
        reportNothingPrinted(surface->lastError());
        return;
    }
    host.setStatusText(completionText(copies, name));
    MousePointer::set(MousePointer::Default);
}

void runBackSideJob(PrintHost &host, PrinterProvider &printers)
{
    const std::unique_ptr<PrinterSurface> surface =
        printers.open(PrintSide::Back, host.fieldText(fileNumberField));
    if (!surface) {
        reportNothingPrinted(printers.lastError());
        return;
    }
    setCopies(*surface, host.backCopiesText());
    surface->setScaleLeft(originShift);
    drawBackSide(*surface);
    if (!surface->endDoc())
        reportNothingPrinted(surface->lastError());
}
