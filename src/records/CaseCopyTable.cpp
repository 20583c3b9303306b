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
