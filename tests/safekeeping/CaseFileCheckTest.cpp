// A file offered as a case database (a backup to list, a file to restore)
// is judged by reading it only: a good one is counted, a damaged, foreign or
// empty one is refused with its reason, and the folder stays exactly as it
// was either way.
#include "safekeeping/CaseFileCheck.h"
#include "records/FindIndex.h"
#include "safekeeping/BackupFolder.h"
#include "safekeeping/OnlineBackup.h"
#include "safekeeping/SafekeepingFixture.h"

#include <QRegularExpression>
#include <functional>

namespace
{

using namespace Safe;

void overwrite(const QString &path, qint64 at, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(at));
    f.write(bytes);
}

struct Candidate {
    const char *name;
    // Makes the candidate at path from a good case database there.
    std::function<void(const QString &path)> spoil;
    bool good;
    const char *told;
};

class RestoreCandidate : public ::testing::TestWithParam<Candidate>
{
};

TEST_P(RestoreCandidate, IsJudgedWithoutChangingAnything)
{
    CaseFile source;
    source.fill(120, 80);
    QTemporaryDir stick;
    const QString path = stick.filePath(QStringLiteral("Quillmark from the stick.db"));
    ASSERT_TRUE(OnlineBackup::copy(source.path(), path, caseShape()).ok);
    GetParam().spoil(path);
    // SQLite's shared-memory index beside a file in WAL mode is written by
    // every reader; the records are in the file and its -wal.
    const auto files = [&] {
        return folderState(stick.path()).filter(QRegularExpression(QStringLiteral("^(?!.*-shm )")));
    };
    const QStringList before = files();

    const CaseFileReport r = CaseFileCheck::check(path, caseShape());

    EXPECT_EQ(r.good, GetParam().good) << r.problem.toStdString();
    EXPECT_TRUE(r.problem.contains(QLatin1String(GetParam().told))) << r.problem.toStdString();
    if (r.good) {
        EXPECT_EQ(r.rows.size(), 2);
        EXPECT_GE(r.rows.value(0), 120);
    } else {
        EXPECT_TRUE(r.rows.isEmpty());
    }
    EXPECT_EQ(files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RestoreCandidate,
    ::testing::Values(
        Candidate{"Good", [](const QString &) {}, true, ""},
        // A database in WAL mode whose newest rows are still in its -wal
        // file: they count, and the -wal file stays as it was.
        Candidate{
            "GoodWithRowsInItsLog",
            [](const QString &path) {
                // Copied aside while open, as a crash leaves them: the
                // row is in the -wal file only.
                {
                    Raw db(path);
                    db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
                    db.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
                    db.exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('in the log')"));
                    for (const char *s : {"", "-wal", "-shm"})
                        QFile::copy(path + QLatin1String(s), path + QLatin1String(s) + ".kept");
                }
                for (const char *s : {"", "-wal", "-shm"}) {
                    QFile::remove(path + QLatin1String(s));
                    QFile::rename(path + QLatin1String(s) + ".kept", path + QLatin1String(s));
                }
                Raw check(path, true);
                EXPECT_EQ(check.count(CaseSchema::EmployeeTable), 121);
            },
            true, ""},
        Candidate{"Missing", [](const QString &path) { QFile::remove(path); }, false,
                  "does not exist"},
        Candidate{"Empty", [](const QString &path) { QFile(path).resize(0); }, false, "is empty"},
        Candidate{"TextFile",
                  [](const QString &path) {
                      QFile f(path);
                      f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                      f.write("File Number,Name\r\n000123,Pat\r\n");
                  },
                  false, "not a case database"},
        Candidate{"CutShort",
                  [](const QString &path) { QFile(path).resize(QFileInfo(path).size() / 2); },
                  false, "ends before its last page"},
        Candidate{"DamagedPages",
                  [](const QString &path) {
                      const qint64 size = QFileInfo(path).size();
                      overwrite(path, size / 2, QByteArray(3 * 4096, '\xA5'));
                  },
                  false, "is damaged"},
        Candidate{"ForeignDatabase",
                  [](const QString &path) {
                      QFile::remove(path);
                      Raw db(path);
                      db.exec(QStringLiteral("CREATE TABLE Recipes (Name TEXT, Steps TEXT)"));
                  },
                  false, "the table Employee is missing"},
        Candidate{"FieldMissing",
                  [](const QString &path) {
                      Raw db(path);
                      // The find index names the field: SQLite drops no
                      // field that a view or trigger still uses.
                      for (const QString &sql : FindIndex::dropStatements())
                          db.exec(sql);
                      db.exec(
                          QStringLiteral("ALTER TABLE Complaints DROP COLUMN \"Remedy Sought\""));
                  },
                  false, "has no field \"Remedy Sought\""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BackupNames, AreReadBackAndNeverRepeat)
{
    const BackupFolder folder(QStringLiteral("/somewhere/Quillmark.db"));
    EXPECT_EQ(folder.path(), QStringLiteral("/somewhere/Backups"));
    const QDateTime t(QDate(2026, 12, 7), QTime(14, 5, 33), QTimeZone::utc());
    EXPECT_EQ(folder.fileName(t), QStringLiteral("Quillmark 2026-12-07 14.05.33 UTC.db"));
    EXPECT_EQ(folder.fileName(t.toOffsetFromUtc(-5 * 3600), 3),
              QStringLiteral("Quillmark 2026-12-07 14.05.33 UTC (3).db"));
    QDateTime read;
    int sequence = 0;
    ASSERT_TRUE(folder.parse(folder.fileName(t, 12), &read, &sequence));
    EXPECT_EQ(read, t);
    EXPECT_EQ(sequence, 12);
    for (const char *other :
         {"Quillmark 2026-12-07 14.05.33 UTC.db.1a2b.part",
          "Quillmark 2026-12-07 14.05.33 UTC (1).db", "Quillmark 2026-13-07 14.05.33 UTC.db",
          "Quillmark 2026-12-07 14.05.33.db", "Other 2026-12-07 14.05.33 UTC.db", "Quillmark.db"})
        EXPECT_FALSE(folder.parse(QString::fromUtf8(other), nullptr, nullptr)) << other;

    CaseFile db;
    const BackupFolder real(db.path());
    ASSERT_TRUE(real.make(nullptr));
    const QString first = real.newPath(t);
    QFile(first).open(QIODevice::WriteOnly);
    EXPECT_EQ(QFileInfo(real.newPath(t)).fileName(),
              QStringLiteral("Quillmark 2026-12-07 14.05.33 UTC (2).db"));
}

// The listing shows each backup with its time and rows; a damaged file and
// a foreign database under backups' names are listed as not good, and part
// files and other databases' backups not at all.
TEST(BackupListing, CountsGoodBackupsAndNamesTheRest)
{
    CaseFile db;
    db.fill(30, 20);
    const BackupFolder folder(db.path());
    ASSERT_TRUE(folder.make(nullptr));
    const QDateTime t(QDate(2026, 12, 7), QTime(9, 0), QTimeZone::utc());
    const QDir dir(folder.path());
    ASSERT_TRUE(OnlineBackup::copy(db.path(), dir.filePath(folder.fileName(t)), caseShape()).ok);
    db.fill(5, 0, 100);
    ASSERT_TRUE(OnlineBackup::copy(db.path(), dir.filePath(folder.fileName(t, 2)), caseShape()).ok);
    QFile::copy(dir.filePath(folder.fileName(t)),
                dir.filePath(folder.fileName(t.addDays(1)) + ".3f.part"));
    QFile::copy(dir.filePath(folder.fileName(t)),
                dir.filePath(QStringLiteral("Other 2026-12-09 09.00.00 UTC.db")));
    QFile damaged(dir.filePath(folder.fileName(t.addDays(2))));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("SQLite format 3\0", 16) + QByteArray(4000, '\0'));
    damaged.close();
    {
        Raw foreign(dir.filePath(folder.fileName(t.addDays(3))));
        foreign.exec(QStringLiteral("CREATE TABLE Employee (Name TEXT)"));
    }

    const QList<BackupEntry> list = folder.list(caseShape(), BackupFolder::Detail::Counts);
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(0).time, t);
    EXPECT_EQ(list.at(0).rows, (QList<qint64>{30, 20}));
    EXPECT_EQ(list.at(1).sequence, 2);
    EXPECT_EQ(list.at(1).rows, (QList<qint64>{35, 20}));
    EXPECT_FALSE(list.at(2).good);
    EXPECT_FALSE(list.at(3).good);
    EXPECT_TRUE(list.at(3).problem.contains(QLatin1String("has no field")))
        << list.at(3).problem.toStdString();
    EXPECT_TRUE(list.at(2).rows.isEmpty());

    const BackupEntry newest = folder.newestGood(caseShape());
    EXPECT_EQ(newest.path, list.at(1).path);
    EXPECT_EQ(newest.rows, (QList<qint64>{35, 20}));
}

} // namespace
