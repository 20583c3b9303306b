#pragma once

#include "jetsql/SqlDialect.h"

// PostgreSQL's SQL for the case tables, whose text columns are declared
// COLLATE "C". Text compares and orders by lower() of it: under "C" that
// folds A-Z only and then compares code points, exactly as SQLite's NOCASE
// does, whatever the server's own collation. A bound value is folded as
// lower(? COLLATE "C"), never by the server's default collation, which would
// fold é and É alike where the column does not. Jet's LIKE becomes an index
// range on lower(column) beside an anchored regular expression in which every
// letter is the set of its case variants. Where SQLite converts a value
// before comparing it (a number meeting a text column, text meeting the
// Grievance Number, two constants), the same conversion is written here:
// a filter selects the same rows in a file and on a server.
class PostgresDialect : public SqlDialect
{
  public:
    static const PostgresDialect &instance();

    SqlCondition condition(const JetSqlExpr *expr,
                           const TextColumnTest &isText = {}) const override;
    QString orderValue(const QString &column, bool isText) const override;
    QString nullsOrder(bool descending) const override;
    QString nullSafeEquals(const QString &expr) const override;
    QString noRows() const override;
    QString lockForWrite() const override;
    QString insertStatement(const QString &table, const QStringList &columns,
                            const QString &key) const override;

    // A LIKE pattern as the regular expression the writer binds.
    static QString likeRegex(const QString &jetPattern);
};
