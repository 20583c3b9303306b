#include "JetSqlTestDb.h"

#include "jetsql/DataError.h"

namespace
{

class JetSqlStatementFixture
{
  protected:
    JetSqlStatementFixture()
    {
        const QList<QVariantList> employees = {
            {"Ann", "shop", "000101"},   {"Bob", "office", "000120"}, {"Cy", "shop", "000125"},
            {"Dee", "office", "001200"}, {"Ed", "shop", "O'Brien1"},  {"Fay", "shop", "[12]"},
            {"Gil", "shop", QVariant()}};
        for (const QVariantList &e : employees)
            m_db.insert("Employee", {"Name", "Department", "File Number"}, e);
        for (const char *f : {"000101", "000120", "000101", "it's", ""})
            m_db.insert("Complaints", {"File Number", "Supervisor's Oral Answer Date"},
                        {f, "1/2/03"});
    }

    // The file numbers of the rows the record source selects, in its order.
    QStringList fileNumbers(const SelectQuery &query) const
    {
        QString sql =
            QString("SELECT \"File Number\" FROM %1").arg(JetSql::quoteIdentifier(query.table));
        if (!query.where.sql.isEmpty())
            sql += " WHERE " + query.where.sql;
        QStringList order;
        for (const SortTerm &t : query.orderBy)
            order << JetSql::quoteIdentifier(t.column) + (t.descending ? " DESC" : "");
        sql += " ORDER BY " + (order + QStringList{"rowid"}).join(", ");
        QSqlQuery result = m_db.run(sql, query.where.params);
        QStringList values;
        while (result.next())
            values << result.value(0).toString();
        return values;
    }

