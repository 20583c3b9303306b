#include "JetSqlTestDb.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSqlLikePattern.h"
#include "jetsql/PostgresDialect.h"

#include <random>

namespace
{

// File numbers chosen so that each pattern below has near misses: other case,
// other digit, one character longer, pattern characters as data, a Null.
const QStringList FileNumbers = {
    "000120", "000121", "000125", "001200", "00012a",  "00012A", "0001200", "ABC123",
    "abc999", "Abd100", "[12]",   "*star",  "?q",      "#5",     "a]b",     "a-b",
    "x^y",    "École",  "école",  "ecole",  "O'Brien", "ab",     "",
};

struct LikeCase {
    const char *name;
    const char *pattern;
    QStringList matches;
    bool negated = false;
};

class JetSqlLikeTest : public ::testing::TestWithParam<LikeCase>
{
  protected:
    void SetUp() override
    {
        for (const QString &f : FileNumbers)
            m_db.insert("Employee", {"File Number"}, {f});
        m_db.insert("Employee", {"Name"}, {"has no file number"});
    }
    JetSqlTestDb m_db;
};

TEST_P(JetSqlLikeTest, SelectsExactlyTheMatchingFileNumbers)
{
    const QString filter = QString("[File Number] %1 %2")
                               .arg(GetParam().negated ? "NOT LIKE" : "LIKE",
                                    JetSql::quoteString(QString::fromUtf8(GetParam().pattern)));
    const SqlCondition where =
        JetSql::parseFilter(filter, JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns()),
                            SqliteDialect::instance());
    EXPECT_EQ(m_db.select("Employee", where, "File Number"), GetParam().matches)
        << where.sql.toStdString();
}

// The same values, and an employee without a file number, on the server.
class ServerValues
{
  public:
    explicit ServerValues(const QStringList &values)
    {
        if (!m_db.available())
            return;
        m_db.run("BEGIN");
        for (const QString &v : values)
            m_db.insert("Employee", {"File Number"}, {v});
        m_db.insert("Employee", {"Name"}, {"has no file number"});
        m_db.run("COMMIT");
    }
    bool available() const { return m_db.available(); }
    QStringList select(const SqlCondition &where) const
    {
        return m_db.select("Employee", where, "File Number");
    }

  private:
    JetSqlServerDb m_db;
};

// The server's writer selects what SQLite's does: the same case folding, the
// same sets, the same treatment of Null.
TEST_P(JetSqlLikeTest, SelectsTheSameFileNumbersOnTheServer)
{
    ServerValues server(FileNumbers);
    if (!server.available())
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    const QString filter = QString("[File Number] %1 %2")
                               .arg(GetParam().negated ? "NOT LIKE" : "LIKE",
                                    JetSql::quoteString(QString::fromUtf8(GetParam().pattern)));
    const SqlCondition where =
        JetSql::parseFilter(filter, JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns()),
                            PostgresDialect::instance());
    EXPECT_EQ(server.select(where), GetParam().matches) << where.sql.toStdString();
}

