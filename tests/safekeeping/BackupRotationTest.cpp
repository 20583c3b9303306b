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

QList<Backup> taken(const QList<QDateTime> &times, qint64 bytes = 1)
{
    QList<Backup> out;
    for (const QDateTime &t : times)
        out.append({t, bytes});
    return out;
}

// The rules read one by one for each backup, the bound applied after.
QList<int> oracle(const QList<Backup> &b, const QDateTime &now, const Policy &p)
{
    const auto newer = [&](qsizetype a, qsizetype c) {
        return b.at(a).time > b.at(c).time || (b.at(a).time == b.at(c).time && a > c);
    };
    const auto past = [&](qsizetype i) { return b.at(i).time <= now; };
    const auto month = [](const QDate &d) { return d.year() * 12 + d.month(); };
    QList<bool> keep(b.size());
    qsizetype newestPast = -1;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (!past(i)) {
            keep[i] = true;
            continue;
        }
        int rank = 0;
        bool newestOfDay = true, newestOfMonth = true;
        QSet<qint64> laterDays;
        QSet<int> laterMonths;
        const QDate day = b.at(i).time.toUTC().date();
        for (qsizetype j = 0; j < b.size(); ++j) {
            if (j == i || !past(j) || !newer(j, i))
                continue;
            ++rank;
            const QDate other = b.at(j).time.toUTC().date();
            newestOfDay = newestOfDay && other != day;
            newestOfMonth = newestOfMonth && month(other) != month(day);
            if (other > day)
                laterDays.insert(other.toJulianDay());
            if (month(other) > month(day))
                laterMonths.insert(month(other));
        }
        if (rank == 0)
            newestPast = i;
        keep[i] = rank < std::max(1, p.newest) || b.at(i).time.secsTo(now) < p.hours * 3600 ||
                  (newestOfDay && laterDays.size() < p.days) ||
                  (newestOfMonth && laterMonths.size() < p.months);
    }
    qint64 total = 0;
    for (qsizetype i = 0; i < b.size(); ++i)
        total += keep.at(i) ? b.at(i).bytes : 0;
    while (p.maxBytes > 0 && total > p.maxBytes) {
        qsizetype oldest = -1;
        for (qsizetype i = 0; i < b.size(); ++i) {
            if (keep.at(i) && i != newestPast && (oldest < 0 || newer(oldest, i)))
                oldest = i;
        }
        if (oldest < 0)
            break;
        keep[oldest] = false;
        total -= b.at(oldest).bytes;
    }
    QList<int> doomed;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (!keep.at(i))
            doomed << int(i);
    }
    return doomed;
}

struct Case {
    const char *name;
    QList<Backup> backups; // oldest first
    QDateTime now;
    QList<int> deleted;
    Policy policy = {};
};

QList<QDateTime> hourly(const QDateTime &from, int count)
{
    QList<QDateTime> out;
    for (int i = 0; i < count; ++i)
        out << from.addSecs(3600 * i);
    return out;
}

QList<Backup> terabytes(int count)
{
    return taken(hourly(utc(2026, 12, 7, 1), count), qint64(1) << 40);
}

Policy bound(int terabytes, qint64 plus = 0)
{
    Policy p;
    p.maxBytes = (qint64(terabytes) << 40) + plus;
    return p;
}

class Rotation : public ::testing::TestWithParam<Case>
{
};

