#pragma once

#include "jetsql/SqlDialect.h"

// SQLite's SQL. The case tables' text columns are declared COLLATE NOCASE,
// so a column compares and orders without regard to case by itself; Jet's
// LIKE becomes a GLOB in which every letter is the set of its case variants,
// beside an index range in the column's NOCASE order.
class SqliteDialect : public SqlDialect
{
  public:
    static const SqliteDialect &instance();

    SqlCondition condition(const JetSqlExpr *expr,
                           const TextColumnTest &isText = {}) const override;
    QString orderValue(const QString &column, bool isText) const override;
    QString nullsOrder(bool descending) const override;
    QString nullSafeEquals(const QString &expr) const override;
    QString noRows() const override;
    QString insertStatement(const QString &table, const QStringList &columns,
                            const QString &key) const override;
};