QStringList allBut(const QStringList &excluded)
{
    QStringList rest = FileNumbers;
    for (const QString &e : excluded)
        rest.removeAll(e);
    return rest;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, JetSqlLikeTest,
    ::testing::Values(
        LikeCase{"PrefixAndStar",
                 "00012*",
                 {"000120", "000121", "000125", "00012a", "00012A", "0001200"}},
        LikeCase{
            "QuestionIsOneCharacter", "00012?", {"000120", "000121", "000125", "00012a", "00012A"}},
        LikeCase{"HashIsOneDigit", "00012#", {"000120", "000121", "000125"}},
        LikeCase{"Set", "00012[15]", {"000121", "000125"}},
        LikeCase{"RangeInSet", "00012[0-2]", {"000120", "000121"}},
        LikeCase{"NegatedSet", "00012[!0-4]", {"000125", "00012a", "00012A"}},
        LikeCase{"LettersIgnoreCase", "abc*", {"ABC123", "abc999"}},
        LikeCase{"LetterRangeIgnoresCase", "[a-a]B[c-d]*", {"ABC123", "abc999", "Abd100"}},
        LikeCase{"NegatedLetterSetIgnoresCase", "00012[!a0-4]", {"000125"}},
        LikeCase{"NonAsciiLettersIgnoreCase", "é*", {"École", "école"}},
        LikeCase{"BracketedStarIsLiteral", "[*]*", {"*star"}},
        LikeCase{"BracketedQuestionIsLiteral", "[?]*", {"?q"}},
        LikeCase{"BracketedHashIsLiteral", "[#]*", {"#5"}},
        LikeCase{"BracketedBracketIsLiteral", "[[]*", {"[12]"}},
        LikeCase{"UnterminatedBracketIsLiteral", "[12*", {"[12]"}},
        LikeCase{"CloseBracketOutsideSetIsLiteral", "a]b", {"a]b"}},
        LikeCase{"DashFirstInSetIsLiteral", "a[-x]b", {"a-b"}},
        LikeCase{"CaretIsLiteral", "x^y", {"x^y"}},
        LikeCase{"CaretInSetIsLiteral", "x[y^]y", {"x^y"}},
        LikeCase{"EmptySetMatchesNothing", "a[]b", {"ab"}},
        LikeCase{"NegatedEmptySetIsAnyCharacter", "a[!]b", {"a]b", "a-b"}},
        LikeCase{"ApostropheIsOrdinary", "o'b*", {"O'Brien"}},
        LikeCase{"StarAloneMatchesEveryValueButNull", "*", FileNumbers},
        LikeCase{"EmptyPatternMatchesEmptyText", "", {""}}, LikeCase{"NoMatch", "zz*", {}},
        LikeCase{"NotLikeLeavesNullOut", "00012*",
                 allBut({"000120", "000121", "000125", "00012a", "00012A", "0001200"}), true},
        LikeCase{"NotLikeStarMatchesNothing", "*", {}, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(JetSqlLikePatternTest, DescendingRangeIsASyntaxError)
{
    try {
        LikePattern pattern(QStringLiteral("[z-a]*"));
        FAIL() << "accepted " << pattern.glob().toStdString();
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::Syntax);
        EXPECT_TRUE(e.description().contains("z-a")) << e.description().toStdString();
    }
}

struct RangeCase {
    const char *name;
    QString pattern;
    QString lower;      // empty: no range
    QString upper;      // empty: no upper bound
    bool exact = false; // the range alone selects the matches
};

class JetSqlPrefixRangeTest : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(JetSqlPrefixRangeTest, BoundsTheLiteralPrefixInNocaseOrder)
{
    const LikePattern pattern(GetParam().pattern);
    const auto &range = pattern.range();
    if (GetParam().lower.isEmpty()) {
        EXPECT_FALSE(range.has_value()) << range->lower.toStdString();
        return;
    }
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->lower, GetParam().lower);
    EXPECT_EQ(range->upper, GetParam().upper);
    EXPECT_EQ(pattern.rangeIsExact(), GetParam().exact);
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, JetSqlPrefixRangeTest,
    ::testing::Values(RangeCase{"Digits", "00012*", "00012", "00013", true},
                      RangeCase{"PrefixAndStars", "Ab**", "ab", "ac", true},
                      RangeCase{"WholeValueIsNoPrefix", "00012", "00012", "00013"},
                      RangeCase{"StarThenMore", "00*1", "00", "01"},
                      RangeCase{"SetAfterStar", "00*[12]", "00", "01"},
                      RangeCase{"UpperCaseIsFolded", "AbC?", "abc", "abd"},
                      RangeCase{"EscapedLiteralsBelongToThePrefix", "[*]x[[]#", "*x[", "*x\\"},
                      RangeCase{"StopsAtNonAsciiLetter", "ab\u00e9*", "ab", "ac"},
                      RangeCase{"StartsWithWildcard", "*12", "", ""},
                      RangeCase{"StartsWithNonAsciiLetter", "\u00c9cole", "", ""},
                      RangeCase{"LastBelowSurrogates", "a\ud7ff*", "a\ud7ff", "a\ue000", true},
                      RangeCase{"LastBelowFoldedLetters", "0@*", "0@", "0[", true},
                      RangeCase{"LastIsMaxCharacter", "a\U0010FFFF*", "a\U0010FFFF", "b", true},
                      RangeCase{"OnlyMaxCharacters", "\U0010FFFF*", "\U0010FFFF", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// The range is only an index aid: over many generated values and patterns the
// rows the full condition selects must be exactly the rows the GLOB alone selects.
TEST(JetSqlLikeRangePropertyTest, RangeNeverDropsARowTheGlobMatches)
{
    const std::u32string alphabet = U"aAbBzZ09@[\\]^_`{~\x7f\u00e9\u00c9\u00df\u1e9e\u0130i"
                                    U"\u212ak\u017fs\ud7ff\ue000\U0010FFFF\u00ff";
    std::mt19937 random(20240611u);
    auto text = [&](int maxLength) {
        std::u32string s;
        const int length = std::uniform_int_distribution<int>(0, maxLength)(random);
        for (int i = 0; i < length; ++i)
            s += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        return QString::fromStdU32String(s);
    };

    JetSqlTestDb db;
    db.run("BEGIN");
    QStringList values;
    for (int i = 0; i < 3000; ++i) {
        values << text(4);
        db.insert("Employee", {"File Number"}, {values.last()});
    }
    db.run("COMMIT");

    const ColumnResolver columns = JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns());
    int withRange = 0, exact = 0;
    for (int i = 0; i < 400; ++i) {
        // Prefixes taken from stored values, so that many patterns match something.
        QString pattern = values[i].left(std::uniform_int_distribution<int>(1, 3)(random));
        pattern += QStringList{"*", "", "?*", "#"}[i % 4];
        pattern.replace('[', "[[]");
        const LikePattern like(pattern);
        withRange += like.range().has_value();
        const SqlCondition full =
            JetSql::parseFilter("[File Number] LIKE " + JetSql::quoteString(pattern), columns,
                                SqliteDialect::instance());
        const SqlCondition globOnly{"\"File Number\" GLOB ?", {like.glob()}};
        const auto globRows = db.select("Employee", globOnly, "rowid");
        ASSERT_EQ(db.select("Employee", full, "rowid"), globRows)
            << "pattern " << pattern.toStdString() << " as " << full.sql.toStdString();
        // Where the range is said to be exact, a back end may drop the GLOB.
        if (like.rangeIsExact()) {
            ++exact;
            const SqlCondition rangeOnly{"\"File Number\" >= ? COLLATE NOCASE AND "
                                         "\"File Number\" < ? COLLATE NOCASE",
                                         {like.range()->lower, like.range()->upper}};
            ASSERT_EQ(db.select("Employee", rangeOnly, "rowid"), globRows)
                << "pattern " << pattern.toStdString();
        }
    }
    EXPECT_GT(withRange, 100); // the property was checked where it matters
    EXPECT_GT(exact, 50);
}

// Over the same generated values and patterns, the server selects exactly
// the rows SQLite selects, range and all.
TEST(JetSqlLikeRangePropertyTest, TheServerSelectsWhatSqliteSelects)
{
    const std::u32string alphabet = U"aAbBzZ09@[\\]^_`{~\x7f\u00e9\u00c9\u00df\u1e9e\u0130i"
                                    U"\u212ak\u017fs\ud7ff\ue000\U0010FFFF\u00ff-.$()|+";
    std::mt19937 random(20261207u);
    auto text = [&](int maxLength) {
        std::u32string s;
        const int length = std::uniform_int_distribution<int>(0, maxLength)(random);
        for (int i = 0; i < length; ++i)
            s += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        return QString::fromStdU32String(s);
    };
    QStringList values;
    for (int i = 0; i < 1500; ++i)
        values << text(4);
    ServerValues server(values);
    if (!server.available())
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    JetSqlTestDb db;
    db.run("BEGIN");
    for (const QString &v : values)
        db.insert("Employee", {"File Number"}, {v});
    db.insert("Employee", {"Name"}, {"has no file number"});
    db.run("COMMIT");

    const ColumnResolver columns = JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns());
    const QStringList endings = {"*", "", "?*", "#", "[a-c]*", "[!0-9]", "*[[]*"};
    for (int i = 0; i < 300; ++i) {
        QString pattern = values[i].left(std::uniform_int_distribution<int>(0, 3)(random));
        pattern.replace('[', "[[]").replace('*', "[*]").replace('?', "[?]").replace('#', "[#]");
        pattern += endings[i % endings.size()];
        const QString filter = "[File Number] LIKE " + JetSql::quoteString(pattern);
        const SqlCondition onFile = JetSql::parseFilter(filter, columns, SqliteDialect::instance());
        const SqlCondition onServer =
            JetSql::parseFilter(filter, columns, PostgresDialect::instance());
        ASSERT_EQ(server.select(onServer), db.select("Employee", onFile, "File Number"))
            << "pattern " << pattern.toStdString() << " as " << onServer.sql.toStdString();
    }
}

} // namespace
