// A row changed or deleted by someone else since the record set read it must
// never be overwritten, nor deleted: the write is refused, names the record,
// and the other change stays as it was.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

namespace
{

enum class Path { EditUpdate, GridUpdateRow, Delete };
enum class When { BeforeEdit, AfterEditBegan };

struct ConflictCase {
    const char *name;
    const char *table;
    const char *otherWrite; // run through the second connection, ? is the row's key
    int error;
    const char *namedAs; // how the message names the record
};

const char *const ChangeName = "UPDATE Employee SET Name = 'Someone Else' WHERE rowid = ?";

class ConflictFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        db.insert(QStringLiteral("Employee"),
                  {{QStringLiteral("Name"), QStringLiteral("Ada Byron")},
                   {QStringLiteral("File Number"), QStringLiteral("000123")},
                   {QStringLiteral("Department"), QStringLiteral("Mill")}});
        db.insert(QStringLiteral("Complaints"),
                  {{QStringLiteral("File Number"), QStringLiteral("000123")},
                   {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")}});
    }
    QVariantMap stored(const QString &table) { return db.row(table, QStringLiteral("1")); }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
};

class RecordSetConflict : public ConflictFixture,
                          public ::testing::WithParamInterface<std::tuple<ConflictCase, Path, When>>
{
};

TEST_P(RecordSetConflict, IsRefusedNamingTheRecordAndLeavesTheOtherChange)
{
    const auto &[c, path, when] = GetParam();
    const QString table = QString::fromLatin1(c.table);
    RecordSet rs(cdb, table);
    const qint64 key = rs.bookmark();
    const QVariantList read = rs.values();
    // Change the field the other writer did not touch, or the same one.
    const int field =
        rs.fieldIndex(table == QLatin1String("Employee") ? QStringLiteral("Department")
                                                         : QStringLiteral("Remedy Sought"));
    auto otherWrite = [&] { db.query(QString::fromLatin1(c.otherWrite), {key}); };

    if (when == When::BeforeEdit)
        otherWrite();
    if (path == Path::EditUpdate) {
        rs.edit();
        rs.setValue(field, QStringLiteral("Ours"));
    }
    if (when == When::AfterEditBegan)
        otherWrite();
    const QVariantMap theirs = stored(table);

    try {
        if (path == Path::EditUpdate) {
            rs.update();
        } else if (path == Path::Delete) {
            rs.deleteCurrent(read);
        } else {
            QVariantList changed = read;
            changed[field] = QStringLiteral("Ours");
            rs.updateRow(0, read, changed);
        }
        FAIL() << "the other change was overwritten";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), c.error);
        EXPECT_TRUE(e.description().contains(QString::fromLatin1(c.namedAs)))
            << e.description().toStdString();
    }
    EXPECT_EQ(stored(table), theirs);
    EXPECT_EQ(rs.lastModified(), -1);
}

const ConflictCase Cases[] = {
    {"OtherFieldChanged", "Employee", ChangeName, DataErrors::WriteConflict,
     "Employee record with File Number 000123"},
    {"SameFieldChanged", "Employee", "UPDATE Employee SET Department = 'Yard' WHERE rowid = ?",
     DataErrors::WriteConflict, "File Number 000123"},
    {"OnlyLetterCaseChanged", "Employee", "UPDATE Employee SET Name = 'ADA BYRON' WHERE rowid = ?",
     DataErrors::WriteConflict, "File Number 000123"},
    {"FieldCleared", "Employee", "UPDATE Employee SET \"File Number\" = NULL WHERE rowid = ?",
     DataErrors::WriteConflict, "File Number 000123"},
    {"FieldFilledIn", "Employee", "UPDATE Employee SET \"Home Phone\" = '555-0100' WHERE rowid = ?",
     DataErrors::WriteConflict, "File Number 000123"},
    {"RowDeleted", "Employee", "DELETE FROM Employee WHERE rowid = ?", DataErrors::RowDeleted,
     "Employee record with File Number 000123"},
    {"ComplaintChanged", "Complaints",
     "UPDATE Complaints SET \"Case Facts1\" = 'More facts' WHERE rowid = ?",
     DataErrors::WriteConflict, "Complaints record with Grievance Number 1"},
    {"ComplaintDeleted", "Complaints", "DELETE FROM Complaints WHERE rowid = ?",
     DataErrors::RowDeleted, "Grievance Number 1"},
};

