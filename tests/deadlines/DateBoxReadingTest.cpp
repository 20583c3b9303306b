// Which texts of the complaint's date boxes are read as a date, in which
// language and with which order chosen, and which are left alone.
#include "records/DateBoxReading.h"

#include <gtest/gtest.h>

namespace
{

struct ReadCase {
    const char *name;
    const char *text;
    NumericOrder order;
    const char *locale;
    const char *expected; // ISO, or "" when the text is not read
    bool needsOrder;      // only the order chosen reads it (whichever is chosen now)
};

class DateBoxReadingTest : public testing::TestWithParam<ReadCase>
{
};

} // namespace

TEST_P(DateBoxReadingTest, ReadsOnlyWhatIsOneDate)
{
    const ReadCase &c = GetParam();
    const QLocale locale(QString::fromLatin1(c.locale));
    const QString text = QString::fromUtf8(c.text);
    const QDate expected = QDate::fromString(QString::fromLatin1(c.expected), Qt::ISODate);
    EXPECT_EQ(DateBoxReading::read(text, c.order, locale), expected);
    EXPECT_EQ(DateBoxReading::needsOrder(text, locale), c.needsOrder);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateBoxReadingTest,
    testing::Values(
        ReadCase{"Iso", "2025-03-04", NumericOrder::Unset, "en_US", "2025-03-04", false},
        ReadCase{"IsoWithBlanks", "  2025-03-04 ", NumericOrder::DayFirst, "en_US", "2025-03-04",
                 false},
        ReadCase{"YearFirstWithSlashes", "2025/3/4", NumericOrder::Unset, "en_GB", "2025-03-04",
                 false},
        ReadCase{"DayMonthName", "4 March 2025", NumericOrder::Unset, "en_US", "2025-03-04", false},
        ReadCase{"MonthNameDay", "March 4, 2025", NumericOrder::Unset, "de_DE", "2025-03-04",
                 false},
        ReadCase{"ShortMonthName", "Mar 4 2025", NumericOrder::Unset, "en_US", "2025-03-04", false},
        ReadCase{"GermanMonthName", "4. März 2025", NumericOrder::Unset, "de_DE", "2025-03-04",
                 false},
        ReadCase{"DotsInADayFirstLanguage", "4.3.2025", NumericOrder::Unset, "de_DE", "2025-03-04",
                 false},
        ReadCase{"DotsInAMonthFirstLanguage", "4.3.2025", NumericOrder::Unset, "en_US", "", true},
        ReadCase{"SlashesWithoutAnOrder", "03/04/2025", NumericOrder::Unset, "en_GB", "", true},
        ReadCase{"SlashesMonthFirst", "03/04/2025", NumericOrder::MonthFirst, "en_GB", "2025-03-04",
                 true},
        ReadCase{"SlashesDayFirst", "03/04/2025", NumericOrder::DayFirst, "en_US", "2025-04-03",
                 true},
        ReadCase{"NoThirteenthMonth", "13/04/2025", NumericOrder::MonthFirst, "en_US", "", true},
        ReadCase{"TwoDigitYear", "3-4-25", NumericOrder::MonthFirst, "en_US", "2025-03-04", true},
        ReadCase{"NoThirtyFirstOfFebruary", "31 February 2025", NumericOrder::Unset, "en_US", "",
                 false},
        ReadCase{"MoreWords", "4 March 2025 and after", NumericOrder::DayFirst, "en_US", "", false},
        ReadCase{"NoDate", "ongoing since spring", NumericOrder::DayFirst, "en_US", "", false},
        ReadCase{"TooLongAgo", "1 Jan 1850", NumericOrder::Unset, "en_US", "", false},
        ReadCase{"Empty", "", NumericOrder::DayFirst, "en_US", "", false}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });
