#include "print/FormDocument.h"

#include "print/BackSide.h"
#include "print/CaseFactsContinuation.h"
#include "print/PrinterSurface.h"

namespace
{
// x = 0 lies this far right of the printable area's left edge.
constexpr double originShift = -560;
} // namespace

void drawForm(PrinterSurface &s, const FrontSideData &d, const FormPages &pages)
{
    s.setScaleLeft(originShift);
    if (pages.front) {
        drawFrontSide(s, d);
        if (pages.continuation)
            drawCaseFactsContinuation(s, d.fields[CaseFields::Name],
                                      d.fields[CaseFields::FileNumber], d.caseFacts);
    }
    if (pages.back) {
        if (pages.front)
            s.newPage();
        drawBackSide(s);
    }
}
