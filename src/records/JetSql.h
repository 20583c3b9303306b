#pragma once
// PLACEHOLDER until the translator branch lands (not committed).
#include "records/DataError.h"
#include <QList>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

struct SortTerm { QString column; bool descending = false; };
struct SqlCondition { QString sql; QVariantList params; };
struct SelectQuery {
    QString table;
    SqlCondition where;
    QList<SortTerm> orderBy;
    QString seekColumn;
};
using ColumnResolver = std::function<QString(const QString &name)>;
struct TableInfo { QString name; ColumnResolver column; };
using TableResolver = std::function<std::optional<TableInfo>(const QString &name)>;

namespace JetSql {
SelectQuery parseRecordSource(const QString &source, const TableResolver &tables);
SqlCondition parseFilter(const QString &expression, const ColumnResolver &columns);
QList<SortTerm> parseSort(const QString &expression, const ColumnResolver &columns);
QString quoteString(const QString &text);
QString quoteIdentifier(const QString &name);
}
