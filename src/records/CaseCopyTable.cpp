#include "records/CaseCopyTable.h"

#include "jetsql/JetSql.h"

QStringList CaseCopyTable::fieldNames() const
{
    QStringList names;
    for (const CaseSchema::Column &c : columns)
        names << QString::fromUtf8(c.name);
    return names;
}

QString CaseCopyTable::columnList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &n : names)
        quoted << JetSql::quoteIdentifier(n);
    return quoted.join(QStringLiteral(", "));
}

QStringList CaseCopyTable::keyFields(bool stored) const
{
    QStringList keys;
    for (int i = 0; i < keyColumns; ++i)
        keys << JetSql::quoteIdentifier(stored ? storedColumns.at(i)
                                               : QString::fromUtf8(columns.at(i).name));
    return keys;
}
