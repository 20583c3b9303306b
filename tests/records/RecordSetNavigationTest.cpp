// Moving through a record set over real rows: the classic BOF/EOF rules,
// positions and bookmarks.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <vector>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString NameField = QStringLiteral("Name");

enum class Move { First, Previous, Next, Last };

void apply(RecordSet &rs, Move m)
{
    switch (m) {
    case Move::First:
        rs.moveFirst();
        break;
    case Move::Previous:
        rs.movePrevious();
        break;
    case Move::Next:
        rs.moveNext();
        break;
    case Move::Last:
        rs.moveLast();
        break;
    }
}

class RecordSetTest : public ::testing::Test
{
  protected:
    // Employees "E0", "E1", ... in insertion order, so a name tells a position.
    void fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
            db.insert(Employee, {{NameField, QStringLiteral("E%1").arg(i)}});
    }
    std::unique_ptr<RecordSet> openSet(const QString &source = Employee)
    {
        return std::make_unique<RecordSet>(cdb, source);
    }
    static QString name(const RecordSet &rs)
    {
        return rs.value(rs.fieldIndex(NameField)).toString();
    }
    qint64 keyOf(const QString &employee)
    {
        QSqlQuery q =
            db.query(QStringLiteral("SELECT rowid FROM Employee WHERE Name = ?"), {employee});
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
};

// ---- moves and the BOF/EOF flags --------------------------------------------

struct MoveCase {
    const char *name;
    int rows;
    std::vector<Move> moves;
    int position; // expected AbsolutePosition; -1 when on no record
    bool bof;
    bool eof;
};

class RecordSetMoves : public RecordSetTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(RecordSetMoves, EndOnTheExpectedRecordAndFlags)
{
    const MoveCase &c = GetParam();
    fill(c.rows);
    auto rs = openSet();
    for (Move m : c.moves)
        apply(*rs, m);
    EXPECT_EQ(rs->absolutePosition(), c.position);
    EXPECT_EQ(rs->isBOF(), c.bof);
    EXPECT_EQ(rs->isEOF(), c.eof);
    EXPECT_EQ(rs->hasCurrent(), c.position >= 0);
    if (c.position >= 0) {
        EXPECT_EQ(name(*rs), QStringLiteral("E%1").arg(c.position));
    } else {
        EXPECT_TRUE(rs->value(0).isNull()) << "no record, no values";
        EXPECT_THROW(rs->bookmark(), DataError);
    }
}

