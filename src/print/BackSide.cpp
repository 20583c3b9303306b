#include "print/BackSide.h"

#include "platform/core/Classic.h"
#include "print/PrinterSurface.h"

namespace
{

constexpr double pageRight = 10680;
constexpr double barHeight = 10;

void blankLines(PrinterSurface &s, int count)
{
    for (int i = 0; i < count; ++i)
        s.print(QString(), false);
}

// A bar at the current y; it leaves the position at its far corner.
void barHere(PrinterSurface &s, double x1, double x2)
{
    const double y = s.currentY();
    s.line(x1, y, x2, y + barHeight);
}

// A label with a writing line from 50 twips after it to the right edge, just
// under its baseline.
void writingRow(PrinterSurface &s, const QString &label)
{
    const qint16 y = Classic::snapshot16(s.currentY());
    s.print(label, true);
    const qint16 x = Classic::snapshot16(s.currentX());
    s.line(x + 50, y + 200, pageRight, y + 210);
    s.print(QString(), false);
}

// The steward's name on a writing line of fixed length, then the date.
void splitRow(PrinterSurface &s)
{
    const qint16 y = Classic::snapshot16(s.currentY());
    s.print(QStringLiteral("Date Oral Answer Given to Steward  (name)"), true);
    qint16 x = Classic::snapshot16(s.currentX());
    s.line(x + 50, y + 200, x + 4464, y + 210);
    s.setCurrentX(x + 4564);
    s.setCurrentY(y);
    s.print(QStringLiteral("(date)"), true);
    x = Classic::snapshot16(s.currentX());
    s.line(x + 50, y + 200, pageRight, y + 210);
    s.print(QString(), false);
}

void ruledLines(PrinterSurface &s, int count)
{
    for (int i = 0; i < count; ++i) {
        blankLines(s, 2);
        barHere(s, 0, pageRight);
    }
}

} // namespace

void drawBackSide(PrinterSurface &s)
{
    s.setFontName(QStringLiteral("Arial"));
    s.setFontSize(10);
    s.setFontBold(true);
    blankLines(s, 2);
    s.print(QStringLiteral("PART II"), true);
    s.setFontBold(false);
    s.print(QStringLiteral(" - To be completed by Supervisor"), false);
    blankLines(s, 1);
    s.setFontBold(true);
    s.print(QStringLiteral("Complaint Information"), false);
    s.setFontBold(false);
    blankLines(s, 2);
    s.setCurrentY(s.currentY() - 120);

    writingRow(s, QStringLiteral("Name of Complainant"));
    s.setCurrentY(s.currentY() + 30);
    writingRow(s, QStringLiteral("Date Alleged Violation Occured"));
    s.setCurrentY(s.currentY() + 30);
    writingRow(s, QStringLiteral("Date Complaint Received"));
    s.setCurrentY(s.currentY() + 30);
    splitRow(s);
    s.setCurrentY(s.currentY() + 60);

    s.setFontBold(true);
    s.print(QStringLiteral("Case Facts "), true);
    s.setFontBold(false);
    s.print(QStringLiteral("(Give all relevant facts and highlight important fact difference, "
                           "if any, from Union's position)"),
            false);
    ruledLines(s, 15);
    blankLines(s, 1);
    s.setCurrentY(s.currentY() + 230);

    s.setFontBold(true);
    s.print(QStringLiteral("Answer:"), false);
    s.setFontBold(false);
    ruledLines(s, 6);

    // The date bar reads the y that the signature bar has just moved down by
    // its thickness, so it lies 10 twips lower.
    blankLines(s, 2);
    barHere(s, 0, 5000);
    barHere(s, 5256, pageRight);

    s.setFontSize(8);
    s.setCurrentX(0);
    s.print(QStringLiteral("Supervisor's Signature"), true);
    s.setCurrentX(5256);
    s.print(QStringLiteral("Date"), false);
}
