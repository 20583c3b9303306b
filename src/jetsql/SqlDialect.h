#pragma once

#include "jetsql/JetSql.h"

#include <QString>
#include <QStringList>

struct JetSqlExpr;

// How one database engine's SQL is written: the translated conditions and
// the few pieces of the paging and writing statements that differ between
// engines. Every back end has one; nothing outside the writers and the
// statement builders next to them spells dialect-specific SQL.
class SqlDialect
{
  public:
    virtual ~SqlDialect() = default;

    // A resolved condition tree as SQL with every constant bound; an empty
    // condition (all rows) for a null tree.
    virtual SqlCondition condition(const JetSqlExpr *expr,
                                   const TextColumnTest &isText = {}) const = 0;

    // A name as an identifier: in double quotes with each " doubled.
    virtual QString quoteIdentifier(const QString &name) const;

    // What a column is ordered and compared by in a record set's order:
    // text without regard to case. `column` is already quoted.
    virtual QString orderValue(const QString &column, bool isText) const = 0;
    // Nulls come first in an ascending order and last in a descending one;
    // the words, if any, this engine needs for that after ASC or DESC.
    virtual QString nullsOrder(bool descending) const = 0;
    // `expr` equals the next bound value, a null equal to a null.
    virtual QString nullSafeEquals(const QString &expr) const = 0;
    // A condition no row meets.
    virtual QString noRows() const = 0;
    // What follows a SELECT of rows that a write transaction checks before
    // it changes them, so that no other writer changes them in between; empty
    // for an engine whose write transaction holds the whole database.
    virtual QString lockForWrite() const { return {}; }

    // Stores one row in `table` with the (quoted) columns given, bound in
    // that order; with none, a row of defaults. `key` is the table's key
    // expression, for an engine that hands back the new key with the insert.
    virtual QString insertStatement(const QString &table, const QStringList &columns,
                                    const QString &key) const = 0;
};
