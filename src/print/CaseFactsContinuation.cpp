#include "print/CaseFactsContinuation.h"

#include "platform/core/Classic.h"
#include "print/CaseFactsBlock.h"
#include "print/PrinterSurface.h"

namespace
{

constexpr double headingTop = 200;
constexpr double headingSize = 12;
// The name's underline, as on the front side's first row.
constexpr int nameUnderline = 5040;

// A label and its value on an underline, as the front side draws its fields:
// the value 200 twips after the label and 50 higher, the underline from 50
// after the label to `underlineEnd` (relative to the label's end when
// `relative`). Leaves the position where the next label of the row begins.
void labelledField(PrinterSurface &s, qint16 rowTop, const QString &label, const QString &value,
                   int underlineEnd, bool relative)
{
    s.print(label, true);
    const qint16 a = Classic::snapshot16(s.currentX());
    s.setCurrentX(a + 200);
    s.setCurrentY(rowTop - 50);
    s.print(value, false);
    const int e = relative ? a + underlineEnd : underlineEnd;
    s.line(a + 50, rowTop + 200, e, rowTop + 210);
    s.setCurrentX(e + 100);
    s.setCurrentY(rowTop);
}

void drawHeading(PrinterSurface &s, const QString &name, const QString &fileNumber)
{
    s.setFontName(QString::fromLatin1(CaseFacts::fontName));
    s.setFontSize(headingSize);
    s.setFontBold(true);
    s.setCurrentY(headingTop);
    s.setCurrentX(0);
    s.print(QStringLiteral("Case Facts (continued)"), false);
    s.setFontSize(CaseFacts::fontSize);
    s.setFontBold(false);
    s.print(QString(), false);

    const qint16 rowTop = Classic::snapshot16(s.currentY());
    labelledField(s, rowTop, QStringLiteral("Name"), name, nameUnderline, true);
    labelledField(s, rowTop, QStringLiteral("File No."), fileNumber, int(CaseFacts::ruleRight),
                  false);
    s.setCurrentX(0);
    s.setCurrentY(rowTop + 210);
    s.print(QString(), false);
}

} // namespace

void drawCaseFactsContinuation(PrinterSurface &s, const QString &name, const QString &fileNumber,
                               const QString &caseFacts)
{
    const QList<CaseFactsLine> lines = caseFactsLinesOn(s, caseFacts);
    const int overflow = caseFactsOverflow(lines);
    const qsizetype end = CaseFacts::lineCount + overflow;
    for (qsizetype first = CaseFacts::lineCount; first < end;
         first += CaseFactsContinuation::linesPerPage) {
        s.newPage();
        drawHeading(s, name, fileNumber);
        printCaseFactsLines(s, lines, first,
                            int(qMin<qsizetype>(CaseFactsContinuation::linesPerPage, end - first)));
    }
}
