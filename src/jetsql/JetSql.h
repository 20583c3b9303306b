#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <optional>

class SqlDialect;

// Record sources, grid filters and grid sorts are written in the Jet dialect
// that the steward's forms have always used. They are read here, and only
// here, into expression trees, which a back end's SqlDialect writes as SQL in
// which every constant is a bound parameter, so that nothing a person types
// can become SQL text.

struct SortTerm {
    QString column; // canonical name as in the table
    bool descending = false;
};

// A boolean SQL expression with positional ? placeholders; empty sql = all rows.
struct SqlCondition {
    QString sql;
    QVariantList params;
};

struct SelectQuery {
    QString table;           // canonical table name ("Employee", "Complaints")
    SqlCondition where;      // translated WHERE
    QList<SortTerm> orderBy; // ORDER BY of the statement, empty = none
    // A column that the WHERE narrows by equality or by a LIKE prefix range at
    // top-level AND (empty if none): ordering by (seekColumn, key) lets the
    // database walk the index on it instead of sorting.
    QString seekColumn;
};

// Resolves a name (case-insensitive) to the canonical column name, or empty
// when the table has no such column.
using ColumnResolver = std::function<QString(const QString &name)>;

// Tells whether a (canonical) column holds text. A LIKE prefix becomes an
// index range only on text columns: on a numeric column SQLite would compare
// the prefix as a number and drop matching rows (10 for '1*'). Empty: every
// column holds text.
using TextColumnTest = std::function<bool(const QString &column)>;

// A table's canonical name and its column resolver.
struct TableInfo {
    QString name;
    ColumnResolver column;
    TextColumnTest isText = {};
};

// Resolves a table name (case-insensitive); std::nullopt when unknown.
using TableResolver = std::function<std::optional<TableInfo>(const QString &name)>;

// Every function throws DataError (Syntax, UnknownField, UnknownTable or
// Unsupported) for text it cannot translate; none returns SQL built from
// text it did not parse.
namespace JetSql
{

// A record source: a bare table name ("Employee", also "[Employee]") or
// "SELECT * FROM <table> [WHERE <expr>] [ORDER BY <sort list>]", optionally
// followed by blanks and one ';'.
SelectQuery parseRecordSource(const QString &source, const TableResolver &tables,
                              const SqlDialect &dialect);

// A filter expression over the table's columns, e.g.
// "[Name] LIKE 'a*' AND NOT [Department] = 'X'". A blank filter selects all rows.
SqlCondition parseFilter(const QString &expression, const ColumnResolver &columns,
                         const SqlDialect &dialect, const TextColumnTest &isText = {});

// A sort list, e.g. "[File Number] desc, Name". A blank list sorts nothing.
QList<SortTerm> parseSort(const QString &expression, const ColumnResolver &columns);

// Any text as a Jet string constant: in single quotes with each ' doubled.
QString quoteString(const QString &text);

// A name as an SQL identifier: in double quotes with each " doubled.
QString quoteIdentifier(const QString &name);

} // namespace JetSql
