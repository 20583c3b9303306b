#include "records/RecordSet.h"

#include "records/CaseDatabase.h"

QString RecordSet::exportQuery(QVariantList *params) const
{
    params->clear();
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(m_selectColumns, JetSql::quoteIdentifier(m_query.table));
    if (!m_query.where.sql.isEmpty()) {
        sql += QStringLiteral(" WHERE (") + m_query.where.sql + QLatin1Char(')');
        *params = m_query.where.params;
    }
    QStringList orderBy;
    for (const SortTerm &o : m_order)
        orderBy << JetSql::quoteIdentifier(o.column) +
                       (o.descending ? QStringLiteral(" DESC") : QString());
    orderBy << m_db->keyExpression(m_query.table);
    return sql + QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", "));
}
