#pragma once

#include "jetsql/JetSql.h"
#include "jetsql/JetSqlExpr.h"

// Writes a resolved expression tree as SQL. Names are quoted identifiers of
// resolved columns and every constant is a bound parameter, so the SQL text
// holds nothing but what the writer writes itself.
//
// The walk through AND, OR, NOT and IS NULL is the same in every dialect; a
// dialect's writer supplies the comparisons and LIKE, where engines differ in
// how text is compared without regard to case.
class ConditionWriter
{
  public:
    virtual ~ConditionWriter() = default;

    // An empty condition (all rows) for a null expression.
    SqlCondition write(const JetSqlExpr *expr);

  protected:
    explicit ConditionWriter(const TextColumnTest &isText) : m_isText(isText) {}

    virtual void writeCompare(const JetSqlExpr &expr) = 0;
    virtual void writeBetween(const JetSqlExpr &expr) = 0;
    virtual void writeIn(const JetSqlExpr &expr) = 0;
    virtual void writeLike(const JetSqlExpr &expr) = 0;
    // IS [NOT] NULL, and True or False standing alone as a condition: a
    // bound value written as it is.
    virtual void writeIsNull(const JetSqlExpr &expr);
    virtual void writeConstantCondition(const JetSqlExpr &expr) { bind(expr.value); }

    void writeCondition(const JetSqlExpr &expr);
    void writeValue(const JetSqlExpr &expr);
    void bind(const QVariant &value) { bindIn(QStringLiteral("?"), value); }
    // Writes `text`, which holds one placeholder, and binds value to it.
    void bindIn(const QString &text, const QVariant &value);
    void append(QLatin1String text) { m_out.sql += text; }
    void append(const QString &text) { m_out.sql += text; }
    void append(QChar c) { m_out.sql += c; }

    static bool isColumn(const JetSqlExpr &expr) { return expr.kind == JetSqlExpr::Kind::Column; }
    // A LIKE prefix may become an index range only on a column that holds
    // text: compared as a number, the prefix would drop matching rows.
    bool rangeAllowed(const JetSqlExpr &subject) const;
    // A column that holds text (every column when the caller said nothing).
    bool isTextColumn(const JetSqlExpr &expr) const;

  private:
    SqlCondition m_out;
    TextColumnTest m_isText;
};
