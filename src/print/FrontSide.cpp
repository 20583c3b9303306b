#include "print/FrontSide.h"

#include "platform/core/Classic.h"
#include "print/CaseFactsBlock.h"
#include "print/PrinterSurface.h"

namespace
{

constexpr double pageRight = 10680;

// One labelled field: its label, then its value on an underline that ends
// either at a fixed x or a width after the label's end. The value of -1 is
// the seniority pair, which is built from two boxes.
struct LabelledField {
    const char *label;
    int field;
    int underlineWidth; // 0: the underline runs to the right edge of the form
    bool endsRow;
    int rowGap;
};

constexpr int seniorityValue = -1;

const LabelledField employeeRows[] = {
    {"Name", 0, 5040, false, 0},
    {"Dept.", 1, 1440, false, 0},
    {"Shift Starting Time", 2, 0, true, 30},
    {"File No.", 3, 1728, false, 0},
    {"Phone: Home", 4, 3168, false, 0},
    {"Work", 5, 0, true, 30},
    {"Seniority Date", seniorityValue, 4032, false, 0},
    {"Classification", 8, 0, true, 30},
    {"Address", 9, 0, true, 30},
    {"Employee's Days Off (also dates)", 10, 0, true, 80},
};

const LabelledField complaintRows[] = {
    {"Applicable Contract Provision(s)", 21, 2880, false, 0},
    {"Date of Claimed Violation", 20, 0, true, 30},
    {"Remedy Sought", 19, 0, true, 30},
    {"Supervisor First Contacted (name)", 18, 4464, false, 0},
    {"(date)", 17, 0, true, 30},
    // The one row whose last underline stops short of the right edge.
    {"Date of Supervisor's Oral Answer", 16, 2880, true, 60},
};

QString fieldValue(const FrontSideData &d, int field)
{
    if (field == seniorityValue)
        return QStringLiteral("CO: ") + d.fields[6] + QStringLiteral("     Cl: ") + d.fields[7];
    return d.fields[size_t(field)];
}

// Draws a run of labelled fields, row after row, starting with a row top
// taken at the current position.
template <size_t N>
void drawRows(PrinterSurface &s, const FrontSideData &d, const LabelledField (&rows)[N])
{
    qint16 r = Classic::snapshot16(s.currentY());
    for (const LabelledField &f : rows) {
        s.print(QString::fromUtf8(f.label), true);
        const qint16 a = Classic::snapshot16(s.currentX());
        // The value stands 50 twips higher than its label.
        s.setCurrentX(a + 200);
        s.setCurrentY(r - 50);
        s.print(fieldValue(d, f.field), false);
        const int e = f.underlineWidth ? a + f.underlineWidth : int(pageRight);
        s.line(a + 50, r + 200, e, r + 210);
        if (!f.endsRow) {
            s.setCurrentX(e + 100);
            s.setCurrentY(r);
            continue;
        }
        s.print(QString(), false);
        s.setCurrentY(s.currentY() + f.rowGap);
        r = Classic::snapshot16(s.currentY());
    }
}

void setFont(PrinterSurface &s, double size, bool bold)
{
    s.setFontName(QStringLiteral("Arial"));
    s.setFontSize(size);
    s.setFontBold(bold);
}

void drawHeader(PrinterSurface &s, const FrontSideData &d)
{
    s.paintPicture(d.logo, 0, 300, 1100, 1000);
    setFont(s, 16, true);
    s.setCurrentY(200);
    s.setCurrentX(5600);
    s.print(QStringLiteral("First Step - Complaint Form"), false);
    s.setCurrentX(5600);
    s.print(QStringLiteral("QWU - Tarnvale"), false);
    setFont(s, 12, true);
    s.print(QString(), false);
    s.setCurrentX(4460);
    s.print(QStringLiteral("INSTRUCTIONS"), false);

    // The instructions box is 940 twips tall whatever the font.
    const qint16 b = Classic::snapshot16(s.currentY());
    s.line(0, b, pageRight, b + 40);
    s.line(pageRight, b, pageRight + 40, b + 940);
    s.line(0, b + 900, pageRight, b + 940);
    s.line(0, b, 40, b + 940);

    s.setCurrentY(b + 170);
    s.setCurrentX(200);
    s.setFontSize(9);
    s.setFontBold(false);
    s.print(QStringLiteral("This form is to be completed by the Steward and Supervisor and "
                           "signed by the Complainant. Both the Union and Company shall"),
            false);
    s.setCurrentX(200);
    s.print(QStringLiteral("receive a completed copy. All employee complaints should be "
                           "treated as"),
            false);
    s.setFontBold(true);
    s.setCurrentX(4430);
    s.print(QStringLiteral("MUTUAL PROBLEMS"), false);
    s.print(QString(), false);
    s.print(QString(), false);

    s.setFontSize(10);
    s.setFontBold(true);
    s.print(QStringLiteral("PART 1"), true);
    s.setFontBold(false);
    s.print(QStringLiteral(" - To be completed by Steward and Employee:"), false);
    s.print(QString(), false);
    s.setFontBold(true);
    s.print(QStringLiteral("Employee's:"), false);
    s.setFontBold(false);
    s.print(QString(), false);
}

void drawComplaintHeading(PrinterSurface &s)
{
    s.setFontBold(true);
    s.print(QStringLiteral("Complaint Nature"), false);
    s.setFontBold(false);
    s.print(QString(), false);
    s.print(QString(), false);
    s.setCurrentY(s.currentY() - 120);
}

void drawCaseFacts(PrinterSurface &s, const FrontSideData &d)
{
    s.setFontBold(true);
    s.print(QStringLiteral("Case Facts "), true);
    s.setFontBold(false);
    s.print(QStringLiteral("(Give complete details including who, what, where, when, and why. "
                           "Attach all records, forms, letters, or"),
            false);
    s.print(QStringLiteral("papers involved)"), false);
    s.setCurrentY(s.currentY() - 50);
    printCaseFacts(s, d.caseFacts);
}

void drawSignatures(PrinterSurface &s)
{
    s.print(QString(), false);
    s.print(QString(), false);
    // Each rule starts at the y the previous one left, so each lies 10 twips
    // lower than the one before.
    const double rules[][2] = {{0, 3744}, {3924, 5076}, {5256, 9000}, {9180, pageRight}};
    for (const auto &r : rules) {
        const double y = s.currentY();
        s.line(r[0], y, r[1], y + 10);
    }
    s.setFontSize(8);
    s.setCurrentX(0);
    s.print(QStringLiteral("Steward's Signature"), true);
    s.setCurrentX(3924);
    s.print(QStringLiteral("Date"), true);
    s.setCurrentX(5256);
    s.print(QStringLiteral("Employee's Signature"), true);
    s.setCurrentX(9180);
    s.print(QStringLiteral("Date"), false);

    const double c = s.currentY();
    s.line(0, c, pageRight, c + 40);
    s.setCurrentX(0);
    s.setFontSize(6);
    s.print(QStringLiteral("TVF 4308 (9/92)       PRINTED IN U.S.A."), false);
}

} // namespace

void drawFrontSide(PrinterSurface &s, const FrontSideData &d)
{
    drawHeader(s, d);
    drawRows(s, d, employeeRows);
    drawComplaintHeading(s);
    drawRows(s, d, complaintRows);
    drawCaseFacts(s, d);
    drawSignatures(s);
}
