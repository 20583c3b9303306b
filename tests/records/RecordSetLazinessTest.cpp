// A record set over a large table reads its keys in chunks as the steward
// moves; every chunk must continue exactly where the last one stopped.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QSignalSpy>

namespace
{

constexpr int Rows = 200000;
// Enough moves to cross several chunk boundaries (the chunks grow as read).
constexpr int Walk = 6000;

struct Source {
    const char *name;
    const char *table;
    const char *recordSource;
    const char *where;   // the same selection for the checking query, "" for all
    const char *orderBy; // the set's order for the checking query
    // The same two on the server, where text compares with its letter case
    // unless folded, and NULL sorts last unless told otherwise.
    const char *serverWhere;
    const char *serverOrderBy;
};

// Test names in ctest carry the source's name, not the bytes of its pointers.
void PrintTo(const Source &s, std::ostream *os)
{
    *os << s.name;
}

// File numbers repeat, differ only in letter case in places, and are
// missing from every seventh row; the complaints share one file number.
void fill(TempCaseDb &t)
{
    if (t.onServer()) {
        t.query(
            QStringLiteral("INSERT INTO Employee (Name, \"File Number\") "
                           "SELECT 'E' || i, CASE WHEN i % 7 = 0 THEN NULL "
                           "ELSE (CASE WHEN i % 2 = 0 THEN 'a' ELSE 'A' END) || "
                           "lpad((i % 3000)::text, 5, '0') END FROM generate_series(1, %1) AS i")
                .arg(Rows));
        t.query(QStringLiteral(
            "INSERT INTO Complaints (\"File Number\", \"Remedy Sought\") "
            "SELECT CASE WHEN i % 5 = 0 THEN NULL WHEN i % 2 = 0 THEN 'x00001' ELSE 'X00001' END, "
            "'R' || i FROM generate_series(1, 3000) AS i"));
        // The planner's figures, as an administrator's nightly run keeps them.
        t.query(QStringLiteral("ANALYZE Employee, Complaints"));
        return;
    }
    t.query(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO Employee (Name, \"File Number\") "
                "SELECT 'E' || i, CASE WHEN i % 7 = 0 THEN NULL "
                "ELSE (CASE WHEN i % 2 = 0 THEN 'a' ELSE 'A' END) || printf('%05d', i % 3000) END "
                "FROM n")
                .arg(Rows));
    t.query(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO Complaints (\"File Number\", \"Remedy Sought\") "
        "SELECT CASE WHEN i % 5 = 0 THEN NULL WHEN i % 2 = 0 THEN 'x00001' ELSE 'X00001' END, "
        "'R' || i FROM n"));
    // Everything into the main file, so that copying it copies all.
    t.query(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

class RecordSetLaziness : public ::testing::TestWithParam<Source>
{
  protected:
    // A SQLite file is filled once and each test works on its own copy; on
    // the server each test fills tables of its own (the key numbering goes
    // with the tables, so they cannot be copied as a file can).
    static void SetUpTestSuite()
    {
        if (testBackend() != CaseBackend::Sqlite)
            return;
        s_filled = new TempCaseDb;
        fill(*s_filled);
    }
    static void TearDownTestSuite()
    {
        delete s_filled;
        s_filled = nullptr;
    }
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(db);
        if (db.onServer())
            fill(db);
        else {
            ASSERT_TRUE(QFile::copy(s_filled->path(), db.path()));
        }
        cdb = db.open();
    }

    // The keys the record source selects, in its order, read in one go.
    QVector<qint64> expectedKeys(const Source &s)
    {
        QVector<qint64> keys;
        const QString where = QString::fromLatin1(db.onServer() ? s.serverWhere : s.where);
        QSqlQuery q =
            db.query(QStringLiteral("SELECT rowid FROM %1%2 ORDER BY %3")
                         .arg(QString::fromLatin1(s.table),
                              where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                              QString::fromLatin1(db.onServer() ? s.serverOrderBy : s.orderBy)));
        while (q.next())
            keys << q.value(0).toLongLong();
        return keys;
    }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb;
    static inline TempCaseDb *s_filled = nullptr;
};

TEST_P(RecordSetLaziness, OpeningReadsOneSmallChunk)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    ASSERT_GT(expected.size(), 320) << "the source must select more than two chunks";
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    EXPECT_TRUE(rs.hasCurrent());
    EXPECT_EQ(rs.bookmark(), expected.first());
    EXPECT_FALSE(rs.isComplete());
    EXPECT_GT(rs.loadedCount(), 0);
    EXPECT_LE(rs.loadedCount(), 256);
}

TEST_P(RecordSetLaziness, MovingNextCrossesChunksInOrderWithoutDuplicatesOrGaps)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    const int walk = std::min<int>(Walk, expected.size());
    QVector<qint64> seen;
    for (int i = 0; i < walk; ++i) {
        ASSERT_TRUE(rs.hasCurrent()) << "at " << i;
        ASSERT_EQ(rs.absolutePosition(), i);
        seen << rs.bookmark();
        if (seen.last() != expected.at(i))
            break;
        rs.moveNext();
    }
    EXPECT_EQ(seen, expected.mid(0, walk));
    if (walk == expected.size())
        EXPECT_TRUE(rs.isEOF());
    else
        EXPECT_FALSE(rs.isComplete()) << "the walk read no further than it needed";
}

