#include "records/JetSqlEmitter.h"

#include "records/JetSqlLikePattern.h"

namespace
{

// SQLite re-prepares a statement whose GLOB pattern is a bare parameter each
// time a new pattern is bound (it might optimise a constant prefix); the index
// range written beside the GLOB already does that, so a no-op unary plus keeps
// the prepared statement reusable.
const char *const GlobOperator = " GLOB +";

bool isColumn(const JetSqlExpr &expr)
{
    return expr.kind == JetSqlExpr::Kind::Column;
}

} // namespace

SqlCondition JetSqlEmitter::condition(const JetSqlExpr *expr, const TextColumnTest &isText)
{
    JetSqlEmitter emitter;
    emitter.m_isText = isText;
    if (expr)
        emitter.writeCondition(*expr);
    return emitter.m_out;
}

bool JetSqlEmitter::rangeAllowed(const JetSqlExpr &subject) const
{
    return isColumn(subject) && (!m_isText || m_isText(subject.text));
}

QString JetSqlEmitter::seekColumn(const JetSqlExpr *expr, const TextColumnTest &isText)
{
    if (!expr)
        return QString();
    std::vector<const JetSqlExpr *> terms;
    if (expr->kind == JetSqlExpr::Kind::And) {
        for (const auto &operand : expr->operands)
            terms.push_back(operand.get());
    } else {
        terms.push_back(expr);
    }
    for (const JetSqlExpr *term : terms) {
        if (term->kind == JetSqlExpr::Kind::Compare && term->text == QLatin1String("=")) {
            const JetSqlExpr &left = *term->operands[0];
            const JetSqlExpr &right = *term->operands[1];
            // `= Null` selects nothing and an index seek on it is pointless.
            if (isColumn(left) && right.kind == JetSqlExpr::Kind::Constant && !right.value.isNull())
                return left.text;
            if (isColumn(right) && left.kind == JetSqlExpr::Kind::Constant && !left.value.isNull())
                return right.text;
        }
        if (term->kind == JetSqlExpr::Kind::Like && !term->negated &&
            isColumn(*term->operands[0]) && (!isText || isText(term->operands[0]->text)) &&
            LikePattern(term->text).range())
            return term->operands[0]->text;
    }
    return QString();
}

void JetSqlEmitter::bind(const QVariant &value)
{
    m_out.sql += u'?';
    // Qt binds a null QString as SQL NULL; an empty text constant must stay text.
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        m_out.params.append(QString(QLatin1String("")));
    else
        m_out.params.append(value);
}

void JetSqlEmitter::writeValue(const JetSqlExpr &expr)
{
    if (isColumn(expr))
        m_out.sql += JetSql::quoteIdentifier(expr.text);
    else
        bind(expr.value);
}

void JetSqlEmitter::writeCondition(const JetSqlExpr &expr)
{
    using Kind = JetSqlExpr::Kind;
    const auto &operands = expr.operands;
    switch (expr.kind) {
    case Kind::Column: // not a condition; the parser never lets one through
    case Kind::Constant:
        bind(expr.value);
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
        writeValue(*operands[0]);
        // Columns compare by their own NOCASE collation; two constants would
        // compare exactly, which Jet never does.
        if (!isColumn(*operands[0]) && !isColumn(*operands[1]))
            m_out.sql += QLatin1String(" COLLATE NOCASE");
        m_out.sql += u' ' + expr.text + u' ';
        writeValue(*operands[1]);
        return;
    case Kind::Like:
        writeLike(expr);
        return;
    case Kind::IsNull:
        writeValue(*operands[0]);
        m_out.sql += QLatin1String(expr.negated ? " IS NOT NULL" : " IS NULL");
        return;
    case Kind::Between:
        m_out.sql += u'(';
        writeValue(*operands[0]);
        if (!isColumn(*operands[0]))
            m_out.sql += QLatin1String(" COLLATE NOCASE");
        m_out.sql += QLatin1String(expr.negated ? " NOT BETWEEN " : " BETWEEN ");
        writeValue(*operands[1]);
        m_out.sql += QLatin1String(" AND ");
        writeValue(*operands[2]);
        m_out.sql += u')';
        return;
    case Kind::In:
        m_out.sql += u'(';
        writeValue(*operands[0]);
        if (!isColumn(*operands[0]))
            m_out.sql += QLatin1String(" COLLATE NOCASE");
        m_out.sql += QLatin1String(expr.negated ? " NOT IN (" : " IN (");
        for (size_t i = 1; i < operands.size(); ++i) {
            if (i > 1)
                m_out.sql += QLatin1String(", ");
            writeValue(*operands[i]);
        }
        m_out.sql += QLatin1String("))");
        return;
    }
}

void JetSqlEmitter::writeLike(const JetSqlExpr &expr)
{
    const JetSqlExpr &subject = *expr.operands[0];
    const LikePattern pattern(expr.text);
    if (expr.negated) {
        // Null NOT LIKE anything is Null in Jet, and NOT (Null GLOB ?) is too.
        m_out.sql += QLatin1String("NOT (");
        writeValue(subject);
        m_out.sql += QLatin1String(GlobOperator);
        bind(pattern.glob());
        m_out.sql += u')';
        return;
    }
    if (pattern.matchesEveryValue()) {
        writeValue(subject);
        m_out.sql += QLatin1String(" IS NOT NULL");
        return;
    }
    const auto &range = pattern.range();
    if (!range || !rangeAllowed(subject)) {
        writeValue(subject);
        m_out.sql += QLatin1String(GlobOperator);
        bind(pattern.glob());
        return;
    }
    // GLOB cannot use a NOCASE index; the range, in the column's own NOCASE
    // order, can, and the GLOB then checks each row the range lets through.
    const QString column = JetSql::quoteIdentifier(subject.text);
    m_out.sql += u'(' + column + QLatin1String(" >= ");
    bind(range->lower);
    if (!range->upper.isEmpty()) {
        m_out.sql += QLatin1String(" AND ") + column + QLatin1String(" < ");
        bind(range->upper);
    }
    m_out.sql += QLatin1String(" AND ") + column + QLatin1String(GlobOperator);
    bind(pattern.glob());
    m_out.sql += u')';
}
