#pragma once

#include "records/JetSql.h"
#include "records/JetSqlExpr.h"

// Writes a resolved expression tree as SQLite SQL. Names are quoted
// identifiers of resolved columns and every constant is a bound parameter, so
// the SQL text holds nothing but what this class writes itself.
class JetSqlEmitter
{
  public:
    // An empty condition (all rows) for a null expression.
    static SqlCondition condition(const JetSqlExpr *expr, const TextColumnTest &isText = {});

    // The first column that a top-level AND term narrows by equality with a
    // constant or by a LIKE prefix range; empty when there is none.
    static QString seekColumn(const JetSqlExpr *expr, const TextColumnTest &isText = {});

  private:
    void writeCondition(const JetSqlExpr &expr);
    void writeValue(const JetSqlExpr &expr);
    void writeLike(const JetSqlExpr &expr);
    void bind(const QVariant &value);

    bool rangeAllowed(const JetSqlExpr &subject) const;

    SqlCondition m_out;
    TextColumnTest m_isText;
};