TEST_P(RecordSetLaziness, MoveLastReachesTheTrueLastRow)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    rs.moveLast();
    EXPECT_TRUE(rs.isComplete());
    EXPECT_EQ(rs.bookmark(), expected.last());
    EXPECT_EQ(rs.absolutePosition(), expected.size() - 1);
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF());
}

TEST_P(RecordSetLaziness, FetchingEveryChunkGivesTheWholeSelectionOnce)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    QSignalSpy inserted(&rs, &RecordSet::rowsInserted);
    int covered = rs.loadedCount();
    rs.fetchAll();
    QVector<qint64> keys;
    for (int i = 0; i < rs.loadedCount(); ++i)
        keys << rs.keyAt(i);
    EXPECT_EQ(keys, expected);
    for (const QList<QVariant> &args : std::as_const(inserted)) {
        EXPECT_EQ(args.at(0).toInt(), covered) << "each chunk is announced right after the last";
        covered = args.at(1).toInt() + 1;
    }
    EXPECT_EQ(covered, rs.loadedCount());
}

TEST_P(RecordSetLaziness, ARowAddedBeforeTheKeysAreAllReadAppearsOnceAtTheEnd)
{
    const Source &s = GetParam();
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    const QString table = QString::fromLatin1(s.table);
    // A value that sorts into the middle of a lookup's order.
    const QString fileNumber =
        table == QLatin1String("Employee") ? QStringLiteral("a01500") : QStringLiteral("x00001");
    rs.moveNext();
    rs.addNew();
    rs.setValue(rs.fieldIndex(QStringLiteral("File Number")), fileNumber);
    rs.update();
    const qint64 added = rs.lastModified();
    ASSERT_FALSE(rs.isComplete());
    EXPECT_EQ(rs.absolutePosition(), 1) << "the set went back to where it was";

    rs.setBookmark(added);
    EXPECT_EQ(rs.value(rs.fieldIndex(QStringLiteral("File Number"))), fileNumber);
    EXPECT_EQ(rs.absolutePosition(),
              expectedKeys(s).size() - (expectedKeys(s).contains(added) ? 1 : 0))
        << "the caption shows its true position";

    rs.moveFirst();
    rs.moveLast();
    EXPECT_EQ(rs.bookmark(), added);
    QVector<qint64> keys;
    for (int i = 0; i < rs.loadedCount(); ++i)
        keys << rs.keyAt(i);
    EXPECT_EQ(keys.count(added), 1);
    QVector<qint64> expected = expectedKeys(s);
    expected.removeAll(added);
    expected << added;
    EXPECT_EQ(keys, expected);
}

TEST_P(RecordSetLaziness, MovingNextFromAnAddedRowReadsOnToTheEnd)
{
    const Source &s = GetParam();
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    rs.addNew();
    rs.update();
    const qint64 added = rs.lastModified();
    rs.setBookmark(added);
    rs.moveNext();
    EXPECT_TRUE(rs.isEOF()) << "the added row is the last of the set";
    rs.movePrevious();
    EXPECT_EQ(rs.bookmark(), added);
    rs.movePrevious();
    QVector<qint64> expected = expectedKeys(s);
    expected.removeAll(added);
    EXPECT_EQ(rs.bookmark(), expected.last()) << "before the added row comes the last row read";
}

TEST_P(RecordSetLaziness, DeletingTheLastRowReadThenMovingNextGoesToTheRowAfter)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    const int lastRead = rs.loadedCount() - 1;
    rs.setBookmark(rs.keyAt(lastRead));
    rs.deleteCurrent();
    rs.moveNext();
    ASSERT_TRUE(rs.hasCurrent());
    EXPECT_EQ(rs.bookmark(), expected.at(lastRead + 1));
    EXPECT_EQ(rs.absolutePosition(), lastRead);
}

TEST_P(RecordSetLaziness, ABookmarkInAChunkNotYetReadIsFoundWhileAnAddedRowWaits)
{
    const Source &s = GetParam();
    const QVector<qint64> expected = expectedKeys(s);
    RecordSet rs(cdb, QString::fromLatin1(s.recordSource));
    rs.addNew();
    rs.update();
    const int firstUnread = rs.loadedCount() - 1;
    rs.setBookmark(expected.at(firstUnread));
    EXPECT_EQ(rs.bookmark(), expected.at(firstUnread));
    EXPECT_EQ(rs.absolutePosition(), firstUnread);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, RecordSetLaziness,
    ::testing::Values(
        Source{"WholeTableInRowOrder", "Employee", "Employee", "", "rowid", "", "rowid"},
        Source{"LookupOfAFewHundred", "Employee",
               "SELECT * FROM Employee WHERE [File Number] LIKE 'a0012*' ",
               "\"File Number\" LIKE 'a0012%'", "\"File Number\", rowid",
               "lower(\"File Number\") LIKE 'a0012%'", "lower(\"File Number\"), rowid"},
        Source{"LookupOfAlmostAll", "Employee",
               "SELECT * FROM Employee WHERE [File Number] LIKE 'A*' ", "\"File Number\" LIKE 'a%'",
               "\"File Number\", rowid", "lower(\"File Number\") LIKE 'a%'",
               "lower(\"File Number\"), rowid"},
        Source{"ComplaintsOfOneFileNumber", "Complaints",
               "SELECT * FROM Complaints WHERE [File Number] = 'x00001'",
               "\"File Number\" = 'X00001'", "\"File Number\", rowid",
               "lower(\"File Number\") = 'x00001'", "lower(\"File Number\"), rowid"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
