// Which backups the rotation keeps: every one of the last 48 hours, the
// newest ten, the newest of each of the last thirty days and twelve months
// that hold backups, within a bound on their size.
#include "safekeeping/BackupRotation.h"

#include <QSet>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <random>

namespace
{

using BackupRotation::Backup;
using BackupRotation::Policy;

QDateTime utc(int y, int m, int d, int h = 12, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), QTimeZone::utc());
}

struct Case {
    const char *name;
    QList<QDateTime> times; // oldest first
    QDateTime now;
    QList<int> deleted;
    qint64 maxBytes = 0; // every backup takes 1 TiB
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

QList<Backup> taken(const QList<QDateTime> &times, qint64 bytes = qint64(1) << 40)
{
    QList<Backup> out;
    for (const QDateTime &t : times)
        out.append({t, bytes});
    return out;
}

TEST_P(Rotation, DeletesWhatNoRuleKeeps)
{
    Policy p;
    p.maxBytes = GetParam().maxBytes;
    EXPECT_EQ(BackupRotation::toDelete(taken(GetParam().times), GetParam().now, p),
              GetParam().deleted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rotation,
    ::testing::Values(
        Case{"NothingToDelete", {}, utc(2026, 12, 7), {}},
        // Hourly from 01:30 on 5 December to 12:30 on the 7th: 48 hours old
        // exactly is too old; the newest of 5 December (23:30) stays.
        Case{"ExactlyFortyEightHoursOldGoes",
             hourly(utc(2026, 12, 5, 1, 30), 60),
             utc(2026, 12, 7, 12, 30),
             {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        // At the bound nothing more goes; over it the oldest go first, and
        // the newest stays even alone over it.
        Case{"AtTheBound", hourly(utc(2026, 12, 7, 0), 3), utc(2026, 12, 7, 3), {0}, 2LL << 40},
        Case{"OverTheBound", hourly(utc(2026, 12, 7, 0), 3), utc(2026, 12, 7, 3), {0, 1}, 1},
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
        // A backup dated after now (the clock was set back) stays and takes
        // none of the ten places: of eleven others only the oldest goes.
        Case{"FutureDatedStaysAndTakesNoPlace",
             hourly(utc(2026, 12, 1, 0), 11) + QList<QDateTime>{utc(2027, 6, 1)},
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

// The rules read one by one for each backup.
QList<int> oracle(const QList<Backup> &b, const QDateTime &now, const Policy &p)
{
    const auto newer = [&](qsizetype a, qsizetype c) {
        return b.at(a).time > b.at(c).time || (b.at(a).time == b.at(c).time && a > c);
    };
    const auto month = [](const QDate &d) { return d.year() * 12 + d.month(); };
    QList<bool> keep(b.size());
    for (qsizetype i = 0; i < b.size(); ++i) {
        int rank = 0;
        bool newestOfDay = true, newestOfMonth = true;
        QSet<qint64> laterDays;
        QSet<int> laterMonths;
        const QDate day = b.at(i).time.toUTC().date();
        for (qsizetype j = 0; j < b.size(); ++j) {
            if (j == i || b.at(j).time > now || !newer(j, i))
                continue;
            const QDate other = b.at(j).time.toUTC().date();
            ++rank;
            newestOfDay = newestOfDay && other != day;
            newestOfMonth = newestOfMonth && month(other) != month(day);
            if (other > day)
                laterDays.insert(other.toJulianDay());
            if (month(other) > month(day))
                laterMonths.insert(month(other));
        }
        keep[i] = b.at(i).time > now || rank < std::max(1, p.newest) ||
                  b.at(i).time.secsTo(now) < p.hours * 3600 ||
                  (newestOfDay && laterDays.size() < p.days) ||
                  (newestOfMonth && laterMonths.size() < p.months);
    }
    QList<int> doomed;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (!keep.at(i))
            doomed << int(i);
    }
    return doomed;
}

// The program's real pattern over fourteen months, its clock once jumping a
// year ahead: a backup when it opens and when it closes on most days,
// several sessions on some, none for days at a time, the rotation after
// each new backup. No rotation deletes more than two days' backups, the
// jump neither, and the folder holds what the rules keep of all backups
// ever taken.
TEST(RotationOverTime, KeepsExactlyWhatTheRulesSayEveryDay)
{
    std::mt19937 random(20261207);
    QList<QDateTime> all;                  // every backup ever taken
    QList<QDateTime> kept;                 // what the folder holds
    QDateTime clock = utc(2027, 1, 25, 7); // through the end of February of a leap year
    for (int day = 0; day < 430; ++day, clock = clock.addDays(day == 200 ? 366 : 1)) {
        const int sessions = random() % 10 < 3 ? 0 : int(1 + random() % 3);
        QDateTime t = clock.addSecs(int(random() % 3600));
        for (int s = 0; s < 2 * sessions; ++s, t = t.addSecs(int(600 + random() % 7200))) {
            all << t;
            kept << t;
            const QList<int> doomed = BackupRotation::toDelete(taken(kept), t);
            for (auto it = doomed.crbegin(); it != doomed.crend(); ++it)
                kept.removeAt(*it);
            ASSERT_LE(doomed.size(), 2 * 6 + 2) << "at " << t.toString(Qt::ISODate).toStdString();
        }
    }
    // What the rules keep of everything taken.
    QList<QDateTime> expected;
    const QList<int> unkept = oracle(taken(all), all.last(), {});
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (!unkept.contains(int(i)))
            expected << all.at(i);
    }
    EXPECT_EQ(kept, expected);
    EXPECT_GT(all.size(), 1000);
}

} // namespace