using M = Move;
INSTANTIATE_TEST_SUITE_P(
    Moves, RecordSetMoves,
    ::testing::Values(
        MoveCase{"OpeningStandsOnTheFirst", 3, {}, 0, false, false},
        MoveCase{"EmptySetIsAtBothEnds", 0, {}, -1, true, true},
        MoveCase{"FirstOnEmptyStaysAtBothEnds", 0, {M::First}, -1, true, true},
        MoveCase{"LastOnEmptyStaysAtBothEnds", 0, {M::Last}, -1, true, true},
        MoveCase{"NextStepsOn", 3, {M::Next}, 1, false, false},
        MoveCase{"NextTwiceReachesTheLast", 3, {M::Next, M::Next}, 2, false, false},
        MoveCase{"PreviousFromTheFirstIsBOF", 3, {M::Previous}, -1, true, false},
        MoveCase{"NextFromBOFReturnsToTheFirst", 3, {M::Previous, M::Next}, 0, false, false},
        MoveCase{"LastReachesTheLast", 3, {M::Last}, 2, false, false},
        MoveCase{"NextFromTheLastIsEOF", 3, {M::Last, M::Next}, -1, false, true},
        MoveCase{
            "PreviousFromEOFReturnsToTheLast", 3, {M::Last, M::Next, M::Previous}, 2, false, false},
        MoveCase{"PreviousFromTheLast", 3, {M::Last, M::Previous}, 1, false, false},
        MoveCase{"FirstFromEOF", 3, {M::Last, M::Next, M::First}, 0, false, false},
        MoveCase{"LastFromBOF", 3, {M::Previous, M::Last}, 2, false, false},
        MoveCase{"NextFromTheOnlyRowIsEOF", 1, {M::Next}, -1, false, true},
        MoveCase{"PreviousFromTheOnlyRowIsBOF", 1, {M::Previous}, -1, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

// A move with nowhere to go is an error and leaves the set where it was.
struct BlockedMove {
    const char *name;
    int rows;
    std::vector<Move> setup;
    Move blocked;
};

class RecordSetBlockedMoves : public RecordSetTest,
                              public ::testing::WithParamInterface<BlockedMove>
{
};

TEST_P(RecordSetBlockedMoves, ThrowNoCurrentRecordAndStay)
{
    const BlockedMove &c = GetParam();
    fill(c.rows);
    auto rs = openSet();
    for (Move m : c.setup)
        apply(*rs, m);
    const bool bof = rs->isBOF(), eof = rs->isEOF();
    try {
        apply(*rs, c.blocked);
        FAIL() << "the move went through";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::NoCurrentRecord);
    }
    EXPECT_EQ(rs->isBOF(), bof);
    EXPECT_EQ(rs->isEOF(), eof);
}

INSTANTIATE_TEST_SUITE_P(Moves, RecordSetBlockedMoves,
                         ::testing::Values(BlockedMove{"NextOnEmpty", 0, {}, M::Next},
                                           BlockedMove{"PreviousOnEmpty", 0, {}, M::Previous},
                                           BlockedMove{"NextAtEOF", 2, {M::Last, M::Next}, M::Next},
                                           BlockedMove{
                                               "PreviousAtBOF", 2, {M::Previous}, M::Previous}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- positions, bookmarks, last modified --------------------------------------

TEST_F(RecordSetTest, AbsolutePositionIsMinusOneOnANewRecordAndReturnsWithCancel)
{
    fill(3);
    auto rs = openSet();
    rs->moveNext();
    ASSERT_EQ(rs->absolutePosition(), 1);
    rs->addNew();
    EXPECT_EQ(rs->absolutePosition(), -1);
    rs->cancelUpdate();
    EXPECT_EQ(rs->absolutePosition(), 1);
    EXPECT_EQ(name(*rs), QStringLiteral("E1"));
}

TEST_F(RecordSetTest, BookmarkIsTheRowsKeyAndSettingItMovesThere)
{
    fill(5);
    auto rs = openSet();
    rs->moveLast();
    const qint64 last = rs->bookmark();
    EXPECT_EQ(last, keyOf(QStringLiteral("E4")));
    rs->moveFirst();
    rs->setBookmark(last);
    EXPECT_EQ(name(*rs), QStringLiteral("E4"));
    EXPECT_EQ(rs->absolutePosition(), 4);
    // From past the end too, and a bookmark outlives a requery.
    rs->moveNext();
    ASSERT_TRUE(rs->isEOF());
    rs->requery();
    rs->setBookmark(keyOf(QStringLiteral("E2")));
    EXPECT_EQ(name(*rs), QStringLiteral("E2"));
    EXPECT_FALSE(rs->isEOF());
}

TEST_F(RecordSetTest, ABookmarkOutsideTheSetIsRefusedAndTheSetStays)
{
    fill(3);
    db.insert(Employee, {{NameField, QStringLiteral("Other")},
                         {QStringLiteral("File Number"), QStringLiteral("999999")}});
    db.query(QStringLiteral("UPDATE Employee SET \"File Number\" = '000001' WHERE Name LIKE 'E%'"));
    auto rs = openSet(QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE '0000*' "));
    rs->moveNext();
    for (qint64 key : {keyOf(QStringLiteral("Other")), qint64(424242)}) {
        try {
            rs->setBookmark(key);
            FAIL() << "moved to key " << key;
        } catch (const DataError &e) {
            EXPECT_EQ(e.number(), DataErrors::NoCurrentRecord);
        }
        EXPECT_EQ(name(*rs), QStringLiteral("E1"));
    }
}

// ---- requery and the rows of others ---------------------------------------------

TEST_F(RecordSetTest, RowsAddedElsewhereAppearOnlyAfterARequeryWhichReturnsToTheFirst)
{
    fill(3);
    auto rs = openSet();
    db.insert(Employee, {{NameField, QStringLiteral("E3")}});
    rs->moveLast();
    EXPECT_EQ(name(*rs), QStringLiteral("E2")) << "the keys were read when the set opened";
    rs->requery();
    EXPECT_EQ(rs->absolutePosition(), 0);
    EXPECT_EQ(name(*rs), QStringLiteral("E0"));
    rs->moveLast();
    EXPECT_EQ(name(*rs), QStringLiteral("E3"));
}

TEST_F(RecordSetTest, RequeryOfAnEmptiedTableIsAtBothEnds)
{
    fill(2);
    auto rs = openSet();
    db.query(QStringLiteral("DELETE FROM Employee"));
    rs->requery();
    EXPECT_TRUE(rs->isBOF());
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), -1);
}

// The table gone for a moment (renamed by another program): the requery
// fails, and the set goes on from the row it was on with the rows it had,
// as if the requery had never been tried.
TEST_F(RecordSetTest, ARequeryThatCannotReadLeavesTheSetWhereItWas)
{
    fill(5);
    auto rs = openSet();
    rs->moveNext();
    rs->moveNext();
    db.insert(Employee, {{NameField, QStringLiteral("E5")}});
    db.query(QStringLiteral("ALTER TABLE Employee RENAME TO Away"));
    EXPECT_THROW(rs->requery(), DataError);
    db.query(QStringLiteral("ALTER TABLE Away RENAME TO Employee"));
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_EQ(name(*rs), QStringLiteral("E2"));
    rs->moveNext();
    EXPECT_EQ(name(*rs), QStringLiteral("E3"));
    rs->moveLast();
    EXPECT_EQ(name(*rs), QStringLiteral("E4")) << "the rows are the ones read before";
    rs->requery();
    rs->moveLast();
    EXPECT_EQ(name(*rs), QStringLiteral("E5"));
}

TEST_F(RecordSetTest, ARowDeletedElsewhereShowsEmptyWhenMovedOnto)
{
    fill(3);
    auto rs = openSet();
    db.query(QStringLiteral("DELETE FROM Employee WHERE Name = 'E1'"));
    rs->moveNext();
    EXPECT_EQ(name(*rs), QString());
    rs->moveNext();
    EXPECT_EQ(name(*rs), QStringLiteral("E2"));
}

// A lookup statement is ordered by file number, then by when the row came.
TEST_F(RecordSetTest, LookupStatementOrdersByFileNumberThenByRow)
{
    const QStringList numbers = {
        QStringLiteral("000300"), QStringLiteral("000100"), QString(),
        QStringLiteral("000200"), QStringLiteral("000100"), QStringLiteral("100000")};
    for (int i = 0; i < numbers.size(); ++i)
        db.insert(Employee, {{NameField, QStringLiteral("E%1").arg(i)},
                             {QStringLiteral("File Number"),
                              numbers.at(i).isNull() ? QVariant() : numbers.at(i)}});
    auto rs = openSet(QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE '000*' "));
    QStringList seen;
    for (; !rs->isEOF(); rs->moveNext())
        seen << name(*rs);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("E1"), QStringLiteral("E4"), QStringLiteral("E3"),
                                 QStringLiteral("E0")}));
}

} // namespace
