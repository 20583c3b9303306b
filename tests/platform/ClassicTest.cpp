#include "platform/core/Classic.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace
{

struct ValCase {
    const char *name;
    const char *text;
    double expected;
};

class ValTest : public ::testing::TestWithParam<ValCase>
{
};

TEST_P(ValTest, ReadsTheNumberTheTextBeginsWith)
{
    EXPECT_DOUBLE_EQ(Classic::Val(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

const ValCase valCases[] = {ValCase{"Empty", "", 0},
                            ValCase{"Integer", "2", 2},
                            ValCase{"Fraction", "1.5", 1.5},
                            ValCase{"LeadingBlanks", "   3", 3},
                            ValCase{"BlanksInsideDigits", " 1 2 3", 123},
                            ValCase{"NumberThenWord", "4 copies", 4},
                            ValCase{"Letter", "abc", 0},
                            ValCase{"Negative", "-1", -1},
                            ValCase{"Exponent", "1e10", 1e10},
                            ValCase{"ExponentWithoutDigits", "7e", 7},
                            ValCase{"SecondPointStops", "1.2.3", 1.2},
                            ValCase{"Hex", "&H1F", 31},
                            ValCase{"Octal", "&O17", 15},
                            ValCase{"Large", "40000", 40000},
                            ValCase{"SignAlone", "-", 0},
                            ValCase{"PointAlone", ".", 0},
                            ValCase{"LeadingPoint", ".5", 0.5},
                            ValCase{"CommaIsNoDecimalMark", "1,5", 1},
                            ValCase{"HugeExponentIsFinite", "1e999", 1.7976931348623157e308}};

INSTANTIATE_TEST_SUITE_P(Texts, ValTest, ::testing::ValuesIn(valCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A desktop with a German locale writes 1,5; the C library then stops
// reading "1.5" at the point. The typed copies must not change with it.
class ValUnderGermanLocale : public ValTest
{
  protected:
    void SetUp() override
    {
        m_before = std::setlocale(LC_NUMERIC, nullptr);
        ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
            << "the locale de_DE.UTF-8 is missing; scripts/setup.sh generates it";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, m_before.c_str()); }

  private:
    std::string m_before;
};

TEST_P(ValUnderGermanLocale, ReadsTheSameNumber)
{
    EXPECT_DOUBLE_EQ(Classic::Val(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ValUnderGermanLocale, ::testing::ValuesIn(valCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct RoundCase {
    const char *name;
    double value;
    int expected; // -99999 when the value does not fit 16 bits
};

class Int16Test : public ::testing::TestWithParam<RoundCase>
{
};

TEST_P(Int16Test, RoundsHalfToEvenWithinSixteenBits)
{
    const auto r = Classic::toInt16(GetParam().value);
    if (GetParam().expected == -99999) {
        EXPECT_FALSE(r.has_value());
    } else {
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(*r, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, Int16Test,
    ::testing::Values(RoundCase{"OnePointFive", 1.5, 2}, RoundCase{"TwoPointFive", 2.5, 2},
                      RoundCase{"ThreePointFive", 3.5, 4}, RoundCase{"MinusTwoPointFive", -2.5, -2},
                      RoundCase{"MinusOnePointFive", -1.5, -2},
                      RoundCase{"JustBelowHalf", 2.4999, 2}, RoundCase{"Max", 32767.4, 32767},
                      RoundCase{"MaxHalfRoundsUp", 32767.5, -99999},
                      RoundCase{"Min", -32768.5, -32768}, RoundCase{"BelowMin", -32769, -99999},
                      RoundCase{"FortyThousand", 40000, -99999}, RoundCase{"Huge", 1e10, -99999}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Snapshot16, ClampsInsteadOfFailing)
{
    EXPECT_EQ(Classic::snapshot16(100.5), 100);
    EXPECT_EQ(Classic::snapshot16(101.5), 102);
    EXPECT_EQ(Classic::snapshot16(1e9), 32767);
    EXPECT_EQ(Classic::snapshot16(-1e9), -32768);
}

} // namespace
