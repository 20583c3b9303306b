#include "JetSqlTestDb.h"

#include "jetsql/DataError.h"
#include "jetsql/PostgresDialect.h"

namespace
{

// Name, Department, File Number; Dee's department is empty, Ed's is Null.
const QList<QVariantList> Employees = {
    {"Ann", "Shop", "000101"}, {"bob", "OFFICE", "000102"}, {"Cy", "shop", "000203"},
    {"Dee", "", "000204"},     {"Ed", QVariant(), ""},
};

class JetSqlFilterFixture
{
  protected:
    JetSqlFilterFixture()
    {
        for (const QVariantList &e : Employees)
            m_db.insert("Employee", {"Name", "Department", "File Number"}, e);
    }
    SqlCondition filter(const QString &text) const
    {
        return JetSql::parseFilter(text, JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns()),
                                   SqliteDialect::instance());
    }
    JetSqlTestDb m_db;
};

struct FilterCase {
    const char *name;
    const char *filter;
    QStringList names;
};

class JetSqlFilterTest : public JetSqlFilterFixture, public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(JetSqlFilterTest, SelectsTheRowsJetWould)
{
    const SqlCondition where = filter(QString::fromUtf8(GetParam().filter));
    EXPECT_EQ(m_db.select("Employee", where, "Name"), GetParam().names) << where.sql.toStdString();
}

// The server's writer selects the same rows from the same values.
TEST_P(JetSqlFilterTest, SelectsTheSameRowsOnTheServer)
{
    JetSqlServerDb server;
    if (!server.available())
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    for (const QVariantList &e : Employees)
        server.insert("Employee", {"Name", "Department", "File Number"}, e);
    const SqlCondition where = JetSql::parseFilter(
        QString::fromUtf8(GetParam().filter),
        JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns()), PostgresDialect::instance());
    EXPECT_EQ(server.select("Employee", where, "Name"), GetParam().names)
        << where.sql.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Filters, JetSqlFilterTest,
    ::testing::Values(
        FilterCase{"Blank", "  ", {"Ann", "bob", "Cy", "Dee", "Ed"}},
        FilterCase{"EqualIgnoresCase", "[Department] = 'SHOP'", {"Ann", "Cy"}},
        FilterCase{"BareNameAndDoubleQuotes", "department = \"office\"", {"bob"}},
        FilterCase{"ConstantOnTheLeft", "'shop' = Department", {"Ann", "Cy"}},
        FilterCase{"NotEqualLeavesNullOut", "[Department] <> 'shop'", {"bob", "Dee"}},
        FilterCase{"LessAndGreater",
                   "[File Number] > '000101' AND [File Number] <= '000203'",
                   {"bob", "Cy"}},
        FilterCase{"IsNull", "[Department] IS NULL", {"Ed"}},
        FilterCase{
            "IsNotNull", "[Department] is not null AND [Department] <> ''", {"Ann", "bob", "Cy"}},
        FilterCase{"Between", "[File Number] BETWEEN '000102' AND '000203'", {"bob", "Cy"}},
        FilterCase{
            "NotBetween", "[File Number] NOT BETWEEN '000102' AND '000203'", {"Ann", "Dee", "Ed"}},
        FilterCase{"InIgnoresCase", "[Name] IN ('ann', 'BOB', 'nobody')", {"Ann", "bob"}},
        FilterCase{"NotIn", "[Name] NOT IN ('ann', 'BOB')", {"Cy", "Dee", "Ed"}},
        FilterCase{"NotBindsBeforeAnd", "NOT [Department] = 'shop' AND [Name] <> 'Dee'", {"bob"}},
        FilterCase{
            "AndBindsBeforeOr", "[Name] = 'Ann' OR [Name] = 'Cy' AND [Department] = 'x'", {"Ann"}},
        FilterCase{"Parentheses",
                   "([Name] = 'Ann' OR [Name] = 'Cy') AND [Department] = 'shop'",
                   {"Ann", "Cy"}},
        FilterCase{"NotOverParentheses",
                   "NOT ([Name] = 'Ann' OR [Department] IS NULL)",
                   {"bob", "Cy", "Dee"}},
        FilterCase{"ParenthesisedValue", "([Name]) = 'ed'", {"Ed"}},
        FilterCase{"TrueAndFalse", "True AND NOT False AND [Name] LIKE 'd*'", {"Dee"}},
        FilterCase{
            "ComparedWithNullIsNeverTrue", "[Department] = Null OR [Department] <> Null", {}},
        FilterCase{"ConstantsCompareIgnoringCase", "'a' = 'A' AND [Name] = 'bob'", {"bob"}},
        FilterCase{"Number", "[File Number] = 101 OR [Name] = 'Cy'", {"Cy"}},
        FilterCase{"InjectionTextIsAValue", "[Name] = 'x''; DROP TABLE Employee; --'", {}}),
    [](const auto &info) { return std::string(info.param.name); });

struct BadCase {
    const char *name;
    const char *text;
    int error;
};

class JetSqlBadFilterTest : public JetSqlFilterFixture, public ::testing::TestWithParam<BadCase>
{
};

