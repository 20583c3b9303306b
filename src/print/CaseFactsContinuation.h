#pragma once

#include <QString>

class PrinterSurface;

namespace CaseFactsContinuation
{
// Ruled lines on each continuation page: as many as fit below its heading on
// Letter and on A4.
constexpr int linesPerPage = 28;
} // namespace CaseFactsContinuation

// The pages after the front side for the case facts lines that its eleven
// ruled lines have no room for. Each begins a new page, headed with
// "Case Facts (continued)", the employee's name and file number, and holds
// ruled lines like the form's, the text broken exactly as there and going on
// where the form stopped. Draws nothing when the facts fit the form.
void drawCaseFactsContinuation(PrinterSurface &surface, const QString &name,
                               const QString &fileNumber, const QString &caseFacts);
