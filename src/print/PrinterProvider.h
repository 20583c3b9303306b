#pragma once

#include "print/PrinterSurface.h"

#include <QString>
#include <memory>

// What a document is: a side of the complaint form, or the deadlines list.
enum class PrintSide { Front, Back, DeadlineList };

// Where a print job gets its printer from: the system's default printer in
// the program, recording surfaces in tests.
class PrinterProvider
{
  public:
    virtual ~PrinterProvider() = default;

    // A fresh document on the printer, or nullptr when no printer could be
    // opened; lastError() then names the cause. The file number only names
    // the document.
    virtual std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &fileNumber) = 0;
    virtual QString lastError() const = 0;
    // Whether the last open() gave nothing because the steward gave up
    // waiting for the print system.
    virtual bool cancelled() const { return false; }
};
