#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

// A parsed Jet expression whose names are already resolved to canonical
// column names. AND and OR hold all their operands in one node so that long
// chains stay shallow (no deep recursion when emitting or destroying them).
struct JetSqlExpr {
    enum class Kind {
        Column,   // text: canonical column name
        Constant, // value: string, integer, double, bool or null
        And,      // operands: two or more conditions
        Or,       // operands: two or more conditions
        Not,      // operands: one condition
        Compare,  // text: = <> < > <= >=; operands: two values
        Like,     // text: the Jet pattern; operands: one value; negated: NOT LIKE
        IsNull,   // operands: one value; negated: IS NOT NULL
        Between,  // operands: value, low, high; negated: NOT BETWEEN
        In,       // operands: value, then the list; negated: NOT IN
    };

    Kind kind = Kind::Constant;
    QString text;
    QVariant value;
    bool negated = false;
    std::vector<std::unique_ptr<JetSqlExpr>> operands;

    bool isValue() const { return kind == Kind::Column || kind == Kind::Constant; }
    // True and False may stand alone as conditions; other constants may not.
    bool isCondition() const
    {
        return !isValue() || (kind == Kind::Constant && value.typeId() == QMetaType::Bool);
    }
};
