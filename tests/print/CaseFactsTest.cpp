#include "print/CaseFactsBlock.h"
#include "support/RecordingSurface.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = RecordedOp::Kind;

// Arial 10 at 100 twips a character and 230 a line: the look-ahead starts
// after the 96th character of a line (x 9600), the hyphen after the 106th
// (x 10600). Entered at y = 0, the rule of line k lies at 440 + 450 (k - 1)
// and its text 250 twips higher.
constexpr double firstRule = 440;
constexpr double ruleStep = 450;

RecordedDocument block(const QString &text)
{
    RecordingSurface s;
    s.setMetrics(10, false, 100, 230);
    printCaseFacts(s, text);
    return s.document();
}

// The text of each ruled line, as printed at that line's text top.
QStringList lines(const RecordedDocument &doc)
{
    QStringList result(CaseFacts::lineCount);
    for (const RecordedOp &o : doc.ofKind(Kind::Print)) {
        if (o.text.isEmpty())
            continue;
        const double offset = o.y1 - (firstRule - CaseFacts::textAboveRule);
        const int line = int(offset / ruleStep);
        EXPECT_DOUBLE_EQ(offset, line * ruleStep) << "text off its line: " << o.text.toStdString();
        EXPECT_GE(line, 0);
        EXPECT_LT(line, CaseFacts::lineCount) << "text below the last line";
        if (line >= 0 && line < CaseFacts::lineCount)
            result[line] += o.text;
    }
    return result;
}

