#pragma once

#include "print/FrontSide.h"

#include <QImage>
#include <QPageLayout>
#include <QString>

class PrinterProvider;
class PrinterSurface;

// What the print jobs read from and write to the main window.
class PrintHost
{
  public:
    virtual ~PrintHost() = default;
    virtual QString fieldText(int index) const = 0;      // txtFields(index): a CaseFields::Field
    virtual QString copiesText() const = 0;              // txtCopies
    virtual QString backCopiesText() const = 0;          // txtBackCopies
    virtual QString caseFactsText() const = 0;           // txtCaseFacts
    virtual QImage logo() const = 0;                     // Picture1
    virtual void setStatusText(const QString &text) = 0; // first status bar panel
    // A notice the steward should see once without losing the panel's text.
    virtual void showNotice(const QString &text) { setStatusText(text); }
};

// mnuFilePrint_Click: the front side, after the blank-field question, in the
// copies of txtCopies, with the progress and completion texts on the status
// bar. Case facts longer than the form's ruled lines are printed on a
// continuation page, left out or not printed at all, as the steward answers.
// A document that cannot be delivered is reported to the steward instead of
// being announced as sent; one that became a PDF file for want of a printer
// is reported as that, with the file's place. True when the document went out.
bool runFrontSideJob(PrintHost &host, PrinterProvider &printers);

// cmdPrintBack_Click: the back side in the copies of txtBackCopies; silent
// unless the document cannot be delivered or became a PDF file.
bool runBackSideJob(PrintHost &host, PrinterProvider &printers);

// Save Form as PDF: both sides of the current complaint, front then back,
// into one PDF file the steward names, laid out on `layout`, independent of
// any printer. True when the file was saved.
bool runSaveFormJob(PrintHost &host, const QPageLayout &layout);

// The print preview's pages: the front side, its continuation pages when the
// case facts need them, and the back side, as they print.
void drawPreview(PrinterSurface &surface, const PrintHost &host);

// The values of the window that the front side prints.
FrontSideData frontSideData(const PrintHost &host);

// When the case facts need more lines than the form has, the steward says
// what to do with the rest.
enum class CaseFactsOverflow { Fits, OnContinuationPage, LeftOut, Cancelled };
CaseFactsOverflow askAboutCaseFactsOverflow(const PrinterSurface &surface,
                                            const QString &caseFacts);

// Tells the steward, once in the program's life, when the form's font is
// substituted by one with other metrics.
void tellFontWarningOnce(PrintHost &host);
