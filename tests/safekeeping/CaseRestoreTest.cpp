// A backup put back in place of the records while other connections have
// the database open: they see the old records or the restored ones, never
// a mixture, and a restore that cannot get the file changes nothing.
#include "safekeeping/CaseRestore.h"
#include "safekeeping/BackupKeeper.h"
#include "safekeeping/SafekeepingFixture.h"

namespace
{

using namespace Safe;

QString takeBackup(const CaseFile &db)
{
    const KeeperResult kept = BackupKeeper(db.path(), caseShape()).run();
    EXPECT_EQ(kept.outcome, KeeperResult::Outcome::Made) << kept.message.toStdString();
    return kept.backup.path;
}

TEST(CaseRestore, ReplacesTheRecordsUnderAnOpenConnectionAndKeepsTheLog)
{
    CaseFile db;
    db.fill(3, 2);
    const QString backup = takeBackup(db);
    db.fill(4, 1, 100);
    Raw other(db.path()); // another program with the file open
    other.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    ASSERT_EQ(other.count("Employee"), 7);

    const RestoreResult restored = CaseRestore::replace(backup, db.path(), caseShape());

    ASSERT_TRUE(restored.ok) << restored.error.toStdString();
    EXPECT_EQ(restored.rows, (QList<qint64>{3, 2}));
    EXPECT_EQ(other.count("Employee"), 3);
    EXPECT_EQ(other.count("Complaints"), 2);
    // Still the program's database: in WAL mode, whole, and writable.
    EXPECT_EQ(Raw(db.path(), true).rows(QStringLiteral("PRAGMA journal_mode")),
              QStringList{QStringLiteral("3:wal")});
    other.exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('After')"));
    EXPECT_EQ(Raw(db.path(), true).rows(QStringLiteral("PRAGMA integrity_check")),
              QStringList{QStringLiteral("3:ok")});
    EXPECT_EQ(Raw(db.path(), true).count("Employee"), 4);
}

TEST(CaseRestore, LockHeldByAnotherProgramLeavesTheRecordsAsTheyWere)
{
    CaseFile db;
    db.fill(3, 2);
    const QString backup = takeBackup(db);
    db.fill(4, 1, 100);
    Raw writer(db.path());
    writer.exec(QStringLiteral("BEGIN IMMEDIATE"));
    writer.exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('Being saved')"));

    const RestoreResult restored = CaseRestore::replace(backup, db.path(), caseShape());

    EXPECT_FALSE(restored.ok);
    EXPECT_TRUE(restored.error.contains(QStringLiteral("was not changed")))
        << restored.error.toStdString();
    writer.exec(QStringLiteral("COMMIT"));
    EXPECT_EQ(Raw(db.path(), true).count("Employee"), 8);
    EXPECT_EQ(Raw(db.path(), true).count("Complaints"), 3);
}

// After a restore the next complaint is numbered after the highest number
// either side ever handed out, whichever side that was; the backup chosen
// is left as it was taken.
class RestoreNumbering : public ::testing::TestWithParam<std::pair<int, int>>
{
};

TEST_P(RestoreNumbering, NextComplaintFollowsTheHighestNumberEverGiven)
{
    const auto [inBackup, later] = GetParam();
    const QString numbered =
        QStringLiteral("UPDATE sqlite_sequence SET seq = %1 WHERE name = 'Complaints'");
    CaseFile db;
    db.fill(3, 2);
    Raw(db.path()).exec(numbered.arg(inBackup));
    const QString backup = takeBackup(db);
    const QStringList taken = folderState(db.file(QStringLiteral("Backups")));
    Raw(db.path()).exec(numbered.arg(later));

    ASSERT_TRUE(CaseRestore::replace(backup, db.path(), caseShape()).ok);

    EXPECT_EQ(folderState(db.file(QStringLiteral("Backups"))), taken);
    Raw(db.path()).exec(QStringLiteral("INSERT INTO Complaints DEFAULT VALUES"));
    EXPECT_EQ(Raw(db.path(), true)
                  .rows(QStringLiteral("SELECT max(\"Grievance Number\") FROM "
                                       "Complaints")),
              QStringList{QStringLiteral("1:%1").arg(std::max(inBackup, later) + 1)});
}

INSTANTIATE_TEST_SUITE_P(Sides, RestoreNumbering,
                         ::testing::Values(std::pair(5, 20), std::pair(40, 2), std::pair(7, 7)));

} // namespace
