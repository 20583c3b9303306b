// Automatic backups copy a database only when it changed since the newest
// backup, and thin out the older ones only once a new one is safely made.
#include "safekeeping/BackupKeeper.h"
#include "safekeeping/SafekeepingFixture.h"

#include <QSqlError>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

namespace
{

using namespace Safe;
using Outcome = KeeperResult::Outcome;

QStringList contentOf(const QString &path)
{
    Raw db(path, true);
    return db.rows(QStringLiteral("SELECT * FROM Employee ORDER BY rowid")) +
           db.rows(QStringLiteral("SELECT * FROM Complaints ORDER BY rowid"));
}

void save(CaseDatabase &db, const QString &sql)
{
    db.write([&](QSqlQuery &q) {
        if (!q.exec(sql))
            throw CaseDatabase::errorFrom(q.lastError());
    });
}

// What happens to the database between two backup runs, and whether the
// second run must copy it.
struct Between {
    const char *name;
    std::function<void(const QString &path)> happen;
    bool copies;
};

class SecondRun : public ::testing::TestWithParam<Between>
{
};

TEST_P(SecondRun, CopiesExactlyWhenTheDatabaseChanged)
{
    CaseFile file;
    file.fill(200, 150);
    QDateTime clock(QDate(2026, 12, 7), QTime(8, 0), QTimeZone::utc());
    BackupKeeper keeper(file.path(), caseShape(), [&] { return clock; });
    // The first run is the one the program makes as it opens the file.
    std::unique_ptr<CaseDatabase> program = std::make_unique<CaseDatabase>(file.path());
    program->open();
    ASSERT_EQ(keeper.run().outcome, Outcome::Made);
    program.reset(); // the program closes the file

    GetParam().happen(file.path());
    clock = clock.addSecs(3600);
    const KeeperResult r = keeper.run();

    EXPECT_EQ(r.outcome, GetParam().copies ? Outcome::Made : Outcome::Unchanged)
        << r.message.toStdString();
    const QList<BackupEntry> backups =
        keeper.folder().list(caseShape(), BackupFolder::Detail::Counts);
    ASSERT_EQ(backups.size(), GetParam().copies ? 2 : 1);
    // Either way the newest backup holds the database as it is now.
    EXPECT_EQ(contentOf(backups.last().path), contentOf(file.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SecondRun,
    ::testing::Values(
        Between{"Nothing", [](const QString &) {}, false},
        Between{"OpenedAndReadByTheProgramAgain",
                [](const QString &path) {
                    CaseDatabase db(path);
                    db.open();
                    QSqlQuery q(db.connection());
                    EXPECT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM Employee")));
                },
                false},
        Between{"OneValueEditedToOneOfTheSameLength",
                [](const QString &path) {
                    CaseDatabase db(path);
                    db.open();
                    save(db,
                         QStringLiteral(
                             "UPDATE Employee SET Name = 'Employee X' WHERE Name = 'Employee 7'"));
                },
                true},
        Between{"OneRowAdded",
                [](const QString &path) {
                    CaseDatabase db(path);
                    db.open();
                    save(db, QStringLiteral(
                                 "INSERT INTO Complaints (\"File Number\") VALUES ('000001')"));
                },
                true},
        // The log is folded into the file and begins again at its start:
        // the next save leaves it as long as it was, with a new header.
        Between{"EditAfterTheLogStartedOver",
                [](const QString &path) {
                    CaseDatabase db(path);
                    db.open();
                    save(db,
                         QStringLiteral(
                             "UPDATE Employee SET Name = 'Employee Y' WHERE Name = 'Employee 8'"));
                    QSqlQuery q(db.connection());
                    EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA wal_checkpoint(RESTART)")));
                    q.finish();
                    save(db,
                         QStringLiteral(
                             "UPDATE Employee SET Name = 'Employee Z' WHERE Name = 'Employee Y'"));
                },
                true},
        // Another tool writing without the WAL (rollback journal).
        Between{"EditedInRollbackMode",
                [](const QString &path) {
                    Raw db(path);
                    db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
                    db.exec(QStringLiteral(
                        "UPDATE Employee SET Name = 'Employee Q' WHERE Name = 'Employee 9'"));
                },
                true}),
    [](const auto &info) { return std::string(info.param.name); });

timespec modified(const QString &path)
{
    struct stat st {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

void setModified(const QString &path, const timespec &when)
{
    const timespec times[2] = {{0, UTIME_OMIT}, when};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// A file system whose clock ticks coarsely can give two writes one time,
// and a log that starts over keeps its length: only the log's header (its
// new salt) still tells the save apart.
TEST(BackupKeeper, SaveWithinOneClockTickAfterTheLogStartedOverIsCopied)
{
    CaseFile file;
    file.fill(50, 50);
    QDateTime clock(QDate(2026, 12, 7), QTime(8, 0), QTimeZone::utc());
    BackupKeeper keeper(file.path(), caseShape(), [&] { return clock; });
    CaseDatabase program(file.path());
    program.open();
    // The row's first save also notes it beside the rows for the first
    // time; the two saves compared below each replace that note alike.
    save(program, QStringLiteral("UPDATE Employee SET Department = 'E0' WHERE rowid = 1"));
    save(program, QStringLiteral("UPDATE Employee SET Department = 'E1' WHERE rowid = 1"));
    ASSERT_EQ(keeper.run().outcome, Outcome::Made);
    const QString wal = file.path() + QStringLiteral("-wal");
    const qint64 walSize = QFileInfo(wal).size();
    const timespec walTime = modified(wal), dbTime = modified(file.path());

    QSqlQuery q(program.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA wal_checkpoint(RESTART)")));
    q.finish();
    save(program, QStringLiteral("UPDATE Employee SET Department = 'E2' WHERE rowid = 1"));
    setModified(wal, walTime);
    setModified(file.path(), dbTime);
    ASSERT_EQ(QFileInfo(wal).size(), walSize) << "the log did not start over";

    clock = clock.addSecs(1);
    const KeeperResult r = keeper.run();
    ASSERT_EQ(r.outcome, Outcome::Made);
    EXPECT_EQ(contentOf(r.backup.path), contentOf(file.path()));
    // With the program still open and nothing saved since, no copy.
    EXPECT_EQ(keeper.run().outcome, Outcome::Unchanged);
}

// Old backups: made a day apart over fifty days (copies of one backup under
// the names of those days), plus one damaged file under a backup's name.
class KeeperRotation : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        file.fill(1500, 1500);
        ASSERT_EQ(keeper.run().outcome, Outcome::Made);
        const QString first =
            keeper.folder().list(caseShape(), BackupFolder::Detail::Header).first().path;
        const QDir dir(keeper.folder().path());
        for (int day = 1; day <= 50; ++day)
            ASSERT_TRUE(
                QFile::copy(first, dir.filePath(keeper.folder().fileName(clock.addDays(-day)))));
        QFile damaged(dir.filePath(keeper.folder().fileName(clock.addDays(-60))));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a database");
        damaged.close();
        file.fill(1, 1, 9000);
        clock = clock.addSecs(60);
    }

    QStringList backups() const
    {
        return namesIn(keeper.folder().path()).filter(QStringLiteral(" UTC"));
    }

    CaseFile file;
    QDateTime clock{QDate(2027, 3, 1), QTime(12, 0), QTimeZone::utc()};
    BackupKeeper keeper{file.path(), caseShape(), [this] { return clock; }};
};

TEST_F(KeeperRotation, OldBackupsGoOnlyAfterTheNewOneIsMade)
{
    const QStringList before = backups();
    {
        const FullDisk full(64 * 1024);
        EXPECT_EQ(keeper.run().outcome, Outcome::Failed);
    }
    EXPECT_EQ(backups(), before) << "a failed backup deleted older ones";

    const KeeperResult r = keeper.run();
    ASSERT_EQ(r.outcome, Outcome::Made) << r.message.toStdString();
    // Kept: the new one, the first (the same day) and the 29 days before
    // today (the newest ten, and the newest of February and of January, are
    // among them); the damaged file is neither counted nor deleted.
    const QStringList after = backups();
    EXPECT_EQ(r.deleted.size(), 50 - 29) << after.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(after.size(), 1 + 1 + 29 + 1);
    EXPECT_TRUE(after.contains(keeper.folder().fileName(clock.addDays(-60).addSecs(-60))));
    EXPECT_TRUE(after.contains(QFileInfo(r.backup.path).fileName()));
    for (const QString &gone : r.deleted)
        EXPECT_FALSE(QFileInfo::exists(gone));
}

} // namespace
