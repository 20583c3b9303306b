#include "print/BackSide.h"
#include "support/RecordingSurface.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = RecordedOp::Kind;

// Line height 230 for both weights of Arial 10; 100 twips per character in
// regular and 120 in bold, so a label end shows which weight measured it.
RecordedDocument drawWithLineHeight230()
{
    RecordingSurface s;
    s.setMetrics(10, false, 100, 230);
    s.setMetrics(10, true, 120, 230);
    s.setMetrics(8, false, 80, 184);
    drawBackSide(s);
    return s.document();
}

struct TextCase {
    const char *name;
    const char *text;
    int occurrence; // which printing of that text
    double x, y;
    bool bold;
    double size;
};

class BackSideText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(BackSideText, StandsWhereTheLayoutPutsIt)
{
    const TextCase &c = GetParam();
    const RecordedDocument doc = drawWithLineHeight230();
    int seen = 0;
    for (const RecordedOp &o : doc.ofKind(Kind::Print)) {
        if (o.text != QString::fromUtf8(c.text) || seen++ != c.occurrence)
            continue;
        EXPECT_DOUBLE_EQ(o.x1, c.x);
        EXPECT_DOUBLE_EQ(o.y1, c.y);
        EXPECT_EQ(o.bold, c.bold);
        EXPECT_DOUBLE_EQ(o.fontSize, c.size);
        EXPECT_EQ(o.fontName, QStringLiteral("Arial"));
        return;
    }
    FAIL() << "not printed: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    LineHeight230, BackSideText,
    ::testing::Values(
        TextCase{"PartTwoHeading", "PART II", 0, 0, 460, true, 10},
        TextCase{"HeadingRestInRegular", " - To be completed by Supervisor", 0, 840, 460, false,
                 10},
        TextCase{"ComplaintInformation", "Complaint Information", 0, 0, 920, true, 10},
        TextCase{"Row1", "Name of Complainant", 0, 0, 1490, false, 10},
        TextCase{"Row2KeepsItsSpelling", "Date Alleged Violation Occured", 0, 0, 1960, false, 10},
        TextCase{"Row3", "Date Complaint Received", 0, 0, 2430, false, 10},
        TextCase{"Row4KeepsTwoBlanks", "Date Oral Answer Given to Steward  (name)", 0, 0, 2900,
                 false, 10},
        TextCase{"Row4Date", "(date)", 0, 4100 + 4564, 2900, false, 10},
        TextCase{"CaseFactsWithTrailingBlank", "Case Facts ", 0, 0, 3400, true, 10},
        TextCase{"CaseFactsHint",
                 "(Give all relevant facts and highlight important fact difference, if any, "
                 "from Union's position)",
                 0, 11 * 120, 3400, false, 10},
        TextCase{"Answer", "Answer:", 0, 0, 11140, true, 10},
        TextCase{"SignatureCaption", "Supervisor's Signature", 0, 0, 14670, false, 8},
        TextCase{"DateCaption", "Date", 0, 5256, 14670, false, 8}),
    [](const auto &info) { return std::string(info.param.name); });

struct BarCase {
    const char *name;
    int index; // in drawing order
    double x1, y1, x2, y2;
};

class BackSideBar : public ::testing::TestWithParam<BarCase>
{
};

TEST_P(BackSideBar, LiesWhereTheLayoutPutsIt)
{
    const BarCase &c = GetParam();
    const QList<RecordedOp> bars = drawWithLineHeight230().ofKind(Kind::Line);
    ASSERT_EQ(bars.size(), 3 + 2 + 15 + 6 + 2);
    const RecordedOp &b = bars.at(c.index);
    EXPECT_DOUBLE_EQ(b.x1, c.x1);
    EXPECT_DOUBLE_EQ(b.y1, c.y1);
    EXPECT_DOUBLE_EQ(b.x2, c.x2);
    EXPECT_DOUBLE_EQ(b.y2, c.y2);
}

INSTANTIATE_TEST_SUITE_P(
    LineHeight230, BackSideBar,
    ::testing::Values(BarCase{"Row1StartsAfterLabel", 0, 1900 + 50, 1690, 10680, 1700},
                      BarCase{"Row2", 1, 3000 + 50, 2160, 10680, 2170},
                      BarCase{"Row3", 2, 2300 + 50, 2630, 10680, 2640},
                      BarCase{"Row4NameBarFixedLength", 3, 4150, 3100, 4100 + 4464, 3110},
                      BarCase{"Row4DateBar", 4, 4100 + 4564 + 600 + 50, 3100, 10680, 3110},
                      BarCase{"FirstCaseFactsRule", 5, 0, 4090, 10680, 4100},
                      BarCase{"SecondCaseFactsRule", 6, 0, 4560, 10680, 4570},
                      BarCase{"LastCaseFactsRule", 19, 0, 10670, 10680, 10680},
                      BarCase{"FirstAnswerRule", 20, 0, 11830, 10680, 11840},
                      BarCase{"SecondAnswerRule", 21, 0, 12300, 10680, 12310},
                      BarCase{"LastAnswerRule", 25, 0, 14180, 10680, 14190},
                      BarCase{"SignatureBar", 26, 0, 14650, 5000, 14660},
                      BarCase{"DateBarTenLower", 27, 5256, 14660, 10680, 14670}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BackSide, SplitRowHasDateBarOnItsOwnRow)
{
    // The two bars of the split row stay on the row's top even though the
    // first one left the position 210 twips lower.
    const QList<RecordedOp> bars = drawWithLineHeight230().ofKind(Kind::Line);
    EXPECT_DOUBLE_EQ(bars.at(3).y1, bars.at(4).y1);
}

TEST(BackSide, EveryRowFollowsTheLineHeight)
{
    // The layout is relative: with another line height every row moves by it.
    RecordingSurface s;
    s.setMetrics(10, false, 100, 250);
    s.setMetrics(10, true, 120, 250);
    drawBackSide(s);
    const QList<RecordedOp> bars = s.document().ofKind(Kind::Line);
    // Rows 470 + 20 apart; rules 2L + 10 apart.
    EXPECT_DOUBLE_EQ(bars.at(1).y1 - bars.at(0).y1, 490);
    EXPECT_DOUBLE_EQ(bars.at(6).y1 - bars.at(5).y1, 510);
    EXPECT_DOUBLE_EQ(bars.at(0).y1, 7 * 250 - 120 + 200);
}

} // namespace
