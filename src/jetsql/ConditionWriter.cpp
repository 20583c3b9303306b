#include "jetsql/ConditionWriter.h"

SqlCondition ConditionWriter::write(const JetSqlExpr *expr)
{
    m_out = {};
    if (expr)
        writeCondition(*expr);
    return m_out;
}

bool ConditionWriter::rangeAllowed(const JetSqlExpr &subject) const
{
    return isColumn(subject) && (!m_isText || m_isText(subject.text));
}

bool ConditionWriter::isTextColumn(const JetSqlExpr &expr) const
{
    return isColumn(expr) && (!m_isText || m_isText(expr.text));
}

void ConditionWriter::bindIn(const QString &text, const QVariant &value)
{
    m_out.sql += text;
    // Qt binds a null QString as SQL NULL; an empty text constant must stay text.
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        m_out.params.append(QString(QLatin1String("")));
    else
        m_out.params.append(value);
}

void ConditionWriter::writeValue(const JetSqlExpr &expr)
{
    if (isColumn(expr))
        m_out.sql += JetSql::quoteIdentifier(expr.text);
    else
        bind(expr.value);
}

void ConditionWriter::writeIsNull(const JetSqlExpr &expr)
{
    writeValue(*expr.operands[0]);
    m_out.sql += QLatin1String(expr.negated ? " IS NOT NULL" : " IS NULL");
}

void ConditionWriter::writeCondition(const JetSqlExpr &expr)
{
    using Kind = JetSqlExpr::Kind;
    const auto &operands = expr.operands;
    switch (expr.kind) {
    case Kind::Column: // not a condition; the parser never lets one through
    case Kind::Constant:
        writeConstantCondition(expr);
        return;
    case Kind::And:
    case Kind::Or: {
        const QLatin1String joiner(expr.kind == Kind::And ? " AND " : " OR ");
        m_out.sql += u'(';
        for (size_t i = 0; i < operands.size(); ++i) {
            if (i > 0)
                m_out.sql += joiner;
            writeCondition(*operands[i]);
        }
        m_out.sql += u')';
        return;
    }
    case Kind::Not:
        m_out.sql += QLatin1String("NOT (");
        writeCondition(*operands[0]);
        m_out.sql += u')';
        return;
    case Kind::Compare:
        writeCompare(expr);
        return;
    case Kind::Like:
        writeLike(expr);
        return;
    case Kind::IsNull:
        writeIsNull(expr);
        return;
    case Kind::Between:
        writeBetween(expr);
        return;
    case Kind::In:
        writeIn(expr);
        return;
    }
}
