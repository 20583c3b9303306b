// The day arithmetic against a plain count, one day at a time, over many
// random dates, limits and holiday lists: year ends, leap days (and 2100,
// which is none), holidays on weekends, twice listed, and in runs.
#include "records/WorkCalendar.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

namespace
{

struct Oracle {
    QSet<QDate> holidays;

    bool working(QDate d) const { return d.dayOfWeek() <= 5 && !holidays.contains(d); }
    QDate next(QDate d) const
    {
        while (!working(d))
            d = d.addDays(1);
        return d;
    }
    QDate add(QDate from, int n) const
    {
        QDate d = from;
        for (int counted = 0; counted < n;) {
            d = d.addDays(1);
            if (working(d))
                ++counted;
        }
        return d;
    }
    qint64 between(QDate a, QDate b) const
    {
        qint64 n = 0;
        for (QDate d = std::min(a, b).addDays(1); d <= std::max(a, b); d = d.addDays(1))
            n += working(d) ? 1 : 0;
        return b < a ? -n : n;
    }
};

// Around the turns of the year, the leap days and anywhere.
QDate someDate(std::mt19937 &rng)
{
    static const QDate anchors[] = {QDate(1999, 12, 28), QDate(2000, 2, 27),  QDate(2023, 12, 22),
                                    QDate(2024, 2, 26),  QDate(2024, 12, 30), QDate(2099, 12, 24),
                                    QDate(2100, 2, 26),  QDate(2027, 12, 31)};
    std::uniform_int_distribution<int> pick(0, 3);
    if (pick(rng) == 0)
        return QDate(1995, 1, 1).addDays(std::uniform_int_distribution<int>(0, 40000)(rng));
    const QDate anchor = anchors[std::uniform_int_distribution<int>(0, 7)(rng)];
    return anchor.addDays(std::uniform_int_distribution<int>(-20, 20)(rng));
}

QList<QDate> someHolidays(std::mt19937 &rng, QDate near)
{
    QList<QDate> out;
    const int kinds = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int k = 0; k < kinds; ++k) {
        const QDate start = near.addDays(std::uniform_int_distribution<int>(-30, 400)(rng));
        // A run of days off (a plant shutdown at the year's end, say), or
        // one day, sometimes listed twice.
        const int run = std::uniform_int_distribution<int>(0, 2)(rng) == 0
                            ? std::uniform_int_distribution<int>(2, 15)(rng)
                            : 1;
        for (int i = 0; i < run; ++i)
            out << start.addDays(i);
        if (std::uniform_int_distribution<int>(0, 4)(rng) == 0)
            out << start;
    }
    std::shuffle(out.begin(), out.end(), rng);
    return out;
}

} // namespace

TEST(WorkCalendarProperty, AgreesWithADayByDayCount)
{
    const unsigned randomStart = 20250304;
    std::mt19937 rng(randomStart);
    for (int round = 0; round < 20000; ++round) {
        const QDate from = someDate(rng);
        const QList<QDate> holidays = someHolidays(rng, from);
        const WorkCalendar calendar(holidays);
        const Oracle oracle{QSet<QDate>(holidays.begin(), holidays.end())};
        const int n = std::uniform_int_distribution<int>(0, 3)(rng) == 0
                          ? std::uniform_int_distribution<int>(0, 400)(rng)
                          : std::uniform_int_distribution<int>(0, 30)(rng);
        const QDate other = from.addDays(std::uniform_int_distribution<int>(-60, 400)(rng));
        const bool working = rng() % 2, move = rng() % 2;
        SCOPED_TRACE(testing::Message()
                     << "random start " << randomStart << ", round " << round << ": from "
                     << from.toString(Qt::ISODate).toStdString() << ", n " << n << ", other "
                     << other.toString(Qt::ISODate).toStdString() << ", " << holidays.size()
                     << " holidays");
        ASSERT_EQ(calendar.isWorkingDay(from), oracle.working(from));
        ASSERT_EQ(calendar.nextWorkingDay(from), oracle.next(from));
        ASSERT_EQ(calendar.addWorkingDays(from, n), oracle.add(from, n));
        ASSERT_EQ(calendar.workingDaysBetween(from, other), oracle.between(from, other));
        const QDate last = working ? oracle.add(from, n) : from.addDays(n);
        ASSERT_EQ(calendar.deadline(from, n, working, move), move ? oracle.next(last) : last);
        ASSERT_EQ(calendar.daysLeft(from, other, working),
                  working ? oracle.between(from, other) : from.daysTo(other));
    }
}