INSTANTIATE_TEST_SUITE_P(
    Conflicts, RecordSetConflict,
    ::testing::Combine(::testing::ValuesIn(Cases),
                       ::testing::Values(Path::EditUpdate, Path::GridUpdateRow, Path::Delete),
                       ::testing::Values(When::BeforeEdit, When::AfterEditBegan)),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == Path::EditUpdate      ? "_Update"
                : std::get<1>(info.param) == Path::GridUpdateRow ? "_UpdateRow"
                                                                 : "_Delete") +
               (std::get<2>(info.param) == When::BeforeEdit ? "_BeforeEdit" : "_AfterEditBegan");
    });

// Whichever field the other writer changed, the last one included, the save
// is refused.
using RecordSetConflictOnEveryField = ConflictFixture;

TEST_F(RecordSetConflictOnEveryField, IsRefused)
{
    for (const QString &table : {QStringLiteral("Employee"), QStringLiteral("Complaints")}) {
        const QStringList fields = RecordSet(cdb, table).fieldNames();
        for (const QString &theirs : fields) {
            if (theirs == QLatin1String("Grievance Number"))
                continue; // the key: a change of it is a deletion
            RecordSet rs(cdb, table);
            const QString ours = fields.at(fields.at(1) == theirs ? 2 : 1);
            db.query(
                QStringLiteral("UPDATE %1 SET \"%2\" = 'Z' WHERE rowid = ?").arg(table, theirs),
                {rs.bookmark()});
            rs.edit();
            rs.setValue(rs.fieldIndex(ours), QStringLiteral("Ours"));
            try {
                rs.update();
                ADD_FAILURE() << "saved over another change of " << theirs.toStdString();
            } catch (const DataError &e) {
                EXPECT_EQ(e.number(), DataErrors::WriteConflict) << theirs.toStdString();
            }
        }
    }
}

// What the set itself wrote, or re-read after another change, is no conflict.
using RecordSetNoConflict = ConflictFixture;

TEST_F(RecordSetNoConflict, SuccessiveUpdatesOfTheSameRowGoThrough)
{
    RecordSet rs(cdb, QStringLiteral("Employee"));
    const int department = rs.fieldIndex(QStringLiteral("Department"));
    for (const QString &value : {QStringLiteral("Yard"), QString(), QStringLiteral("yard")}) {
        rs.edit();
        rs.setValue(department, value.isNull() ? QVariant() : QVariant(value));
        ASSERT_NO_THROW(rs.update());
        EXPECT_EQ(stored(QStringLiteral("Employee")).value(QStringLiteral("Department")).toString(),
                  value);
    }
}

TEST_F(RecordSetNoConflict, AChangeSeenByMovingBackIsNoConflict)
{
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Second")}});
    RecordSet rs(cdb, QStringLiteral("Employee"));
    db.query(QString::fromLatin1(ChangeName), {rs.bookmark()});
    rs.moveNext();
    rs.movePrevious();
    EXPECT_EQ(rs.value(rs.fieldIndex(QStringLiteral("Name"))), QStringLiteral("Someone Else"));
    rs.edit();
    rs.setValue(rs.fieldIndex(QStringLiteral("Department")), QStringLiteral("Ours"));
    ASSERT_NO_THROW(rs.update());
    const QVariantMap row = stored(QStringLiteral("Employee"));
    EXPECT_EQ(row.value(QStringLiteral("Name")), QStringLiteral("Someone Else"));
    EXPECT_EQ(row.value(QStringLiteral("Department")), QStringLiteral("Ours"));
}

// A row deleted by someone else between a save's commit and the set's
// reading it back (on a server, another steward's delete just after it):
// the set stays on the record, shown empty, and the next save is refused as
// deleted instead of editing values that are not there.
TEST_F(RecordSetNoConflict, ARowDeletedJustAfterItsSaveIsRefusedAsDeletedAtTheNextSave)
{
    RecordSet rs(cdb, QStringLiteral("Employee"));
    const int department = rs.fieldIndex(QStringLiteral("Department"));
    const qint64 key = rs.bookmark();
    rs.edit();
    rs.setValue(department, QStringLiteral("Yard"));
    rs.setAlsoWrite([this, key](QSqlQuery &q) {
        ASSERT_TRUE(q.prepare(db.adapted(QStringLiteral("DELETE FROM Employee WHERE rowid = ?"))));
        q.addBindValue(key);
        ASSERT_TRUE(q.exec());
    });
    ASSERT_NO_THROW(rs.update());
    ASSERT_TRUE(rs.hasCurrent());
    EXPECT_EQ(rs.values().size(), rs.fieldCount());
    rs.edit();
    rs.setValue(department, QStringLiteral("Mill"));
    try {
        rs.update();
        FAIL() << "saved into a deleted row";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::RowDeleted);
    }
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 0);
}

} // namespace
