#include "print/FrontSide.h"
#include "print/FormLogo.h"
#include "support/RecordingSurface.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = RecordedOp::Kind;

// Arial 10 regular: 100 twips a character, 230 a line; bold: 110 and 240, so
// that a line end taken in the wrong weight shows. 9 bold differs from 9
// regular for the same reason. Other sizes keep the surface's defaults.
RecordingSurface &withMetrics(RecordingSurface &s)
{
    s.setMetrics(10, false, 100, 230);
    s.setMetrics(10, true, 110, 240);
    s.setMetrics(9, true, 90, 215);
    return s;
}

FrontSideData numberedFields()
{
    FrontSideData d;
    for (int i = 0; i < FrontSideData::fieldCount; ++i)
        d.fields[size_t(i)] = QStringLiteral("F%1").arg(i);
    d.logo = formLogo();
    return d;
}

RecordedDocument draw(const FrontSideData &d)
{
    RecordingSurface s;
    drawFrontSide(withMetrics(s), d);
    return s.document();
}

struct FieldCase {
    const char *label;
    const char *value;
    double labelX, rowTop;
    double labelEnd;     // A
    double underlineEnd; // E
};

class LabelledField : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(LabelledField, ValueAndUnderlineFollowTheLabelEnd)
{
    const FieldCase &c = GetParam();
    const RecordedDocument doc = draw(numberedFields());
    const auto &ops = doc.ops;
    qsizetype i = 0;
    while (i < ops.size() && !(ops[i].kind == Kind::Print && ops[i].text == c.label))
        ++i;
    ASSERT_LT(i, ops.size()) << "label not printed";
    EXPECT_DOUBLE_EQ(ops[i].x1, c.labelX);
    EXPECT_DOUBLE_EQ(ops[i].y1, c.rowTop);
    EXPECT_TRUE(ops[i].stayOnLine);
    EXPECT_FALSE(ops[i].bold);

    qsizetype v = i + 1;
    while (v < ops.size() && ops[v].kind != Kind::Print)
        ++v;
    ASSERT_LT(v, ops.size());
    EXPECT_EQ(ops[v].text, QString::fromUtf8(c.value));
    EXPECT_DOUBLE_EQ(ops[v].x1, c.labelEnd + 200);
    EXPECT_DOUBLE_EQ(ops[v].y1, c.rowTop - 50);
    EXPECT_FALSE(ops[v].stayOnLine);

    qsizetype u = v + 1;
    while (u < ops.size() && ops[u].kind != Kind::Line)
        ++u;
    ASSERT_LT(u, ops.size());
    EXPECT_DOUBLE_EQ(ops[u].x1, c.labelEnd + 50);
    EXPECT_DOUBLE_EQ(ops[u].y1, c.rowTop + 200);
    EXPECT_DOUBLE_EQ(ops[u].x2, c.underlineEnd);
    EXPECT_DOUBLE_EQ(ops[u].y2, c.rowTop + 210);
}

// Row tops: the first after the header; then each row 210 + 230 + its gap
// below the last, the complaint rows after the "Complaint Nature" heading.
INSTANTIATE_TEST_SUITE_P(
    Rows, LabelledField,
    ::testing::Values(FieldCase{"Name", "F0", 0, 3647, 400, 5440},
                      FieldCase{"Dept.", "F1", 5540, 3647, 6040, 7480},
                      FieldCase{"Shift Starting Time", "F2", 7580, 3647, 9480, 10680},
                      FieldCase{"File No.", "F3", 0, 4117, 800, 2528},
                      FieldCase{"Phone: Home", "F4", 2628, 4117, 3728, 6896},
                      FieldCase{"Work", "F5", 6996, 4117, 7396, 10680},
                      FieldCase{"Seniority Date", "CO: F6     Cl: F7", 0, 4587, 1400, 5432},
                      FieldCase{"Classification", "F8", 5532, 4587, 6932, 10680},
                      FieldCase{"Address", "F9", 0, 5057, 700, 10680},
                      FieldCase{"Employee's Days Off (also dates)", "F10", 0, 5527, 3200, 10680},
                      FieldCase{"Applicable Contract Provision(s)", "F21", 0, 6627, 3200, 6080},
                      FieldCase{"Date of Claimed Violation", "F20", 6180, 6627, 8680, 10680},
                      FieldCase{"Remedy Sought", "F19", 0, 7097, 1300, 10680},
                      FieldCase{"Supervisor First Contacted (name)", "F18", 0, 7567, 3300, 7764},
                      FieldCase{"(date)", "F17", 7864, 7567, 8464, 10680},
                      FieldCase{"Date of Supervisor's Oral Answer", "F16", 0, 8037, 3200, 6080}),
    [](const auto &info) {
        std::string n;
        for (const char *p = info.param.label; *p; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p)))
                n += *p;
        return n;
    });