QString run(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

struct BlockCase {
    const char *name;
    QString text;
    QStringList expected; // the lines not listed stay empty
};

class CaseFactsLines : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(CaseFactsLines, BreakAsTheFormDoes)
{
    const BlockCase &c = GetParam();
    QStringList expected = c.expected;
    while (expected.size() < CaseFacts::lineCount)
        expected.append(QString());
    EXPECT_EQ(lines(block(c.text)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaseFactsLines,
    ::testing::Values(
        BlockCase{"Empty", QString(), {}},
        BlockCase{"ShortLine", QStringLiteral("Sent home early."), {"Sent home early."}},
        BlockCase{"BreaksAtTheLastSpaceInTheWindow",
                  run('a', 93) + " " + run('b', 7) + " " + run('c', 20),
                  {run('a', 93) + " " + run('b', 7), run('c', 20)}},
        BlockCase{"SpaceRightAtTheNextPosition",
                  run('a', 96) + " " + run('b', 30),
                  {run('a', 96), run('b', 30)}},
        BlockCase{"LongWordHyphenated", run('a', 200), {run('a', 106) + "-", run('a', 94)}},
        BlockCase{"TextEndsInsideTheWindow", run('a', 100), {run('a', 100)}},
        BlockCase{"ParagraphEndMidLine", QStringLiteral("First\r\nSecond"), {"First", "Second"}},
        BlockCase{"TwoParagraphEndsLeaveALineEmpty", QStringLiteral("A\r\n\r\nB"), {"A", "", "B"}},
        BlockCase{"ParagraphEndInsideTheWindow", run('a', 99) + "\r\nnext", {run('a', 99), "next"}},
        BlockCase{"ParagraphEndPreferredToASpace",
                  run('a', 97) + " b\r\nnext",
                  {run('a', 97) + " b", "next"}},
        BlockCase{"ParagraphEndAtTheWindowsFarEndKeepsEveryCharacter",
                  run('a', 106) + "\r\nzzz",
                  {run('a', 106), "zzz"}},
        BlockCase{"LoneCarriageReturnAtTheFarEnd", run('a', 106) + "\rzzz", {run('a', 106), "zzz"}},
        BlockCase{"LoneLineFeedKeepsTheNextCharacter", QStringLiteral("x\ny"), {"x", "y"}},
        // A line break always ends the printed line at the first one in the
        // window: no text of the next paragraph lands on this line, and a
        // blank line between paragraphs stays blank.
        BlockCase{"TwoLineBreaksInTheWindowEndTheLineAtTheFirst",
                  run('a', 96) + "\r\nJ. Doe\r\nnext",
                  {run('a', 96), "J. Doe", "next"}},
        BlockCase{"BlankLineNearTheRightEdgeIsKept",
                  run('a', 98) + "\r\n\r\nnext",
                  {run('a', 98), "", "next"}},
        BlockCase{"OverflowBeyondElevenLinesDropped",
                  QStringLiteral("L1\r\nL2\r\nL3\r\nL4\r\nL5\r\nL6\r\nL7\r\nL8\r\nL9\r\nL10\r\n"
                                 "L11\r\nL12\r\nL13"),
                  {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10", "L11"}}),
    [](const auto &info) { return std::string(info.param.name); });

// Characters outside the Basic Multilingual Plane and letters with combining
// accents are printed whole, one Print each, and count as one character of
// the line (so the break falls where the reader sees it).
TEST(CaseFacts, PrintsWholeCharacters)
{
    const QString bold = QString::fromUtf8("\xF0\x9D\x90\x80"); // U+1D400, a surrogate pair
    const QString accented = QString::fromUtf8("e\xCC\x81");    // e and a combining acute
    const QString text = bold + accented + QStringLiteral(" ") + run('a', 200);
    const QStringList printed = block(text).printedTexts();
    ASSERT_GE(printed.size(), 2);
    EXPECT_EQ(printed[0], bold);
    EXPECT_EQ(printed[1], accented);
    for (const QString &p : printed) {
        EXPECT_FALSE(p.front().isLowSurrogate() || p.back().isHighSurrogate())
            << "half a character";
        EXPECT_NE(p.front().category(), QChar::Mark_NonSpacing) << "an accent without its letter";
    }
}

TEST(CaseFacts, ElevenRulesWhateverTheText)
{
    for (const QString &text : {QString(), run('x', 765)}) {
        const QList<RecordedOp> rules = block(text).ofKind(Kind::Line);
        ASSERT_EQ(rules.size(), CaseFacts::lineCount);
        for (int k = 0; k < CaseFacts::lineCount; ++k) {
            EXPECT_DOUBLE_EQ(rules[k].x1, 0);
            EXPECT_DOUBLE_EQ(rules[k].y1, firstRule + k * ruleStep);
            EXPECT_DOUBLE_EQ(rules[k].x2, 10680);
            EXPECT_DOUBLE_EQ(rules[k].y2, firstRule + k * ruleStep + 10);
        }
    }
}

TEST(CaseFacts, HyphenStandsRightAfterTheLastCharacter)
{
    const QList<RecordedOp> prints = block(run('a', 200)).ofKind(Kind::Print);
    const auto hyphen = std::find_if(prints.begin(), prints.end(),
                                     [](const RecordedOp &o) { return o.text == "-"; });
    ASSERT_NE(hyphen, prints.end());
    EXPECT_DOUBLE_EQ(hyphen->x1, 10600);
    EXPECT_FALSE(hyphen->stayOnLine);
}

TEST(CaseFacts, EndsAtTheLastRulesFarCorner)
{
    RecordingSurface s;
    s.setMetrics(10, false, 100, 230);
    s.setCurrentY(1000);
    printCaseFacts(s, QStringLiteral("text"));
    EXPECT_DOUBLE_EQ(s.currentX(), 10680);
    EXPECT_DOUBLE_EQ(s.currentY(), 1000 + firstRule + 10 * ruleStep + 10);
}

TEST(CaseFacts, TextLongerThanSixteenBitPositionsEndsCleanly)
{
    // Zero-width characters never reach the line's end, so one line would
    // take the whole text; the position must not wrap round past 32767.
    RecordingSurface s;
    s.setMetrics(10, false, 0, 230);
    printCaseFacts(s, run('a', 40000));
    const QStringList printed = s.document().printedTexts();
    EXPECT_EQ(printed.size(), 32767);
    EXPECT_EQ(s.document().ofKind(Kind::Line).size(), CaseFacts::lineCount);
}

} // namespace
