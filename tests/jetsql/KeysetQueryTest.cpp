// The statement that reads one chunk of a record set's keys: its text for
// SQLite, and, paged through a real table with nulls, ties and letters of
// both cases, the same rows in the same order as one sort of the whole set.
#include "JetSqlTestDb.h"

#include "jetsql/KeysetQuery.h"
#include "jetsql/SqliteDialect.h"

#include <algorithm>

namespace
{

struct Shape {
    const char *name;
    QList<SortTerm> order;
    bool after; // false: the first chunk
    QVariantList lastValues;
    const char *sql;
    QVariantList params;
};

void PrintTo(const Shape &shape, std::ostream *out)
{
    *out << shape.name;
}

class KeysetQueryShape : public ::testing::TestWithParam<Shape>
{
};

TEST_P(KeysetQueryShape, IsWrittenForSqlite)
{
    KeysetChunk chunk;
    chunk.table = "Employee";
    chunk.key = "rowid";
    chunk.order = GetParam().order;
    chunk.where = {"\"Department\" = ?", {"D1"}};
    if (GetParam().after)
        chunk.after = KeysetPosition{GetParam().lastValues, 7};
    chunk.limit = 4;
    const SqlStatement s = keysetQuery(chunk, SqliteDialect::instance());
    EXPECT_EQ(s.sql, QString::fromLatin1(GetParam().sql));
    EXPECT_EQ(s.params, GetParam().params);
}

const QVariant Null = QVariant(QMetaType(QMetaType::QString));

INSTANTIATE_TEST_SUITE_P(
    Chunks, KeysetQueryShape,
    ::testing::Values(
        Shape{"FirstInKeyOrder",
              {},
              false,
              {},
              "SELECT rowid FROM \"Employee\" WHERE (\"Department\" = ?) ORDER BY rowid LIMIT 4",
              {"D1"}},
        Shape{"NextInKeyOrder",
              {},
              true,
              {},
              "SELECT rowid FROM \"Employee\" WHERE (\"Department\" = ?) AND (rowid) > (?) "
              "ORDER BY rowid LIMIT 4",
              {"D1", 7}},
        Shape{"NextAscendingSeeksWithARowValue",
              {{"File Number", false}},
              true,
              {"000123"},
              "SELECT rowid, \"File Number\" FROM \"Employee\" WHERE (\"Department\" = ?) AND "
              "(\"File Number\", rowid) > (?, ?) ORDER BY \"File Number\", rowid LIMIT 4",
              {"D1", "000123", 7}},
        Shape{"NextAscendingAfterANull",
              {{"File Number", false}},
              true,
              {Null},
              "SELECT rowid, \"File Number\" FROM \"Employee\" WHERE (\"Department\" = ?) AND "
              "((\"File Number\" IS NOT NULL) OR (\"File Number\" IS ? AND rowid > ?)) "
              "ORDER BY \"File Number\", rowid LIMIT 4",
              {"D1", Null, 7}},
        Shape{"NextDescendingLetsTheNullsCome",
              {{"File Number", true}},
              true,
              {"000123"},
              "SELECT rowid, \"File Number\" FROM \"Employee\" WHERE (\"Department\" = ?) AND "
              "(((\"File Number\" < ? OR \"File Number\" IS NULL)) OR (\"File Number\" IS ? AND "
              "rowid > ?)) ORDER BY \"File Number\" DESC, rowid LIMIT 4",
              {"D1", "000123", "000123", 7}},
        Shape{"NextDescendingAfterANullOnlyTies",
              {{"File Number", true}},
              true,
              {Null},
              "SELECT rowid, \"File Number\" FROM \"Employee\" WHERE (\"Department\" = ?) AND "
              "((0) OR (\"File Number\" IS ? AND rowid > ?)) ORDER BY \"File Number\" DESC, "
              "rowid LIMIT 4",
              {"D1", Null, 7}}),
    [](const auto &info) { return std::string(info.param.name); });

// Rows with nulls, ties and both cases; rowid is their position + 1.
const QList<QVariantList> Rows = {
    {"ada", "D1", "000200"}, {"Bea", Null, "000100"}, {"cleo", "d1", Null}, {"Dan", "D2", "000100"},
    {"eve", Null, Null},     {"FAY", "D1", "000300"}, {"gus", "D2", "ab"},  {"Hal", "D1", "AB"},
    {"ivy", "D3", "Ab"},     {"jo", Null, "000200"},  {"Kim", "d2", Null},  {"lu", "D1", "000100"},
    {"MAX", "D3", "aB"},
};
const QStringList Columns = {"Name", "Department", "File Number"};

struct Paging {
    const char *name;
    QList<SortTerm> order;
    int limit;
};

void PrintTo(const Paging &paging, std::ostream *out)
{
    *out << paging.name;
}

class KeysetQueryPaging : public ::testing::TestWithParam<Paging>
{
  protected:
    void SetUp() override
    {
        for (const QVariantList &r : Rows)
            m_db.insert("Employee", Columns, r);
    }

    // The order the steward expects: text without regard to case, nulls
    // first ascending and last descending, the key breaking ties.
    QList<qint64> expectedKeys() const
    {
        QList<qint64> keys;
        for (qsizetype i = 0; i < Rows.size(); ++i)
            keys << i + 1;
        std::stable_sort(keys.begin(), keys.end(), [](qint64 a, qint64 b) {
            for (const SortTerm &t : GetParam().order) {
                const int c = int(Columns.indexOf(t.column));
                const QVariant &x = Rows.at(a - 1).at(c), &y = Rows.at(b - 1).at(c);
                int cmp = 0;
                if (x.isNull() != y.isNull())
                    cmp = x.isNull() ? -1 : 1;
                else if (!x.isNull())
                    cmp = x.toString().compare(y.toString(), Qt::CaseInsensitive);
                if (cmp != 0)
                    return t.descending ? cmp > 0 : cmp < 0;
            }
            return a < b;
        });
        return keys;
    }

    JetSqlTestDb m_db;
};

TEST_P(KeysetQueryPaging, ChunksReadTheWholeSetInItsOrder)
{
    KeysetChunk chunk;
    chunk.table = "Employee";
    chunk.key = "rowid";
    chunk.order = GetParam().order;
    chunk.limit = GetParam().limit;
    QList<qint64> keys;
    for (int round = 0; round <= Rows.size(); ++round) {
        const SqlStatement s = keysetQuery(chunk, SqliteDialect::instance());
        QSqlQuery q = m_db.run(s.sql, s.params);
        int read = 0;
        while (q.next()) {
            ++read;
            KeysetPosition last;
            last.key = q.value(0).toLongLong();
            for (int i = 0; i < chunk.order.size(); ++i)
                last.values << q.value(i + 1);
            keys << last.key;
            chunk.after = last;
        }
        if (read < chunk.limit)
            break;
    }
    EXPECT_EQ(keys, expectedKeys());
}

INSTANTIATE_TEST_SUITE_P(
    Orders, KeysetQueryPaging,
    ::testing::Values(Paging{"KeyOnly", {}, 3}, Paging{"FileNumber", {{"File Number", false}}, 2},
                      Paging{"FileNumberDescending", {{"File Number", true}}, 2},
                      Paging{"DepartmentThenName", {{"Department", false}, {"Name", false}}, 3},
                      Paging{"DepartmentDescendingThenFileNumber",
                             {{"Department", true}, {"File Number", false}},
                             2},
                      Paging{"FileNumberThenDepartmentDescending",
                             {{"File Number", false}, {"Department", true}},
                             1}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
