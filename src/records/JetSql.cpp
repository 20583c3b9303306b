#include "records/JetSql.h"

#include "records/JetSqlEmitter.h"
#include "records/JetSqlParser.h"

SelectQuery JetSql::parseRecordSource(const QString &source, const TableResolver &tables)
{
    JetSqlStatement statement =
        JetSqlParser(source, QStringLiteral("the record source")).recordSource(tables);
    const std::optional<TableInfo> info = tables(statement.table);
    const TextColumnTest isText = info ? info->isText : TextColumnTest();
    SelectQuery query;
    query.table = statement.table;
    query.where = JetSqlEmitter::condition(statement.where.get(), isText);
    query.orderBy = statement.orderBy;
    query.seekColumn = JetSqlEmitter::seekColumn(statement.where.get(), isText);
    return query;
}

SqlCondition JetSql::parseFilter(const QString &expression, const ColumnResolver &columns,
                                 const TextColumnTest &isText)
{
    const auto expr =
        JetSqlParser(expression, QStringLiteral("the filter expression")).condition(columns);
    return JetSqlEmitter::condition(expr.get(), isText);
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
