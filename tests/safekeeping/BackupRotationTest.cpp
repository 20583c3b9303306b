// Which backups the rotation keeps: the newest ten, the newest of each of
// the last thirty days and of each of the last twelve months.
#include "safekeeping/BackupRotation.h"

#include <QSet>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <random>

namespace
{

QDateTime utc(int y, int m, int d, int h = 12, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), QTimeZone::utc());
}

struct Case {
    const char *name;
    QList<QDateTime> times; // oldest first
    QDateTime now;
    QList<int> deleted;
};

QList<QDateTime> hourly(const QDateTime &from, int count)
{
    QList<QDateTime> out;
    for (int i = 0; i < count; ++i)
        out << from.addSecs(3600 * i);
    return out;
}

class Rotation : public ::testing::TestWithParam<Case>
{
};

TEST_P(Rotation, DeletesWhatNoRuleKeeps)
{
    EXPECT_EQ(BackupRotation::toDelete(GetParam().times, GetParam().now), GetParam().deleted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rotation,
    ::testing::Values(
        Case{"NothingToDelete", {}, utc(2026, 12, 7), {}},
        Case{"TenInADayAllStay", hourly(utc(2026, 12, 7, 0), 10), utc(2026, 12, 7, 23), {}},
        // Of twelve in one day the two oldest go: the newest ten stay, and
        // the newest of the day and of the month are among them.
        Case{"TwelveInADayTheOldestTwoGo",
             hourly(utc(2026, 12, 7, 0), 12),
             utc(2026, 12, 7, 23),
             {0, 1}},
        // Two in one second: the later in the list is the newer.
        Case{"SameSecondTheEarlierGoes",
             QList<QDateTime>{utc(2026, 11, 1), utc(2026, 11, 1)} + hourly(utc(2026, 12, 7, 0), 10),
             utc(2026, 12, 7, 23),
             {0}},
        // A day ends at midnight UTC; a month at its last second.
        Case{"MonthEndsAtItsLastSecond",
             QList<QDateTime>{utc(2026, 1, 31, 23, 59, 59), utc(2026, 2, 1, 0, 0, 0)} +
                 hourly(utc(2026, 12, 7, 0), 10),
             utc(2026, 12, 7, 23),
             {}},
        // Twelve months back from December: January is the oldest kept.
        Case{"ThirteenMonthsBackGoes",
             QList<QDateTime>{utc(2025, 12, 31, 23, 59, 59), utc(2026, 1, 1, 0, 0, 0)} +
                 hourly(utc(2026, 12, 7, 0), 10),
             utc(2026, 12, 7, 23),
             {0}},
        // Thirty days back from 7 December: 8 November is the oldest day kept.
        Case{"ThirtyDaysBackGoes",
             QList<QDateTime>{utc(2026, 11, 7, 8), utc(2026, 11, 7, 9), utc(2026, 11, 8, 8),
                              utc(2026, 11, 8, 9)} +
                 hourly(utc(2026, 12, 7, 0), 10),
             utc(2026, 12, 7, 23),
             {0, 1, 2}},
        // A backup dated after now (the clock was set back) stays and takes
        // none of the ten places: of eleven others only the oldest goes.
        Case{"FutureDatedStaysAndTakesNoPlace",
             hourly(utc(2026, 12, 7, 0), 11) + QList<QDateTime>{utc(2027, 6, 1)},
             utc(2026, 12, 7, 23),
             {0}},
        // Times in any zone are read as the instants they are.
        Case{"OtherZonesReadAsUtc",
             QList<QDateTime>{QDateTime(QDate(2026, 12, 1), QTime(1, 0), QTimeZone(3 * 3600)),
                              QDateTime(QDate(2026, 11, 30), QTime(23, 30), QTimeZone::utc())} +
                 hourly(utc(2026, 12, 7, 0), 10),
             QDateTime(QDate(2026, 12, 8), QTime(1, 0), QTimeZone(3 * 3600)),
             // 1:00 on 1 December at UTC+3 is 22:00 on 30 November in UTC:
             // the same day as the other, and the older of the two.
             {0}}),
    [](const auto &info) { return std::string(info.param.name); });

// The program's real pattern over fourteen months: a backup when it opens
// and when it closes on most days, several sessions on some, none for days
// at a time, the rotation after each new backup. After every rotation the
// folder holds exactly what the three rules keep of all backups ever taken,
// and no more than 10 + 30 + 12.
TEST(RotationOverTime, KeepsExactlyWhatTheRulesSayEveryDay)
{
    std::mt19937 random(20261207);
    QList<QDateTime> all;                  // every backup ever taken
    QList<QDateTime> kept;                 // what the folder holds
    QDateTime clock = utc(2027, 1, 25, 7); // through the end of February of a leap year
    for (int day = 0; day < 430; ++day, clock = clock.addDays(1)) {
        const int sessions = random() % 10 < 3 ? 0 : int(1 + random() % 3);
        QDateTime t = clock.addSecs(int(random() % 3600));
        for (int s = 0; s < 2 * sessions; ++s, t = t.addSecs(int(600 + random() % 7200))) {
            all << t;
            kept << t;
            const QList<int> doomed = BackupRotation::toDelete(kept, t);
            for (auto it = doomed.crbegin(); it != doomed.crend(); ++it)
                kept.removeAt(*it);

            // What the rules keep of everything taken so far.
            QList<QDateTime> expected;
            QSet<QDate> days;
            QSet<int> months;
            for (qsizetype i = all.size() - 1; i >= 0; --i) {
                const QDate d = all.at(i).date();
                const int month = d.year() * 12 + d.month();
                const bool newest = all.size() - i <= 10;
                const bool ofDay = d.daysTo(t.date()) < 30 && !days.contains(d);
                const bool ofMonth = (t.date().year() * 12 + t.date().month()) - month < 12 &&
                                     !months.contains(month);
                days.insert(d);
                months.insert(month);
                if (newest || ofDay || ofMonth)
                    expected.prepend(all.at(i));
            }
            ASSERT_EQ(kept, expected) << "at " << t.toString(Qt::ISODate).toStdString();
            ASSERT_LE(kept.size(), 10 + 30 + 12);
        }
    }
    EXPECT_GT(all.size(), 1000);
}

} // namespace
