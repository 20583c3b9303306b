// Writing through a record set: add, edit, cancel and delete, checked through
// a second connection.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <vector>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString NameField = QStringLiteral("Name");
const QString Department = QStringLiteral("Department");

class RecordSetEdit : public ::testing::Test
{
  protected:
    void fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
            db.insert(Employee, {{NameField, QStringLiteral("E%1").arg(i)}});
    }
    std::unique_ptr<RecordSet> openSet(const QString &source = Employee,
                                       int type = RecordSet::Dynaset)
    {
        return std::make_unique<RecordSet>(cdb, source, type);
    }
    static QString name(const RecordSet &rs)
    {
        return rs.value(rs.fieldIndex(NameField)).toString();
    }
    static void set(RecordSet &rs, const QString &field, const QVariant &v)
    {
        rs.setValue(rs.fieldIndex(field), v);
    }
    qint64 keyOf(const QString &employee)
    {
        QSqlQuery q =
            db.query(QStringLiteral("SELECT rowid FROM Employee WHERE Name = ?"), {employee});
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    QStringList storedNames()
    {
        QStringList names;
        QSqlQuery q = db.query(QStringLiteral("SELECT Name FROM Employee ORDER BY rowid"));
        while (q.next())
            names << q.value(0).toString();
        return names;
    }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
};

// ---- AddNew + Update ------------------------------------------------------------

enum class Where { First, Middle, Bof, Eof };
enum class Move { Next, Previous };

struct AddCase {
    const char *name;
    int rows;
    Where where;
};

class RecordSetAdd : public RecordSetEdit, public ::testing::WithParamInterface<AddCase>
{
};

