// Record sources, and the lookup statement the program builds from typed text.
#include "jet_fuzz_support.h"

#include "jetsql/JetSqlLexer.h"

namespace
{

void checkQuery(const SelectQuery &query)
{
    if (query.table != "Employee" && query.table != "Complaints")
        JetFuzz::fail("unknown table passed", query.table);
    for (const SortTerm &term : query.orderBy) {
        if (!JetFuzz::isColumn(term.column))
            JetFuzz::fail("sort column that is not a column", term.column);
    }
    if (!query.seekColumn.isEmpty() &&
        !query.where.sql.contains(JetSql::quoteIdentifier(query.seekColumn)))
        JetFuzz::fail("seek column the WHERE does not use", query.seekColumn);
    JetFuzz::checkSqlText(query.where);
    JetFuzz::run(query.table, query.where);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const TableResolver tables = JetFuzz::tables();
    const SqlDialect &dialect = SqliteDialect::instance();
    try {
        checkQuery(JetSql::parseRecordSource(text, tables, dialect));
    } catch (const DataError &) {
    }

    // Typed text quoted by quoteString must come back as exactly that text.
    if (!text.contains(QChar(0))) {
        const QList<JetSqlToken> tokens = JetSqlLexer::tokenize(JetSql::quoteString(text), "t");
        if (tokens.size() != 2 || tokens[0].type != JetSqlToken::Type::String ||
            tokens[0].text != text)
            JetFuzz::fail("quoteString does not round-trip", text);
    }
    try {
        checkQuery(JetSql::parseRecordSource("SELECT * FROM Employee WHERE [File Number] LIKE " +
                                                 JetSql::quoteString(text + "*") + " ",
                                             tables, dialect));
    } catch (const DataError &) {
    }
    // Any file number without a NUL must give a working complaints statement.
    try {
        checkQuery(JetSql::parseRecordSource("SELECT * FROM Complaints WHERE [File Number] = " +
                                                 JetSql::quoteString(text),
                                             tables, dialect));
    } catch (const DataError &e) {
        if (!text.contains(QChar(0)))
            JetFuzz::fail("the complaints statement fails", e.description());
    }
    return 0;
}
