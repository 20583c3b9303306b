#include "print/FormDocument.h"

#include "print/BackSide.h"
#include "print/CaseFactsContinuation.h"
#include "print/PrinterSurface.h"

namespace
{
// x = 0 lies this far right of the printable area's left edge.
constexpr double originShift = -560;
constexpr int nameField = 0;
constexpr int fileNumberField = 3;
} // namespace

void drawForm(PrinterSurface &s, const FrontSideData &d, const FormPages &pages)
{
    s.setScaleLeft(originShift);
    if (pages.front) {
        drawFrontSide(s, d);
        if (pages.continuation)
            drawCaseFactsContinuation(s, d.fields[nameField], d.fields[fileNumberField],
                                      d.caseFacts);
    }
    if (pages.back) {
        if (pages.front)
            s.newPage();
        drawBackSide(s);
    }
}