struct TextCase {
    const char *name;
    const char *text;
    int occurrence;
    double x, y, size;
    bool bold;
};

class FrontSideText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(FrontSideText, StandsWhereTheLayoutPutsIt)
{
    const TextCase &c = GetParam();
    int seen = 0;
    for (const RecordedOp &o : draw(numberedFields()).ofKind(Kind::Print)) {
        if (o.text != QString::fromUtf8(c.text) || seen++ != c.occurrence)
            continue;
        EXPECT_DOUBLE_EQ(o.x1, c.x);
        EXPECT_DOUBLE_EQ(o.y1, c.y);
        EXPECT_DOUBLE_EQ(o.fontSize, c.size);
        EXPECT_EQ(o.bold, c.bold);
        EXPECT_EQ(o.fontName, QStringLiteral("Arial"));
        return;
    }
    FAIL() << "not printed: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrontSideText,
    ::testing::Values(
        TextCase{"TitleAtFixedPosition", "First Step - Complaint Form", 0, 5600, 200, 16, true},
        TextCase{"Union", "QWU - Tarnvale", 0, 5600, 568, 16, true},
        TextCase{"Instructions", "INSTRUCTIONS", 0, 4460, 1212, 12, true},
        TextCase{"BoxText170BelowBoxTop",
                 "This form is to be completed by the Steward and Supervisor and signed by the "
                 "Complainant. Both the Union and Company shall",
                 0, 200, 1658, 9, false},
        TextCase{"BoxSecondLine",
                 "receive a completed copy. All employee complaints should be treated as", 0, 200,
                 1865, 9, false},
        TextCase{"MutualProblems", "MUTUAL PROBLEMS", 0, 4430, 2072, 9, true},
        TextCase{"PartOneAfterTwoBoldNineBlanks", "PART 1", 0, 0, 2717, 10, true},
        TextCase{"PartOneRest", " - To be completed by Steward and Employee:", 0, 660, 2717, 10,
                 false},
        TextCase{"Employees", "Employee's:", 0, 0, 3177, 10, true},
        TextCase{"ComplaintNature", "Complaint Nature", 0, 0, 6047, 10, true},
        TextCase{"CaseFactsWithTrailingSpace", "Case Facts ", 0, 0, 8537, 10, true},
        TextCase{"CaseFactsHint",
                 "(Give complete details including who, what, where, when, and why. Attach all "
                 "records, forms, letters, or",
                 0, 1210, 8537, 10, false},
        TextCase{"PapersInvolved", "papers involved)", 0, 0, 8767, 10, false},
        TextCase{"StewardsSignature", "Steward's Signature", 0, 0, 14397, 8, false},
        TextCase{"StewardsDate", "Date", 0, 3924, 14397, 8, false},
        TextCase{"EmployeesSignature", "Employee's Signature", 0, 5256, 14397, 8, false},
        TextCase{"EmployeesDate", "Date", 1, 9180, 14397, 8, false},
        TextCase{"FooterSevenSpaces", "TVF 4308 (9/92)       PRINTED IN U.S.A.", 0, 0, 14621, 6,
                 false}),
    [](const auto &info) { return std::string(info.param.name); });

struct RuleCase {
    const char *name;
    int index;
    double x1, y1, x2, y2;
};

class FrontSideRule : public ::testing::TestWithParam<RuleCase>
{
};