TEST_P(RecordSetAdd, AppendsTheNewKeyAndReturnsWhereItWas)
{
    const AddCase &c = GetParam();
    fill(c.rows);
    auto rs = openSet();
    switch (c.where) {
    case Where::First:
        break;
    case Where::Middle:
        rs->moveNext();
        break;
    case Where::Bof:
        rs->movePrevious();
        break;
    case Where::Eof:
        rs->moveLast();
        if (!rs->isEOF())
            rs->moveNext();
        break;
    }
    const int position = rs->absolutePosition();
    const bool bof = rs->isBOF(), eof = rs->isEOF();
    const QString shown = name(*rs);

    rs->addNew();
    EXPECT_EQ(rs->editMode(), RecordSet::Adding);
    EXPECT_TRUE(rs->value(0).isNull()) << "a new record starts blank";
    set(*rs, NameField, QStringLiteral("New"));
    set(*rs, QStringLiteral("File Number"), QStringLiteral("000777"));
    rs->update();

    const qint64 key = keyOf(QStringLiteral("New"));
    ASSERT_GT(key, 0) << "stored";
    EXPECT_EQ(
        db.row(Employee, QStringLiteral("rowid = ?"), {key}).value(QStringLiteral("File Number")),
        QStringLiteral("000777"));
    EXPECT_EQ(rs->lastModified(), key);
    EXPECT_EQ(rs->editMode(), RecordSet::NoEdit);
    ASSERT_EQ(rs->loadedCount(), c.rows + 1);
    EXPECT_EQ(rs->keyAt(c.rows), key) << "appended at the end";
    EXPECT_EQ(rs->absolutePosition(), position);
    EXPECT_EQ(rs->isBOF(), bof && c.rows > 0) << "a set holding a row is not at both ends";
    EXPECT_EQ(rs->isEOF(), eof);
    EXPECT_EQ(name(*rs), shown);

    rs->setBookmark(rs->lastModified());
    EXPECT_EQ(name(*rs), QStringLiteral("New"));
    EXPECT_EQ(rs->absolutePosition(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Add, RecordSetAdd,
                         ::testing::Values(AddCase{"OnTheFirst", 3, Where::First},
                                           AddCase{"InTheMiddle", 3, Where::Middle},
                                           AddCase{"AtBOF", 3, Where::Bof},
                                           AddCase{"AtEOF", 3, Where::Eof},
                                           AddCase{"OnAnEmptySet", 0, Where::Eof}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordSetEdit, AnUntouchedNewRecordIsStoredBlankAndNumbered)
{
    auto rs = std::make_unique<RecordSet>(cdb, QStringLiteral("Complaints"));
    rs->addNew();
    rs->update();
    rs->addNew();
    rs->update();
    ASSERT_EQ(db.count(QStringLiteral("Complaints")), 2);
    QSqlQuery q = db.query(QStringLiteral(
        "SELECT \"Grievance Number\", \"File Number\" FROM Complaints ORDER BY rowid"));
    ASSERT_TRUE(q.next());
    const qint64 first = q.value(0).toLongLong();
    EXPECT_TRUE(q.value(1).isNull());
    ASSERT_TRUE(q.next());
    EXPECT_GT(q.value(0).toLongLong(), first) << "numbered by the database";
    EXPECT_EQ(rs->lastModified(), q.value(0).toLongLong());
}

TEST_F(RecordSetEdit, TheAutomaticNumberIsNeverWrittenByTheSet)
{
    auto rs = std::make_unique<RecordSet>(cdb, QStringLiteral("Complaints"));
    rs->addNew();
    set(*rs, QStringLiteral("Grievance Number"), 99);
    set(*rs, QStringLiteral("File Number"), QStringLiteral("000123"));
    rs->update();
    EXPECT_EQ(db.count(QStringLiteral("Complaints"), QStringLiteral("\"Grievance Number\" = 99")),
              0);
    EXPECT_EQ(db.count(QStringLiteral("Complaints"), QStringLiteral("\"File Number\" = '000123'")),
              1);
}

// ---- Edit + Update, CancelUpdate ------------------------------------------------

TEST_F(RecordSetEdit, EditAndUpdateWritesOnlyTheCurrentRow)
{
    fill(3);
    auto rs = openSet();
    rs->moveNext();
    rs->edit();
    set(*rs, Department, QStringLiteral("Stores"));
    EXPECT_EQ(rs->value(rs->fieldIndex(Department)), QStringLiteral("Stores"))
        << "the edit buffer shows";
    EXPECT_TRUE(db.row(Employee, QStringLiteral("Name = 'E1'")).value(Department).isNull())
        << "not before update";
    rs->update();
    EXPECT_EQ(db.count(Employee, QStringLiteral("Department = 'Stores'")), 1);
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'E1'")).value(Department),
              QStringLiteral("Stores"));
    EXPECT_EQ(rs->value(rs->fieldIndex(Department)), QStringLiteral("Stores"));
    EXPECT_EQ(rs->absolutePosition(), 1);
    EXPECT_EQ(rs->lastModified(), keyOf(QStringLiteral("E1")));
}

TEST_F(RecordSetEdit, UpdateOfAnUntouchedRecordChangesNothingButMarksItLastModified)
{
    fill(2);
    db.query(QStringLiteral("UPDATE Employee SET Department = 'Shop' WHERE Name = 'E1'"));
    auto rs = openSet();
    rs->moveNext();
    const QVariantMap before = db.row(Employee, QStringLiteral("Name = 'E1'"));
    rs->edit();
    rs->update();
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'E1'")), before);
    EXPECT_EQ(rs->lastModified(), keyOf(QStringLiteral("E1")));
    EXPECT_EQ(rs->editMode(), RecordSet::NoEdit);
}

TEST_F(RecordSetEdit, CancelUpdateDropsTheBufferOfAnEditAndOfANewRecord)
{
    fill(2);
    auto rs = openSet();
    rs->moveNext();
    rs->edit();
    set(*rs, NameField, QStringLiteral("Changed"));
    rs->cancelUpdate();
    EXPECT_EQ(name(*rs), QStringLiteral("E1"));
    rs->addNew();
    set(*rs, NameField, QStringLiteral("Dropped"));
    rs->cancelUpdate();
    EXPECT_EQ(name(*rs), QStringLiteral("E1"));
    EXPECT_EQ(rs->absolutePosition(), 1);
    EXPECT_EQ(storedNames(), (QStringList{QStringLiteral("E0"), QStringLiteral("E1")}));
    EXPECT_EQ(rs->lastModified(), -1);
}

// ---- Delete -------------------------------------------------------------------

struct DeleteCase {
    const char *name;
    int rows;
    int at;          // position deleted
    Move after;      // the move that leaves the deleted position
    QString landsOn; // name reached, empty for none
    bool bof, eof;   // flags after that move
};

class RecordSetDelete : public RecordSetEdit, public ::testing::WithParamInterface<DeleteCase>
{
};

TEST_P(RecordSetDelete, LeavesTheSetOnTheDeletedPositionUntilAMove)
{
    const DeleteCase &c = GetParam();
    fill(c.rows);
    auto rs = openSet();
    for (int i = 0; i < c.at; ++i)
        rs->moveNext();
    const QString gone = name(*rs);
    rs->deleteCurrent();

    EXPECT_EQ(db.count(Employee), c.rows - 1);
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = ?"), {gone}), 0);
    EXPECT_EQ(rs->loadedCount(), c.rows - 1);
    EXPECT_FALSE(rs->hasCurrent());
    EXPECT_FALSE(rs->isBOF()) << "the deleted position is neither end";
    EXPECT_FALSE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_THROW(rs->deleteCurrent(), DataError) << "a deleted record cannot go twice";

    if (c.after == Move::Next)
        rs->moveNext();
    else
        rs->movePrevious();
    EXPECT_EQ(name(*rs), c.landsOn);
    EXPECT_EQ(rs->hasCurrent(), !c.landsOn.isEmpty());
    EXPECT_EQ(rs->isBOF(), c.bof);
    EXPECT_EQ(rs->isEOF(), c.eof);
}

INSTANTIATE_TEST_SUITE_P(
    Delete, RecordSetDelete,
    ::testing::Values(
        DeleteCase{"MiddleThenNextGoesToTheRowAfter", 3, 1, Move::Next, QStringLiteral("E2"), false,
                   false},
        DeleteCase{"MiddleThenPreviousGoesToTheRowBefore", 3, 1, Move::Previous,
                   QStringLiteral("E0"), false, false},
        DeleteCase{"FirstThenNextGoesToTheSecond", 3, 0, Move::Next, QStringLiteral("E1"), false,
                   false},
        DeleteCase{"FirstThenPreviousIsBOF", 3, 0, Move::Previous, QString(), true, false},
        DeleteCase{"LastThenNextIsEOF", 3, 2, Move::Next, QString(), false, true},
        DeleteCase{"OnlyRowThenNextIsAtBothEnds", 1, 0, Move::Next, QString(), true, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordSetEdit, DeleteOnAnEmptySetOrOffTheEndsIsRefusedAndDeletesNothing)
{
    auto empty = openSet();
    try {
        empty->deleteCurrent();
        FAIL() << "deleted on an empty set";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::NoCurrentRecord);
    }
    EXPECT_TRUE(empty->isBOF() && empty->isEOF());

    fill(2);
    auto rs = openSet();
    rs->movePrevious();
    EXPECT_THROW(rs->deleteCurrent(), DataError);
    rs->moveLast();
    rs->moveNext();
    EXPECT_THROW(rs->deleteCurrent(), DataError);
    EXPECT_EQ(db.count(Employee), 2);
}

TEST_F(RecordSetEdit, ASnapshotRefusesEveryWriteAsReadOnly)
{
    fill(2);
    auto rs = openSet(Employee, RecordSet::Snapshot);
    const std::vector<std::function<void()>> writes = {
        [&] { rs->addNew(); },
        [&] { rs->edit(); },
        [&] { rs->deleteCurrent(); },
        [&] { rs->insertRow({QStringLiteral("X")}); },
        [&] { rs->deleteRow(0); },
        [&] { rs->updateRow(0, rs->rowValues(0), {QStringLiteral("X")}); },
    };
    for (const auto &write : writes) {
        try {
            write();
            ADD_FAILURE() << "a snapshot was written";
        } catch (const DataError &e) {
            EXPECT_EQ(e.number(), DataErrors::ReadOnly);
        }
    }
    EXPECT_EQ(storedNames(), (QStringList{QStringLiteral("E0"), QStringLiteral("E1")}));
}

} // namespace