// Each text must fail with the right error and a description, and nothing of
// it may reach SQLite: the tables are intact afterwards.
TEST_P(JetSqlBadFilterTest, FailsCleanlyWithoutTouchingTheDatabase)
{
    QString text = QString::fromUtf8(GetParam().text);
    text.replace("<NUL>", QChar(0));
    try {
        const SqlCondition where = filter(text);
        m_db.select("Employee", where, "Name");
        ADD_FAILURE() << "translated to " << where.sql.toStdString();
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), GetParam().error) << e.description().toStdString();
        EXPECT_GT(e.description().size(), 20);
    }
    EXPECT_EQ(m_db.count("Employee"), Employees.size());
    EXPECT_EQ(m_db.count("sqlite_master WHERE type = 'table'"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, JetSqlBadFilterTest,
    ::testing::Values(
        BadCase{"DropTable", "DROP TABLE Employee", DataErrors::Syntax},
        BadCase{"UnterminatedString", "[Name] = 'x", DataErrors::Syntax},
        BadCase{"SecondStatement", "1; DELETE FROM Employee", DataErrors::Syntax},
        BadCase{"TrailingStatement", "[Name] = 'x'; DELETE FROM Employee", DataErrors::Syntax},
        BadCase{"SqlComment", "[Name] = 'x' -- comment", DataErrors::Unsupported},
        BadCase{"UnknownField", "[Nope] = 1", DataErrors::UnknownField},
        BadCase{"UnknownBareField", "Nope = 1", DataErrors::UnknownField},
        BadCase{"SyntaxBeforeUnknownField", "[Nope] = = 1", DataErrors::Syntax},
        BadCase{"FieldAlone", "[Name]", DataErrors::Syntax},
        BadCase{"MissingOperand", "[Name] =", DataErrors::Syntax},
        BadCase{"DanglingOr", "[Name] = 'x' OR", DataErrors::Syntax},
        BadCase{"DoubleEquals", "[Name] == 'x'", DataErrors::Syntax},
        BadCase{"UnterminatedName", "[Name = 'x'", DataErrors::Syntax},
        BadCase{"UnclosedParenthesis", "([Name] = 'x'", DataErrors::Syntax},
        BadCase{"ComparedCondition", "([Name] = 'x') = 'y'", DataErrors::Syntax},
        BadCase{"Function", "Left([Name], 1) = 'a'", DataErrors::Unsupported},
        BadCase{"Arithmetic", "[Name] & 'x' = 'y'", DataErrors::Unsupported},
        BadCase{"Qualified", "Employee.[Name] = 'x'", DataErrors::Unsupported},
        BadCase{"PatternNotAString", "[Name] LIKE [Department]", DataErrors::Unsupported},
        BadCase{"DescendingRange", "[Name] LIKE '[z-a]'", DataErrors::Syntax},
        BadCase{"DateConstant", "[Name] = #1/2/2000#", DataErrors::Unsupported},
        BadCase{"NulCharacter", "[Name] = 'a<NUL>b'", DataErrors::Syntax},
        BadCase{"TooDeep",
                "((((((((((((((((((((((((((((((((((((((((((((((((((((((1))))))))))))"
                "))))))))))))))))))))))))))))))))))))))))))",
                DataErrors::Unsupported}),
    [](const auto &info) { return std::string(info.param.name); });

struct SortCase {
    const char *name;
    const char *text;
    QList<SortTerm> terms; // empty with error != 0
    int error = 0;
};

class JetSqlSortTest : public ::testing::TestWithParam<SortCase>
{
};

TEST_P(JetSqlSortTest, ReadsTheSortList)
{
    const auto columns = JetSqlTestDb::resolverFor(JetSqlTestDb::employeeColumns());
    try {
        const QList<SortTerm> terms =
            JetSql::parseSort(QString::fromUtf8(GetParam().text), columns);
        ASSERT_EQ(GetParam().error, 0) << "accepted";
        ASSERT_EQ(terms.size(), GetParam().terms.size());
        for (qsizetype i = 0; i < terms.size(); ++i) {
            EXPECT_EQ(terms[i].column, GetParam().terms[i].column);
            EXPECT_EQ(terms[i].descending, GetParam().terms[i].descending);
        }
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), GetParam().error) << e.description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sorts, JetSqlSortTest,
    ::testing::Values(SortCase{"HeaderClick", "[File Number]", {{"File Number", false}}},
                      SortCase{
                          "HeaderClickWithShift", "[File Number] desc", {{"File Number", true}}},
                      SortCase{"ListWithDirections",
                               "name ASC, [Days Off] DESC, department",
                               {{"Name", false}, {"Days Off", true}, {"Department", false}}},
                      SortCase{"Blank", " ", {}},
                      SortCase{"TrailingComma", "Name,", {}, DataErrors::Syntax},
                      SortCase{"TwoDirections", "Name DESC ASC", {}, DataErrors::Syntax},
                      SortCase{"UnknownField", "[Nope]", {}, DataErrors::UnknownField},
                      SortCase{"Injection", "Name; DROP TABLE Employee", {}, DataErrors::Syntax},
                      SortCase{"Expression", "Name + 1", {}, DataErrors::Syntax}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
