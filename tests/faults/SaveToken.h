#pragma once

// What a fault test's child program types into a record, and how the parent
// recognises it afterwards. Every field of one save carries the same token,
// padded to the field's full width, so a row whose fields carry different
// tokens, or a cut value, is a half-written record.

#include "records/CaseSchema.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Fault
{

struct BoundColumn {
    QString table;
    QString field;
    int length;
};

// The columns a record pane binds, per table (the key that numbers itself
// is never written by the program).
inline QList<BoundColumn> boundColumns(const QString &table)
{
    QList<BoundColumn> out;
    const bool employee = table == QLatin1String(CaseSchema::EmployeeTable);
    for (const CaseSchema::Column &c :
         employee ? CaseSchema::employeeColumns() : CaseSchema::complaintsColumns()) {
        if (c.length > 0)
            out.append({table, QString::fromUtf8(c.name), c.length});
    }
    return out;
}

inline QString valueFor(const BoundColumn &c, const QString &token)
{
    // Filled to the field's full width so that a cut value shows. The
    // server refuses text longer than the field, so a narrow field (ten
    // characters) holds the token alone.
    const QString head = c.field + QLatin1Char('|') + token + QLatin1Char('|');
    const QString body = head.size() <= c.length ? head : token + QLatin1Char('|');
    return body.leftJustified(c.length, QLatin1Char('~'));
}

// The token held by a stored value, or nothing when it is not one of ours.
inline std::optional<QString> tokenOf(const BoundColumn &c, const QString &value)
{
    const QStringList parts = value.split(QLatin1Char('|'));
    QString token;
    if (parts.size() == 3 && parts.at(0) == c.field)
        token = parts.at(1);
    else if (parts.size() == 2)
        token = parts.at(0);
    else
        return std::nullopt;
    if (token.isEmpty() || valueFor(c, token) != value)
        return std::nullopt;
    return token;
}

// Tokens are "r<round>s<save>": later saves compare greater.
inline QPair<int, int> tokenOrder(const QString &token)
{
    const qsizetype s = token.indexOf(QLatin1Char('s'));
    return {token.mid(1, s - 1).toInt(), token.mid(s + 1).toInt()};
}

} // namespace Fault
