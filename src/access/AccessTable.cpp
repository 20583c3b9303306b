#include "access/AccessTable.h"

#include <QStringList>

QString AccessColumn::typeName() const
{
    switch (type) {
    case YesNo:
        return QStringLiteral("Yes/No");
    case Byte:
        return QStringLiteral("Byte");
    case Integer:
        return QStringLiteral("Integer");
    case LongInteger:
        return QStringLiteral("Long Integer");
    case Currency:
        return QStringLiteral("Currency");
    case Single:
        return QStringLiteral("Single");
    case Double:
        return QStringLiteral("Double");
    case DateTime:
        return QStringLiteral("Date/Time");
    case Binary:
        return QStringLiteral("Binary");
    case Text:
        return QStringLiteral("Text");
    case OleObject:
        return QStringLiteral("OLE Object");
    case Memo:
        return QStringLiteral("Memo");
    case ReplicationId:
        return QStringLiteral("Replication ID");
    case Decimal:
        return QStringLiteral("Decimal");
    default:
        return QStringLiteral("type %1").arg(type);
    }
}

QStringList AccessTable::columnNames() const
{
    QStringList names;
    for (const AccessColumn &c : columns)
        names << c.name;
    return names;
}