TEST_P(Rotation, DeletesWhatNoRuleKeeps)
{
    const Case &c = GetParam();
    EXPECT_EQ(BackupRotation::toDelete(c.backups, c.now, c.policy), c.deleted);
    EXPECT_EQ(oracle(c.backups, c.now, c.policy), c.deleted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rotation,
    ::testing::Values(
        Case{"NothingToDelete", {}, utc(2026, 12, 7), {}},
        // Hourly from 01:30 on 5 December to 12:30 on the 7th: 48 hours
        // old exactly is too old; the newest of 5 December (23:30) stays.
        Case{"ExactlyFortyEightHoursOldGoes",
             taken(hourly(utc(2026, 12, 5, 1, 30), 60)),
             utc(2026, 12, 7, 12, 30),
             {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        // Two in one second, days old: the later in the list is the newer.
        Case{"SameSecondTheEarlierGoes",
             taken(QList<QDateTime>{utc(2026, 11, 1), utc(2026, 11, 1)} +
                   hourly(utc(2026, 12, 7, 0), 10)),
             utc(2026, 12, 7, 23),
             {0}},
        // A backup dated after now (the clock was set back) stays and takes
        // none of the ten places: of eleven others only the oldest goes.
        Case{"FutureDatedStaysAndTakesNoPlace",
             taken(hourly(utc(2026, 12, 1, 0), 11) + QList<QDateTime>{utc(2027, 6, 1)}),
             utc(2026, 12, 7, 23),
             {0}},
        // At the bound exactly nothing more goes; over it the oldest go
        // first, and the newest stays even alone over it.
        Case{"AtTheBoundTheOldestGoes", terabytes(3), utc(2026, 12, 7, 4), {0}, bound(2)},
        Case{"OverTheBoundTheOldestGo", terabytes(3), utc(2026, 12, 7, 4), {0, 1}, bound(2, -1)},
        Case{"TheNewestStaysOverTheBound", terabytes(3), utc(2026, 12, 7, 4), {0, 1}, bound(0, 1)}),
    [](const auto &info) { return std::string(info.param.name); });

// Any list, any clock, any rules: what the rotation deletes is what the
// rules, read one by one for each backup, leave unkept.
TEST(RotationProperty, AgreesWithTheRulesReadOneByOne)
{
    const unsigned r0 = std::random_device{}();
    std::mt19937 random(r0);
    const QDateTime base = utc(2026, 1, 1, 0);
    for (int round = 0; round < 400; ++round) {
        Policy p;
        p.hours = int(random() % 73);
        p.newest = int(random() % 13);
        p.days = int(random() % 41);
        p.months = int(random() % 16);
        p.maxBytes = random() % 3 == 0 ? qint64(1 + random() % 5000) : 0;
        QList<Backup> b;
        QDateTime t = base;
        const int count = int(random() % 120);
        for (int i = 0; i < count; ++i) {
            // Bursts within a day, days and months apart, and repeats.
            const int gap = random() % 4 == 0 ? 0 : int(random() % 5 == 0 ? 86400 * 40 : 5000);
            t = t.addSecs(random() % 3 == 0 ? qint64(random() % 86400 * 3) : gap);
            b.append({t, qint64(random() % 700)});
        }
        const QDateTime now =
            count == 0 ? base : b.at(int(random() % count)).time.addSecs(qint64(random() % 200000));
        ASSERT_EQ(BackupRotation::toDelete(b, now, p), oracle(b, now, p))
            << "round " << round << " (random " << r0 << ")";
    }
}

// The program's real pattern over fourteen months, the clock once jumping a
// year ahead: a backup when it opens and when it closes on most days,
// several sessions on some, none for days at a time, the rotation after
// each new backup. After every rotation the folder holds exactly what the
// rules keep of all backups ever taken; the jump deletes no more than a
// normal day would.
TEST(RotationOverTime, KeepsExactlyWhatTheRulesSayEveryDay)
{
    std::mt19937 random(20261207);
    QList<Backup> all, kept;
    QDateTime clock = utc(2027, 1, 25, 7); // through the end of February of a leap year
    for (int day = 0; day < 430; ++day, clock = clock.addDays(day == 200 ? 366 : 1)) {
        const int sessions = random() % 10 < 3 ? 0 : int(1 + random() % 4);
        QDateTime t = clock.addSecs(int(random() % 3600));
        for (int s = 0; s < 2 * sessions; ++s, t = t.addSecs(int(600 + random() % 7200))) {
            all.append({t, 1});
            kept.append({t, 1});
            const qsizetype before = kept.size();
            const QList<int> doomed = BackupRotation::toDelete(kept, t);
            for (auto it = doomed.crbegin(); it != doomed.crend(); ++it)
                kept.removeAt(*it);
            // Never more than two days' backups at once (at most eight a day).
            ASSERT_LE(before - kept.size(), 2 * 8 + 2)
                << "at " << t.toString(Qt::ISODate).toStdString();
        }
        // The rules read one by one are slow on long lists: once a week,
        // and on the day of the jump.
        if (day % 7 != 0 && day != 200)
            continue;
        QList<QDateTime> expected, held;
        const QList<int> unkept = oracle(all, clock.addDays(1), {});
        const QList<int> doomed = BackupRotation::toDelete(kept, clock.addDays(1));
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (!unkept.contains(int(i)))
                expected << all.at(i).time;
        }
        for (qsizetype i = 0; i < kept.size(); ++i) {
            if (!doomed.contains(int(i)))
                held << kept.at(i).time;
        }
        ASSERT_EQ(held, expected) << "on " << clock.toString(Qt::ISODate).toStdString();
    }
    EXPECT_GT(all.size(), 1000);
}

} // namespace
