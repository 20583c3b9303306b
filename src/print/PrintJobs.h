#pragma once

#include <QImage>
#include <QString>

class PrinterProvider;

// What the print jobs read from and write to the main window.
class PrintHost
{
  public:
    virtual ~PrintHost() = default;
    virtual QString fieldText(int index) const = 0;      // txtFields(index), 0..21
    virtual QString copiesText() const = 0;              // txtCopies
    virtual QString backCopiesText() const = 0;          // txtBackCopies
    virtual QString caseFactsText() const = 0;           // txtCaseFacts
    virtual QImage logo() const = 0;                     // Picture1
    virtual void setStatusText(const QString &text) = 0; // first status bar panel
};

// mnuFilePrint_Click: the front side, after the blank-field question, in the
// copies of txtCopies, with the progress and completion texts on the status
// bar. A document that cannot be delivered is reported to the steward
// instead of being announced as sent.
void runFrontSideJob(PrintHost &host, PrinterProvider &printers);

// cmdPrintBack_Click: the back side in the copies of txtBackCopies; silent
// unless the document cannot be delivered.
void runBackSideJob(PrintHost &host, PrinterProvider &printers);
