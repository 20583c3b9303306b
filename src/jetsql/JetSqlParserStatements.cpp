// The parser's entry points and name resolution; the expression grammar is in
// JetSqlParser.cpp.
#include "jetsql/JetSqlParser.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSqlLexer.h"

// ---- names -----------------------------------------------------------------

QString JetSqlParser::resolve(const NameRef &ref, const ColumnResolver &columns) const
{
    if (!ref.qualifier.isEmpty()) {
        const std::optional<TableInfo> table = m_tables ? m_tables(ref.qualifier) : std::nullopt;
        if (!table || table->name != m_table)
            throw DataError(DataErrors::UnknownTable,
                            QStringLiteral("Unknown table name '%1' before the field '%2' in %3.")
                                .arg(ref.qualifier.left(60), ref.name.left(60), m_context));
    }
    const QString column = columns ? columns(ref.name) : QString();
    if (column.isEmpty())
        throw DataError(
            DataErrors::UnknownField,
            QStringLiteral("Unknown field name '%1' in %2.").arg(ref.name.left(60), m_context));
    return column;
}

void JetSqlParser::resolveTree(JetSqlExpr &expr, const ColumnResolver &columns) const
{
    if (expr.kind == JetSqlExpr::Kind::Column) {
        expr.text = resolve(m_columnRefs.at(size_t(expr.value.toLongLong())), columns);
        expr.value = QVariant();
    }
    for (auto &operand : expr.operands)
        resolveTree(*operand, columns);
}

JetSqlParser::NameRef JetSqlParser::tableName()
{
    const NameRef table = nameRef();
    if (!table.qualifier.isEmpty())
        unsupported(QStringLiteral("a table name with a dot (%1.%2)")
                        .arg(table.qualifier.left(40), table.name.left(40)));
    return table;
}

QList<JetSqlParser::NameRef> JetSqlParser::sortTerms(QList<bool> &descending)
{
    QList<NameRef> names;
    do {
        names.append(nameRef());
        if (acceptKeyword("DESC")) {
            descending.append(true);
        } else {
            acceptKeyword("ASC");
            descending.append(false);
        }
    } while (acceptSymbol(","));
    return names;
}

// ---- entry points ----------------------------------------------------------

std::unique_ptr<JetSqlExpr> JetSqlParser::condition(const ColumnResolver &columns)
{
    if (peek().type == JetSqlToken::Type::End)
        return nullptr;
    const qsizetype start = peek().position;
    auto expr = orExpr();
    expectEnd(); // "1; DELETE ..." is best reported at the ';'
    requireCondition(*expr, start);
    resolveTree(*expr, columns);
    return expr;
}

QList<SortTerm> JetSqlParser::sortList(const ColumnResolver &columns)
{
    QList<SortTerm> terms;
    if (peek().type == JetSqlToken::Type::End)
        return terms;
    QList<bool> descending;
    const QList<NameRef> names = sortTerms(descending);
    expectEnd();
    for (qsizetype i = 0; i < names.size(); ++i)
        terms.append(SortTerm{resolve(names[i], columns), descending[i]});
    return terms;
}

JetSqlStatement JetSqlParser::recordSource(const TableResolver &tables)
{
    m_tables = tables;
    m_qualifiedNamesAllowed = true;
    const JetSqlToken &first = peek();
    if (first.type == JetSqlToken::Type::End)
        syntaxError(QStringLiteral("the record source is empty"), first.position);

    NameRef table;
    std::unique_ptr<JetSqlExpr> where;
    QList<NameRef> sortNames;
    QList<bool> descending;
    if (acceptKeyword("SELECT")) {
        if (peek().isName() || peek().isSymbol(QLatin1String("(")))
            unsupported(QStringLiteral("a list of fields after SELECT; use SELECT *"));
        expectSymbol("*");
        expectKeyword("FROM");
        table = tableName();
        if (acceptKeyword("WHERE")) {
            const qsizetype start = peek().position;
            where = orExpr();
            requireCondition(*where, start);
        }
        if (acceptKeyword("ORDER")) {
            expectKeyword("BY");
            sortNames = sortTerms(descending);
        }
    } else if (isReserved(first)) {
        unsupported(QStringLiteral("only a table name or SELECT * FROM a table can be a record "
                                   "source, not a statement beginning with %1")
                        .arg(JetSqlLexer::describe(first)));
    } else {
        table = tableName();
    }
    acceptSymbol(";");
    if (isReserved(peek()))
        unsupported(
            QStringLiteral("anything after the table name but WHERE and ORDER BY (found %1)")
                .arg(JetSqlLexer::describe(peek())));
    expectEnd();

    const std::optional<TableInfo> info = tables ? tables(table.name) : std::nullopt;
    if (!info)
        throw DataError(
            DataErrors::UnknownTable,
            QStringLiteral("Unknown table name '%1' in %2.").arg(table.name.left(60), m_context));
    m_table = info->name;

    JetSqlStatement statement;
    statement.table = info->name;
    if (where) {
        resolveTree(*where, info->column);
        statement.where = std::move(where);
    }
    for (qsizetype i = 0; i < sortNames.size(); ++i)
        statement.orderBy.append(SortTerm{resolve(sortNames[i], info->column), descending[i]});
    return statement;
}
