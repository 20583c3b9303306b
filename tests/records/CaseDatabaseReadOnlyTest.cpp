// A case database the steward may read but not write: it opens, and every
// save is refused as read-only instead of failing some other way or silently.
#include "support/HeldToPermissions.h"
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QFile>
#include <QSqlError>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace
{

bool writable(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

enum class Save { AddNew, Edit, Delete, GridInsert };
enum class Journal { Wal, Rollback };

class CaseDatabaseReadOnly : public ::testing::TestWithParam<std::tuple<Save, Journal>>
{
  protected:
    void SetUp() override
    {
        db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Ada")}});
        // As the program leaves it, or as an older tool would.
        db.query(std::get<1>(GetParam()) == Journal::Wal
                     ? QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")
                     : QStringLiteral("PRAGMA journal_mode=DELETE"));
        ASSERT_TRUE(QFile::setPermissions(
            db.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    void TearDown() override
    {
        QFile::setPermissions(db.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    TempCaseDb db;
};

TEST_P(CaseDatabaseReadOnly, OpensAndRefusesEverySaveAsReadOnly)
{
    HeldToPermissions heldToPermissions;
    ASSERT_FALSE(writable(db.path())) << "the file could not be made read-only for this test";

    auto cdb = db.open();
    RecordSet rs(cdb, QStringLiteral("Employee"));
    const int name = rs.fieldIndex(QStringLiteral("Name"));
    EXPECT_EQ(rs.value(name), QStringLiteral("Ada")) << "still readable";

    try {
        switch (std::get<0>(GetParam())) {
        case Save::AddNew:
            rs.addNew();
            rs.setValue(name, QStringLiteral("Bea"));
            rs.update();
            break;
        case Save::Edit:
            rs.edit();
            rs.setValue(name, QStringLiteral("Bea"));
            rs.update();
            break;
        case Save::Delete:
            rs.deleteCurrent();
            break;
        case Save::GridInsert:
            rs.insertRow({QStringLiteral("Bea")});
            break;
        }
        FAIL() << "a read-only database was written";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::ReadOnly) << e.description().toStdString();
    }
    EXPECT_EQ(rs.lastModified(), -1);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 1);
    EXPECT_EQ(db.row(QStringLiteral("Employee"), QStringLiteral("1")).value(QStringLiteral("Name")),
              QStringLiteral("Ada"));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Save, Journal>> &info)
{
    const char *saves[] = {"AddNew", "Edit", "Delete", "GridInsert"};
    return std::string(saves[int(std::get<0>(info.param))]) +
           (std::get<1>(info.param) == Journal::Wal ? "_WalFile" : "_RollbackJournalFile");
}

INSTANTIATE_TEST_SUITE_P(Saves, CaseDatabaseReadOnly,
                         ::testing::Combine(::testing::Values(Save::AddNew, Save::Edit,
                                                              Save::Delete, Save::GridInsert),
                                            ::testing::Values(Journal::Wal, Journal::Rollback)),
                         caseName);

} // namespace
