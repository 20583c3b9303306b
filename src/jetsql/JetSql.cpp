#include "jetsql/JetSql.h"

#include "jetsql/JetSqlLikePattern.h"
#include "jetsql/JetSqlParser.h"
#include "jetsql/SqlDialect.h"

namespace
{

bool isColumn(const JetSqlExpr &expr)
{
    return expr.kind == JetSqlExpr::Kind::Column;
}

// The first column that a top-level AND term narrows by equality with a
// constant or by a LIKE prefix range; empty when there is none.
QString seekColumn(const JetSqlExpr *expr, const TextColumnTest &isText)
{
    if (!expr)
        return QString();
    std::vector<const JetSqlExpr *> terms;
    if (expr->kind == JetSqlExpr::Kind::And) {
        for (const auto &operand : expr->operands)
            terms.push_back(operand.get());
    } else {
        terms.push_back(expr);
    }
    for (const JetSqlExpr *term : terms) {
        if (term->kind == JetSqlExpr::Kind::Compare && term->text == QLatin1String("=")) {
            const JetSqlExpr &left = *term->operands[0];
            const JetSqlExpr &right = *term->operands[1];
            // `= Null` selects nothing and an index seek on it is pointless.
            if (isColumn(left) && right.kind == JetSqlExpr::Kind::Constant && !right.value.isNull())
                return left.text;
            if (isColumn(right) && left.kind == JetSqlExpr::Kind::Constant && !left.value.isNull())
                return right.text;
        }
        if (term->kind == JetSqlExpr::Kind::Like && !term->negated &&
            isColumn(*term->operands[0]) && (!isText || isText(term->operands[0]->text)) &&
            LikePattern(term->text).range())
            return term->operands[0]->text;
    }
    return QString();
}

} // namespace

SelectQuery JetSql::parseRecordSource(const QString &source, const TableResolver &tables,
                                      const SqlDialect &dialect)
{
    JetSqlStatement statement =
        JetSqlParser(source, QStringLiteral("the record source")).recordSource(tables);
    const std::optional<TableInfo> info = tables(statement.table);
    const TextColumnTest isText = info ? info->isText : TextColumnTest();
    SelectQuery query;
    query.table = statement.table;
    query.where = dialect.condition(statement.where.get(), isText);
    query.orderBy = statement.orderBy;
    query.seekColumn = seekColumn(statement.where.get(), isText);
    return query;
}

SqlCondition JetSql::parseFilter(const QString &expression, const ColumnResolver &columns,
                                 const SqlDialect &dialect, const TextColumnTest &isText)
{
    const auto expr =
        JetSqlParser(expression, QStringLiteral("the filter expression")).condition(columns);
    return dialect.condition(expr.get(), isText);
}

QList<SortTerm> JetSql::parseSort(const QString &expression, const ColumnResolver &columns)
{
    return JetSqlParser(expression, QStringLiteral("the sort list")).sortList(columns);
}

QString JetSql::quoteString(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QLatin1String("''"));
    return u'\'' + quoted + u'\'';
}

QString JetSql::quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}
