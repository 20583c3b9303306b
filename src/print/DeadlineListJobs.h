#pragma once

#include "print/DeadlineListPage.h"

#include <QDate>
#include <QPageLayout>
#include <functional>

class PrinterProvider;

// The deadlines list through the program's print path. Each reports to the
// steward as the form's jobs do: a list that could not be delivered is said
// to be so, never announced as sent, and one that became a PDF file for
// want of a printer says where it is. `status` gets the line for the
// status bar.
namespace DeadlineListJobs
{

// On the session's printer, or a PDF file in the documents folder when
// there is none. True when the list went out.
bool print(PrinterProvider &printers, const DeadlineListData &data,
           const std::function<void(const QString &)> &status);

// Into a PDF file the steward names, laid out on `layout`. True when saved.
bool saveAsPdf(const DeadlineListData &data, const QPageLayout &layout,
               const std::function<void(const QString &)> &status);

// The name the save offers: "Deadlines - 2026-12-07.pdf".
QString suggestedFileName(QDate today);

} // namespace DeadlineListJobs