    JetSqlTestDb m_db;
};

struct SourceCase {
    const char *name;
    std::string source;
    const char *table;
    QStringList fileNumbers;
    const char *seekColumn = "";
};

class JetSqlRecordSourceTest : public JetSqlStatementFixture,
                               public ::testing::TestWithParam<SourceCase>
{
};

TEST_P(JetSqlRecordSourceTest, SelectsTheRowsOfTheStatement)
{
    const SelectQuery query =
        JetSql::parseRecordSource(QString::fromStdString(GetParam().source), JetSqlTestDb::tables(),
                                  SqliteDialect::instance());
    EXPECT_EQ(query.table, GetParam().table);
    EXPECT_EQ(fileNumbers(query), GetParam().fileNumbers) << query.where.sql.toStdString();
    EXPECT_EQ(query.seekColumn, QString(GetParam().seekColumn));
}

const QStringList AllEmployees = {"000101", "000120", "000125", "001200", "O'Brien1", "[12]", ""};

// The program's own statements, built exactly as the lookup and the page switch build them.
QString lookup(const QString &typed)
{
    return "SELECT * FROM Employee WHERE [File Number] LIKE " + JetSql::quoteString(typed + "*") +
           " ";
}
QString complaintsOf(const QString &fileNumber)
{
    return "SELECT * FROM Complaints WHERE [File Number] = " + JetSql::quoteString(fileNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, JetSqlRecordSourceTest,
    ::testing::Values(
        SourceCase{"BareTable", "Employee", "Employee", AllEmployees},
        SourceCase{"BracketedTableAndSemicolon",
                   " [complaints] ; ",
                   "Complaints",
                   {"000101", "000120", "000101", "it's", ""}},
        SourceCase{"SelectAll", "select * from EMPLOYEE", "Employee", AllEmployees},
        SourceCase{
            "WhereAndOrderBy",
            "SELECT * FROM Employee WHERE [Department] = 'SHOP' ORDER BY [File Number] DESC;",
            "Employee",
            {"O'Brien1", "[12]", "000125", "000101", ""},
            "Department"},
        SourceCase{"QualifiedNames",
                   "SELECT * FROM [Employee] WHERE Employee.[File Number] LIKE '0001*' AND "
                   "[employee].Name <> 'Bob'",
                   "Employee",
                   {"000101", "000125"},
                   "File Number"},
        SourceCase{"ApostropheInBracketedName",
                   "SELECT * FROM Complaints WHERE [Supervisor's Oral Answer Date] = '1/2/03' AND "
                   "[File Number] = 'it''s'",
                   "Complaints",
                   {"it's"},
                   "Supervisor's Oral Answer Date"},
        SourceCase{"OrGivesNoSeek",
                   "SELECT * FROM Employee WHERE [Name] = 'Ann' OR [Name] = 'Cy'",
                   "Employee",
                   {"000101", "000125"}},
        SourceCase{"NotGivesNoSeek",
                   "SELECT * FROM Employee WHERE NOT [File Number] LIKE '0001*'",
                   "Employee",
                   {"001200", "O'Brien1", "[12]"}},
        SourceCase{"LookupEmpty",
                   lookup("").toStdString(),
                   "Employee",
                   {"000101", "000120", "000125", "001200", "O'Brien1", "[12]"}},
        SourceCase{"LookupPrefix",
                   lookup("00012").toStdString(),
                   "Employee",
                   {"000120", "000125"},
                   "File Number"},
        SourceCase{"LookupTypedApostrophe",
                   lookup("o'b").toStdString(),
                   "Employee",
                   {"O'Brien1"},
                   "File Number"},
        SourceCase{"LookupTypedWildcards",
                   lookup("0?01#").toStdString(),
                   "Employee",
                   {"000101", "000120", "000125"},
                   "File Number"},
        SourceCase{
            "LookupTypedBracket", lookup("[").toStdString(), "Employee", {"[12]"}, "File Number"},
        SourceCase{"Complaints",
                   complaintsOf("000101").toStdString(),
                   "Complaints",
                   {"000101", "000101"},
                   "File Number"},
        SourceCase{"ComplaintsTypedApostrophe",
                   complaintsOf("IT'S").toStdString(),
                   "Complaints",
                   {"it's"},
                   "File Number"},
        SourceCase{"ComplaintsBlankFileNumber",
                   complaintsOf("").toStdString(),
                   "Complaints",
                   {""},
                   "File Number"}),
    [](const auto &info) { return std::string(info.param.name); });

struct BadSourceCase {
    const char *name;
    const char *source;
    int error;
};

class JetSqlBadRecordSourceTest : public JetSqlStatementFixture,
                                  public ::testing::TestWithParam<BadSourceCase>
{
};

TEST_P(JetSqlBadRecordSourceTest, FailsWithoutTouchingTheDatabase)
{
    try {
        const SelectQuery query =
            JetSql::parseRecordSource(QString::fromUtf8(GetParam().source), JetSqlTestDb::tables(),
                                      SqliteDialect::instance());
        fileNumbers(query);
        ADD_FAILURE() << "translated to " << query.where.sql.toStdString();
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), GetParam().error) << e.description().toStdString();
    }
    EXPECT_EQ(m_db.count("Employee"), 7);
    EXPECT_EQ(m_db.count("Complaints"), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, JetSqlBadRecordSourceTest,
    ::testing::Values(
        BadSourceCase{"Empty", "  ", DataErrors::Syntax},
        BadSourceCase{"Delete", "DELETE FROM Employee", DataErrors::Unsupported},
        BadSourceCase{"SecondStatement", "SELECT * FROM Employee; DROP TABLE Employee",
                      DataErrors::Unsupported},
        BadSourceCase{"FieldList", "SELECT Name FROM Employee", DataErrors::Unsupported},
        BadSourceCase{"UnknownTable", "SELECT * FROM Nope", DataErrors::UnknownTable},
        BadSourceCase{"UnknownBareTable", "sqlite_master", DataErrors::UnknownTable},
        BadSourceCase{"OtherTableQualifier",
                      "SELECT * FROM Employee WHERE Complaints.[File Number] = '1'",
                      DataErrors::UnknownTable},
        BadSourceCase{"FieldOfOtherTable", "SELECT * FROM Employee WHERE [Remedy Sought] = '1'",
                      DataErrors::UnknownField},
        BadSourceCase{"EmptyWhere", "SELECT * FROM Employee WHERE", DataErrors::Syntax},
        BadSourceCase{"GroupBy", "SELECT * FROM Employee GROUP BY Name", DataErrors::Unsupported},
        BadSourceCase{"TwoTables", "Employee Complaints", DataErrors::Syntax},
        BadSourceCase{"LookupWithUnescapedApostrophe",
                      "SELECT * FROM Employee WHERE [File Number] LIKE 'o'b*' ",
                      DataErrors::Syntax}),
    [](const auto &info) { return std::string(info.param.name); });

// The lookup runs on every keystroke over possibly a million employees: its
// query must search the file-number index, in index order, never scan or sort.
TEST(JetSqlQueryPlanTest, LookupAndComplaintsSearchTheFileNumberIndex)
{
    JetSqlTestDb db;
    for (const QString &source : {lookup("00012"), complaintsOf("000123")}) {
        const SelectQuery query =
            JetSql::parseRecordSource(source, JetSqlTestDb::tables(), SqliteDialect::instance());
        ASSERT_EQ(query.seekColumn, "File Number");
        QSqlQuery plan = db.run(
            QString("EXPLAIN QUERY PLAN SELECT rowid FROM %1 WHERE %2 ORDER BY %3, rowid")
                .arg(query.table, query.where.sql, JetSql::quoteIdentifier(query.seekColumn)),
            query.where.params);
        QStringList steps;
        while (plan.next())
            steps << plan.value(3).toString();
        const QString all = steps.join(" | ");
        EXPECT_TRUE(
            all.startsWith(QString("SEARCH %1 USING COVERING INDEX %1FileNumber").arg(query.table)))
            << all.toStdString();
        EXPECT_FALSE(all.contains("SCAN")) << all.toStdString();
        EXPECT_FALSE(all.contains("TEMP B-TREE")) << all.toStdString();
    }
}

} // namespace
