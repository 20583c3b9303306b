// The next deadline of a complaint under the default time limits: which
// step comes next and its last day, and what a step without a date counts
// from.
#include "records/DeadlinePlan.h"

#include <gtest/gtest.h>

namespace
{

QDate day(const char *iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

struct PlanCase {
    const char *name;
    GrievanceStatus status;
    const char *violation;
    const char *learned;
    std::vector<std::pair<qint64, const char *>> done; // limit id, date
    std::vector<const char *> holidays;
    int next;        // index in the default limits, -1 for none
    const char *due; // its last day
    int shownIndex;  // a further step whose last day the window shows
    const char *shown;
};

class DeadlinePlanTest : public testing::TestWithParam<PlanCase>
{
};

} // namespace

TEST_P(DeadlinePlanTest, NextDeadlineAndEveryLastDay)
{
    const PlanCase &c = GetParam();
    const QList<TimeLimit> limits = DeadlinePlan::defaultLimits();
    ComplaintProgress p;
    p.status = c.status;
    p.violation = day(c.violation);
    p.learned = day(c.learned);
    for (const auto &[id, on] : c.done)
        p.done.insert(id, day(on));
    QList<QDate> holidays;
    for (const char *h : c.holidays)
        holidays << day(h);
    const WorkCalendar calendar(holidays);
    const NextDeadline next = DeadlinePlan::next(limits, p, calendar);
    EXPECT_EQ(next.index, c.next);
    EXPECT_EQ(next.due, day(c.due));
    if (c.shownIndex >= 0) {
        EXPECT_EQ(DeadlinePlan::dues(limits, p, calendar).at(c.shownIndex), day(c.shown));
    }
}

// 2025-03-03 is a Monday.
INSTANTIATE_TEST_SUITE_P(
    DefaultLimits, DeadlinePlanTest,
    testing::Values(PlanCase{"NothingTakenCountsFromTheViolation",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "",
                             {},
                             {},
                             0,
                             "2025-03-17",
                             -1,
                             ""},
                    PlanCase{"LearnedLaterCountsFromThen",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "2025-03-05",
                             {},
                             {},
                             0,
                             "2025-03-19",
                             -1,
                             ""},
                    PlanCase{"AHolidayIsNoWorkingDay",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "",
                             {},
                             {"2025-03-14", "2025-03-15"},
                             0,
                             "2025-03-18",
                             -1,
                             ""},
                    PlanCase{"FiledWaitsForTheAnswer",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "",
                             {{1, "2025-03-10"}},
                             {},
                             1,
                             "2025-03-17",
                             2,
                             "2025-03-31"},
                    PlanCase{"AnsweredTheUnionFilesNext",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "",
                             {{1, "2025-03-10"}, {2, "2025-03-12"}},
                             {},
                             2,
                             "2025-03-26",
                             -1,
                             ""},
                    PlanCase{"FiledWithoutAnAnswerTheNextAnswerCountsFromTheFiling",
                             GrievanceStatus::Open,
                             "2025-03-03",
                             "",
                             {{1, "2025-03-10"}, {3, "2025-03-20"}},
                             {},
                             3,
                             "2025-04-03",
                             -1,
                             ""},
                    PlanCase{"ArbitrationInCalendarDaysMovesOffASunday",
                             GrievanceStatus::Open,
                             "2025-01-06",
                             "",
                             {{1, "2025-01-10"},
                              {2, "2025-01-15"},
                              {3, "2025-01-20"},
                              {4, "2025-02-03"},
                              {5, "2025-02-10"},
                              {6, "2025-05-02"}},
                             {},
                             6,
                             "2025-06-02",
                             -1,
                             ""},
                    PlanCase{"EveryStepTakenLeavesNone",
                             GrievanceStatus::Open,
                             "2025-01-06",
                             "",
                             {{7, "2025-06-01"}},
                             {},
                             -1,
                             "",
                             -1,
                             ""},
                    PlanCase{"ASettledComplaintHasNone",
                             GrievanceStatus::Settled,
                             "2025-03-03",
                             "",
                             {},
                             {},
                             -1,
                             "",
                             -1,
                             ""},
                    PlanCase{"WithoutADateOfViolationNoneCanBeCounted",
                             GrievanceStatus::Open,
                             "",
                             "",
                             {},
                             {},
                             -1,
                             "",
                             -1,
                             ""}),
    [](const testing::TestParamInfo<PlanCase> &info) { return std::string(info.param.name); });