TEST_P(FrontSideRule, LiesWhereTheLayoutPutsIt)
{
    const RuleCase &c = GetParam();
    const QList<RecordedOp> rules = draw(numberedFields()).ofKind(Kind::Line);
    ASSERT_EQ(rules.size(), 4 + 16 + 11 + 4 + 1);
    const RecordedOp &r = rules.at(c.index);
    EXPECT_DOUBLE_EQ(r.x1, c.x1);
    EXPECT_DOUBLE_EQ(r.y1, c.y1);
    EXPECT_DOUBLE_EQ(r.x2, c.x2);
    EXPECT_DOUBLE_EQ(r.y2, c.y2);
}

// The instructions box hangs from B = 1488, the y after "INSTRUCTIONS".
INSTANTIATE_TEST_SUITE_P(
    Rules, FrontSideRule,
    ::testing::Values(RuleCase{"BoxTop", 0, 0, 1488, 10680, 1528},
                      RuleCase{"BoxRight", 1, 10680, 1488, 10720, 2428},
                      RuleCase{"BoxBottom", 2, 0, 2388, 10680, 2428},
                      RuleCase{"BoxLeft", 3, 0, 1488, 40, 2428},
                      RuleCase{"FirstCaseFactsRule", 20, 0, 9387, 10680, 9397},
                      RuleCase{"LastCaseFactsRule", 30, 0, 13887, 10680, 13897},
                      RuleCase{"StewardsSignature", 31, 0, 14357, 3744, 14367},
                      RuleCase{"StewardsDate", 32, 3924, 14367, 5076, 14377},
                      RuleCase{"EmployeesSignature", 33, 5256, 14377, 9000, 14387},
                      RuleCase{"EmployeesDate", 34, 9180, 14387, 10680, 14397},
                      RuleCase{"Bottom", 35, 0, 14581, 10680, 14621}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FrontSide, LogoIsScaledIntoItsBox)
{
    const QList<RecordedOp> pictures = draw(numberedFields()).ofKind(Kind::Picture);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_DOUBLE_EQ(pictures[0].x1, 0);
    EXPECT_DOUBLE_EQ(pictures[0].y1, 300);
    EXPECT_DOUBLE_EQ(pictures[0].x2, 1100);
    EXPECT_DOUBLE_EQ(pictures[0].y2, 1000);
    EXPECT_EQ(pictures[0].pictureSize, QSize(422, 361));
}

struct ValuesCase {
    const char *name;
    QString value;
};

class FrontSideValues : public ::testing::TestWithParam<ValuesCase>
{
};

TEST_P(FrontSideValues, NeitherLabelsNorRulesMoveWithTheValues)
{
    // Empty values still get their labels and underlines; values wider than
    // their space run on over what follows instead of pushing it.
    FrontSideData d = numberedFields();
    for (QString &f : d.fields)
        f = GetParam().value;
    const RecordedDocument reference = draw(numberedFields());
    const RecordedDocument doc = draw(d);

    const QList<RecordedOp> expected = reference.ofKind(Kind::Line);
    const QList<RecordedOp> rules = doc.ofKind(Kind::Line);
    ASSERT_EQ(rules.size(), expected.size());
    for (qsizetype i = 0; i < rules.size(); ++i) {
        EXPECT_DOUBLE_EQ(rules[i].x1, expected[i].x1) << "rule " << i;
        EXPECT_DOUBLE_EQ(rules[i].y1, expected[i].y1) << "rule " << i;
        EXPECT_DOUBLE_EQ(rules[i].x2, expected[i].x2) << "rule " << i;
    }
    const QStringList texts = doc.printedTexts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Shift Starting Time")));
    EXPECT_TRUE(texts.contains(QStringLiteral("CO: ") + GetParam().value +
                               QStringLiteral("     Cl: ") + GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Values, FrontSideValues,
                         ::testing::Values(ValuesCase{"Empty", QString()},
                                           ValuesCase{"WiderThanThePage", QString(300, 'W')},
                                           ValuesCase{"OnlySpaces", QStringLiteral("   ")}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FrontSide, FieldsNotOnThisSideAreNotPrinted)
{
    FrontSideData d = numberedFields();
    const QStringList texts = draw(d).printedTexts();
    for (int i : {11, 12, 13, 14, 15})
        EXPECT_FALSE(texts.contains(QStringLiteral("F%1").arg(i))) << i;
}

} // namespace
