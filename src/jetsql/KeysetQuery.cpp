#include "jetsql/KeysetQuery.h"

#include "jetsql/SqlDialect.h"

namespace
{

// A row comes after the last one read when it is past it in the first term
// where the two differ, or equal in every term and past it in the key.
// A row value comparison says so in one condition that an index can seek
// with, but only in ascending order and without nulls.
void writeSeek(const KeysetChunk &chunk, const SqlDialect &d, const QStringList &values,
               QStringList &conditions, QVariantList &params)
{
    const KeysetPosition &last = *chunk.after;
    bool rowValue = true;
    for (int i = 0; i < chunk.order.size(); ++i)
        if (chunk.order.at(i).descending || last.values.at(i).isNull())
            rowValue = false;
    if (rowValue) {
        QStringList terms = values;
        terms << chunk.key;
        conditions
            << QStringLiteral("(%1) > (%2)")
                   .arg(terms.join(QLatin1String(", ")),
                        QStringList(terms.size(), QStringLiteral("?")).join(QLatin1String(", ")));
        params << last.values << last.key;
        return;
    }
    QStringList alternatives;
    QStringList equalSoFar;
    QVariantList equalParams;
    for (int i = 0; i <= chunk.order.size(); ++i) {
        QString after;
        QVariantList afterParams;
        if (i == chunk.order.size()) {
            after = chunk.key + QLatin1String(" > ?");
            afterParams << last.key;
        } else {
            const QString &c = values.at(i);
            const QVariant &v = last.values.at(i);
            if (!chunk.order.at(i).descending) {
                if (v.isNull()) {
                    after = c + QLatin1String(" IS NOT NULL");
                } else {
                    after = c + QLatin1String(" > ?");
                    afterParams << v;
                }
            } else if (v.isNull()) {
                after = d.noRows(); // nulls come last: none is past a null
            } else {
                after = QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(c);
                afterParams << v;
            }
        }
        QStringList terms = equalSoFar;
        terms << after;
        alternatives << u'(' + terms.join(QLatin1String(" AND ")) + u')';
        params << equalParams << afterParams;
        if (i < chunk.order.size()) {
            equalSoFar << d.nullSafeEquals(values.at(i));
            equalParams << last.values.at(i);
        }
    }
    conditions << u'(' + alternatives.join(QLatin1String(" OR ")) + u')';
}

} // namespace

SqlStatement keysetQuery(const KeysetChunk &chunk, const SqlDialect &dialect)
{
    QStringList values; // what each term orders by
    for (const SortTerm &t : chunk.order)
        values << dialect.orderValue(dialect.quoteIdentifier(t.column),
                                     !chunk.isText || chunk.isText(t.column));

    SqlStatement out;
    out.sql = QLatin1String("SELECT ") + chunk.key;
    for (const QString &v : std::as_const(values))
        out.sql += QLatin1String(", ") + v;
    out.sql += QLatin1String(" FROM ") + dialect.quoteIdentifier(chunk.table);

    QStringList conditions;
    if (!chunk.where.sql.isEmpty()) {
        conditions << u'(' + chunk.where.sql + u')';
        out.params << chunk.where.params;
    }
    if (chunk.after)
        writeSeek(chunk, dialect, values, conditions, out.params);
    if (!conditions.isEmpty())
        out.sql += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));

    QStringList orderBy;
    for (int i = 0; i < chunk.order.size(); ++i) {
        const bool descending = chunk.order.at(i).descending;
        orderBy << values.at(i) + (descending ? QLatin1String(" DESC") : QLatin1String()) +
                       dialect.nullsOrder(descending);
    }
    orderBy << chunk.key;
    out.sql += QLatin1String(" ORDER BY ") + orderBy.join(QLatin1String(", "));
    out.sql += QStringLiteral(" LIMIT %1").arg(chunk.limit);
    return out;
}
