#include "records/RecordSet.h"

#include "jetsql/SqlDialect.h"
#include "records/CaseDatabase.h"

QString RecordSet::exportQuery(QVariantList *params) const
{
    params->clear();
    const SqlDialect &dialect = m_db->dialect();
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(m_selectColumns, JetSql::quoteIdentifier(m_query.table));
    if (!m_query.where.sql.isEmpty()) {
        sql += QStringLiteral(" WHERE (") + m_query.where.sql + QLatin1Char(')');
        *params = m_query.where.params;
    }
    // In the order the set reads its keys in, term by term.
    const QString numeric = m_db->autoKeyColumn(m_query.table);
    QStringList orderBy;
    for (const SortTerm &o : m_order)
        orderBy << dialect.orderValue(dialect.quoteIdentifier(o.column), o.column != numeric) +
                       (o.descending ? QStringLiteral(" DESC") : QString()) +
                       dialect.nullsOrder(o.descending);
    orderBy << m_keyExpression;
    return sql + QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", "));
}
