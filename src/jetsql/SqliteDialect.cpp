#include "jetsql/SqliteDialect.h"

#include "jetsql/ConditionWriter.h"
#include "jetsql/JetSqlLikePattern.h"

namespace
{

// SQLite re-prepares a statement whose GLOB pattern is a bare parameter each
// time a new pattern is bound (it might optimise a constant prefix); the index
// range written beside the GLOB already does that, so a no-op unary plus keeps
// the prepared statement reusable.
const QLatin1String GlobOperator(" GLOB +");
const QLatin1String NoCase(" COLLATE NOCASE");

class SqliteConditionWriter : public ConditionWriter
{
  public:
    explicit SqliteConditionWriter(const TextColumnTest &isText) : ConditionWriter(isText) {}

  private:
    // Columns compare by their own NOCASE collation; two constants would
    // compare exactly, which Jet never does.
    void writeCompare(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &left = *expr.operands[0];
        const JetSqlExpr &right = *expr.operands[1];
        writeValue(left);
        if (!isColumn(left) && !isColumn(right))
            append(NoCase);
        append(u' ' + expr.text + u' ');
        writeValue(right);
    }

    void writeBetween(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        append(u'(');
        writeValue(*operands[0]);
        if (!isColumn(*operands[0]))
            append(NoCase);
        append(QLatin1String(expr.negated ? " NOT BETWEEN " : " BETWEEN "));
        writeValue(*operands[1]);
        append(QLatin1String(" AND "));
        writeValue(*operands[2]);
        append(u')');
    }

    void writeIn(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        append(u'(');
        writeValue(*operands[0]);
        if (!isColumn(*operands[0]))
            append(NoCase);
        append(QLatin1String(expr.negated ? " NOT IN (" : " IN ("));
        for (size_t i = 1; i < operands.size(); ++i) {
            if (i > 1)
                append(QLatin1String(", "));
            writeValue(*operands[i]);
        }
        append(QLatin1String("))"));
    }

    void writeLike(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &subject = *expr.operands[0];
        const LikePattern pattern(expr.text);
        if (expr.negated) {
            // Null NOT LIKE anything is Null in Jet, and NOT (Null GLOB ?) is too.
            append(QLatin1String("NOT ("));
            writeValue(subject);
            append(GlobOperator);
            bind(pattern.glob());
            append(u')');
            return;
        }
        if (pattern.matchesEveryValue()) {
            writeValue(subject);
            append(QLatin1String(" IS NOT NULL"));
            return;
        }
        const auto &range = pattern.range();
        if (!range || !rangeAllowed(subject)) {
            writeValue(subject);
            append(GlobOperator);
            bind(pattern.glob());
            return;
        }
        // GLOB cannot use a NOCASE index; the range, in the column's own
        // NOCASE order, can, and the GLOB then checks each row the range lets
        // through.
        const QString column = JetSql::quoteIdentifier(subject.text);
        append(u'(' + column + QLatin1String(" >= "));
        bind(range->lower);
        if (!range->upper.isEmpty()) {
            append(QLatin1String(" AND ") + column + QLatin1String(" < "));
            bind(range->upper);
        }
        append(QLatin1String(" AND ") + column + GlobOperator);
        bind(pattern.glob());
        append(u')');
    }
};

} // namespace

const SqliteDialect &SqliteDialect::instance()
{
    static const SqliteDialect dialect;
    return dialect;
}

SqlCondition SqliteDialect::condition(const JetSqlExpr *expr, const TextColumnTest &isText) const
{
    return SqliteConditionWriter(isText).write(expr);
}

QString SqliteDialect::orderValue(const QString &column, bool) const
{
    return column; // NOCASE by the column's declaration
}

QString SqliteDialect::nullsOrder(bool) const
{
    return QString(); // SQLite's own order: nulls first ascending, last descending
}

QString SqliteDialect::nullSafeEquals(const QString &expr) const
{
    return expr + QLatin1String(" IS ?");
}

QString SqliteDialect::noRows() const
{
    return QStringLiteral("0");
}

QString SqliteDialect::insertStatement(const QString &table, const QStringList &columns,
                                       const QString &) const
{
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QLatin1String(", ")),
             QStringList(columns.size(), QStringLiteral("?")).join(QLatin1String(", ")));
}
