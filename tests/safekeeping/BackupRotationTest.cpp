// Which backups the rotation keeps: every one of the last 48 hours, the
// newest ten, the newest of each of the last thirty days and twelve months
// that hold backups, within a bound on their size; and the same rotation of
// the tables a server keeps before an import, per server and table.
#include "safekeeping/BackupRotation.h"
#include "records/CaseDatabase.h"
#include "safekeeping/BackupFolder.h"
#include "safekeeping/TableKeeps.h"
#include "support/RunRandomness.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
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

namespace
{

// A file of `bytes` bytes at `path`; false when it cannot be written.
bool writeBytes(const QString &path, qint64 bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(QByteArray(bytes, 'x')) == bytes;
}

} // namespace

// The CSV files a server's table is kept in before an import rotate as the
// backups do, per server and table. Random keeps of one server's table lie
// among that server's other table's, those of a server whose name begins as
// its does, the file's own backups, names the keeps had before they named
// their server, a link and a " (1)" under its own names: only the keeps the
// rules do not keep go, every other file stays.
TEST(TableKeepsRotation, DeletesOnlyTheKeepsOfThatServerAndTableTheRulesDoNotKeep)
{
    QStandardPaths::setTestModeEnabled(true);
    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    std::mt19937 random(randomness);
    const QString server = QStringLiteral("quill@db.office:5432/cases%1").arg(randomness);
    const TableKeeps keeps(server, QStringLiteral("Employee"));
    QString error;
    ASSERT_TRUE(keeps.make(&error)) << error.toStdString();
    const QDir dir(keeps.folder());
    QStringList made;
    const auto cleanUp = qScopeGuard([&made] {
        for (const QString &path : std::as_const(made))
            QFile::remove(path);
    });
    const auto make = [&](const QString &path, qint64 bytes) {
        made << path;
        return writeBytes(path, bytes);
    };

    const QDateTime now = utc(2026, 12, 7, 14);
    QList<Backup> ours; // oldest first
    QStringList ourPaths;
    QDateTime t = now.addDays(-500);
    for (int i = 20 + int(random() % 60); i > 0; --i) {
        // Hours to weeks apart, a few within one second.
        if (random() % 6 != 0)
            t = t.addSecs(qint64(600 + random() % (3600 * 24 * (random() % 2 ? 1 : 20))));
        if (t > now)
            break;
        const qint64 bytes = 1 + qint64(random() % 5000);
        const QString path = keeps.newPath(t);
        ASSERT_TRUE(make(path, bytes));
        ours.append({t, bytes});
        ourPaths << path;
    }
    const QList<QDateTime> others = {now.addDays(-400), now.addDays(-90), now.addSecs(-60)};
    QStringList theirs;
    for (const QDateTime &o : others) {
        for (const QString &path :
             {TableKeeps(server, QStringLiteral("Complaints")).newPath(o),
              TableKeeps(server + QStringLiteral("7"), QStringLiteral("Employee")).newPath(o),
              BackupFolder(CaseDatabase::defaultFile()).newPath(o),
              dir.filePath(BackupFolder(CaseDatabase::defaultFile()).prefix() +
                           o.toString(QStringLiteral(" 'before import' yyyy-MM-dd HH.mm.ss "
                                                     "'UTC Employee.csv'")))}) {
            ASSERT_TRUE(make(path, 10));
            theirs << path;
        }
    }
    const QString aimed = dir.filePath(QStringLiteral("aimed at.txt"));
    ASSERT_TRUE(make(aimed, 10));
    const QString link = keeps.newPath(now.addDays(-450));
    ASSERT_TRUE(QFile::link(aimed, link));
    made << link;
    const QString one = QString(keeps.newPath(now.addDays(-460)))
                            .replace(QStringLiteral(".csv"), QStringLiteral(" (1).csv"));
    ASSERT_TRUE(make(one, 10));
    theirs << aimed << link << one;

    Policy policy;
    policy.maxBytes = random() % 2 ? 0 : qint64(5000 + random() % 40000);
    QStringList expected;
    for (int i : BackupRotation::toDelete(ours, now, policy))
        expected << ourPaths.at(i);
    ::testing::Test::RecordProperty("deleted", int(expected.size()));
    const TableKeeps::Rotated rotated = keeps.rotate(now, policy);
    EXPECT_TRUE(rotated.notDeleted.isEmpty());
    QStringList deleted = rotated.deleted;
    deleted.sort();
    expected.sort();
    EXPECT_EQ(deleted, expected);
    for (const QString &path : std::as_const(ourPaths))
        EXPECT_EQ(QFileInfo::exists(path), !expected.contains(path)) << path.toStdString();
    for (const QString &path : std::as_const(theirs))
        EXPECT_TRUE(QFileInfo(path).isSymLink() || QFileInfo::exists(path)) << path.toStdString();
    EXPECT_FALSE(ourPaths.isEmpty() || !QFileInfo::exists(ourPaths.last()))
        << "the newest keep always stays";
}
