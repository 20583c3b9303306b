#include "jetsql/JetSqlParser.h"

#include "jetsql/DataError.h"
#include "jetsql/JetSqlLexer.h"

namespace
{

// Limits that keep every accepted text far inside SQLite's own limits on
// expression depth and bound parameters, and keep the recursion shallow.
constexpr int MaxDepth = 50;
constexpr int MaxConstants = 300;
constexpr int MaxPredicates = 300;

const char *const ReservedWords[] = {
    "ALL",    "ALTER",  "AND",    "ANY",      "AS",    "ASC",   "BETWEEN", "BY",
    "CREATE", "DELETE", "DESC",   "DISTINCT", "DROP",  "EQV",   "EXISTS",  "FALSE",
    "FROM",   "GROUP",  "HAVING", "IMP",      "IN",    "INNER", "INSERT",  "INTO",
    "IS",     "JOIN",   "LEFT",   "LIKE",     "MOD",   "NOT",   "NULL",    "ON",
    "OR",     "ORDER",  "RIGHT",  "SELECT",   "SET",   "SOME",  "TABLE",   "TOP",
    "TRUE",   "UNION",  "UPDATE", "VALUES",   "WHERE", "XOR",
};

const char *const ComparisonOperators[] = {"=", "<>", "<", ">", "<=", ">="};

std::unique_ptr<JetSqlExpr> node(JetSqlExpr::Kind kind)
{
    auto expr = std::make_unique<JetSqlExpr>();
    expr->kind = kind;
    return expr;
}

} // namespace

JetSqlParser::JetSqlParser(const QString &text, const QString &context)
    : m_context(context), m_tokens(JetSqlLexer::tokenize(text, context))
{
}

const JetSqlToken &JetSqlParser::peek(qsizetype ahead) const
{
    return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
}

const JetSqlToken &JetSqlParser::take()
{
    const JetSqlToken &token = peek();
    if (m_pos < m_tokens.size() - 1)
        ++m_pos;
    return token;
}

bool JetSqlParser::acceptKeyword(const char *word)
{
    if (!peek().isKeyword(QLatin1String(word)))
        return false;
    take();
    return true;
}

bool JetSqlParser::acceptSymbol(const char *symbol)
{
    if (!peek().isSymbol(QLatin1String(symbol)))
        return false;
    take();
    return true;
}

void JetSqlParser::expectKeyword(const char *word)
{
    if (!acceptKeyword(word))
        syntaxError(QStringLiteral("expected %1 but found %2")
                        .arg(QLatin1String(word), JetSqlLexer::describe(peek())),
                    peek().position);
}

void JetSqlParser::expectSymbol(const char *symbol)
{
    if (!acceptSymbol(symbol))
        syntaxError(QStringLiteral("expected '%1' but found %2")
                        .arg(QLatin1String(symbol), JetSqlLexer::describe(peek())),
                    peek().position);
}

void JetSqlParser::expectEnd()
{
    if (peek().type != JetSqlToken::Type::End)
        unexpected(peek());
}

bool JetSqlParser::isReserved(const JetSqlToken &token) const
{
    if (token.type != JetSqlToken::Type::Name)
        return false;
    for (const char *word : ReservedWords) {
        if (token.isKeyword(QLatin1String(word)))
            return true;
    }
    return false;
}

void JetSqlParser::syntaxError(const QString &detail, qsizetype position) const
{
    throw DataError(DataErrors::Syntax, QStringLiteral("Syntax error in %1: %2 at character %3.")
                                            .arg(m_context, detail)
                                            .arg(position + 1));
}

void JetSqlParser::unsupported(const QString &detail) const
{
    throw DataError(DataErrors::Unsupported,
                    QStringLiteral("Not supported in %1: %2.").arg(m_context, detail));
}

void JetSqlParser::unexpected(const JetSqlToken &token) const
{
    if (token.type == JetSqlToken::Type::End)
        syntaxError(QStringLiteral("the text ends too early"), token.position);
    if (isReserved(token))
        syntaxError(
            QStringLiteral("the word %1 cannot stand here").arg(JetSqlLexer::describe(token)),
            token.position);
    syntaxError(QStringLiteral("unexpected %1").arg(JetSqlLexer::describe(token)), token.position);
}

void JetSqlParser::enter()
{
    if (++m_depth > MaxDepth)
        unsupported(
            QStringLiteral("the expression is nested more than %1 levels deep").arg(MaxDepth));
}

// ---- expressions ---------------------------------------------------------

std::unique_ptr<JetSqlExpr> JetSqlParser::orExpr()
{
    const qsizetype start = peek().position;
    auto first = andExpr();
    if (!peek().isKeyword(QLatin1String("OR")))
        return first;
    requireCondition(*first, start);
    auto expr = node(JetSqlExpr::Kind::Or);
    expr->operands.push_back(std::move(first));
    while (acceptKeyword("OR")) {
        const qsizetype position = peek().position;
        auto next = andExpr();
        requireCondition(*next, position);
        expr->operands.push_back(std::move(next));
    }
    return expr;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::andExpr()
{
    const qsizetype start = peek().position;
    auto first = notExpr();
    if (!peek().isKeyword(QLatin1String("AND")))
        return first;
    requireCondition(*first, start);
    auto expr = node(JetSqlExpr::Kind::And);
    expr->operands.push_back(std::move(first));
    while (acceptKeyword("AND")) {
        const qsizetype position = peek().position;
        auto next = notExpr();
        requireCondition(*next, position);
        expr->operands.push_back(std::move(next));
    }
    return expr;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::notExpr()
{
    if (!acceptKeyword("NOT"))
        return predicate();
    enter();
    const qsizetype position = peek().position;
    auto operand = notExpr();
    requireCondition(*operand, position);
    leave();
    auto expr = node(JetSqlExpr::Kind::Not);
    expr->operands.push_back(std::move(operand));
    return expr;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::predicate()
{
    const qsizetype start = peek().position;
    auto left = primary();
    rejectOperatorsAfterValue();

    std::unique_ptr<JetSqlExpr> expr;
    for (const char *op : ComparisonOperators) {
        if (peek().isSymbol(QLatin1String(op))) {
            requireValue(*left, start);
            take();
            expr = node(JetSqlExpr::Kind::Compare);
            expr->text = QLatin1String(op);
            expr->operands.push_back(std::move(left));
            expr->operands.push_back(valueOperand());
            break;
        }
    }
    if (!expr && peek().isKeyword(QLatin1String("IS"))) {
        requireValue(*left, start);
        take();
        expr = node(JetSqlExpr::Kind::IsNull);
        expr->negated = acceptKeyword("NOT");
        expectKeyword("NULL");
        expr->operands.push_back(std::move(left));
    }
    if (!expr) {
        const bool negated =
            peek().isKeyword(QLatin1String("NOT")) &&
            (peek(1).isKeyword(QLatin1String("LIKE")) ||
             peek(1).isKeyword(QLatin1String("BETWEEN")) || peek(1).isKeyword(QLatin1String("IN")));
        if (negated)
            take();
        if (acceptKeyword("LIKE")) {
            requireValue(*left, start);
            const JetSqlToken &pattern = take();
            if (pattern.type != JetSqlToken::Type::String)
                unsupported(QStringLiteral("LIKE needs a pattern in quotes, not %1")
                                .arg(JetSqlLexer::describe(pattern)));
            expr = node(JetSqlExpr::Kind::Like);
            expr->text = pattern.text;
            m_constants += 3; // the pattern and the two bounds of its range
            expr->operands.push_back(std::move(left));
        } else if (acceptKeyword("BETWEEN")) {
            requireValue(*left, start);
            expr = node(JetSqlExpr::Kind::Between);
            expr->operands.push_back(std::move(left));
            expr->operands.push_back(valueOperand());
            expectKeyword("AND");
            expr->operands.push_back(valueOperand());
        } else if (acceptKeyword("IN")) {
            requireValue(*left, start);
            expr = node(JetSqlExpr::Kind::In);
            expr->operands.push_back(std::move(left));
            expectSymbol("(");
            do {
                expr->operands.push_back(valueOperand());
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (expr)
            expr->negated = negated;
    }
    if (!expr)
        return left; // a parenthesised condition, True or False; the caller checks
    if (++m_predicates > MaxPredicates || m_constants > MaxConstants)
        unsupported(QStringLiteral("the expression is too long (at most %1 comparisons and %2 "
                                   "constants)")
                        .arg(MaxPredicates)
                        .arg(MaxConstants));
    return expr;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::valueOperand()
{
    const qsizetype position = peek().position;
    auto value = primary();
    requireValue(*value, position);
    rejectOperatorsAfterValue();
    return value;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::constant(QVariant value)
{
    ++m_constants;
    auto expr = node(JetSqlExpr::Kind::Constant);
    expr->value = std::move(value);
    return expr;
}

std::unique_ptr<JetSqlExpr> JetSqlParser::primary()
{
    const JetSqlToken &token = peek();
    switch (token.type) {
    case JetSqlToken::Type::String:
        take();
        return constant(token.text);
    case JetSqlToken::Type::Number: {
        take();
        bool isInteger = false;
        const qlonglong integer = token.text.toLongLong(&isInteger);
        return isInteger ? constant(integer) : constant(token.text.toDouble());
    }
    case JetSqlToken::Type::Name:
        if (token.isKeyword(QLatin1String("True")) || token.isKeyword(QLatin1String("False"))) {
            take();
            return constant(token.isKeyword(QLatin1String("True")));
        }
        if (token.isKeyword(QLatin1String("Null"))) {
            take();
            return constant(QVariant());
        }
        if (peek(1).isSymbol(QLatin1String("(")))
            unsupported(QStringLiteral("functions such as %1(...) cannot be used")
                            .arg(token.text.left(40)));
        if (isReserved(token))
            unexpected(token);
        [[fallthrough]];
    case JetSqlToken::Type::BracketName: {
        auto expr = node(JetSqlExpr::Kind::Column);
        expr->value = qlonglong(m_columnRefs.size());
        m_columnRefs.push_back(nameRef());
        return expr;
    }
    case JetSqlToken::Type::Symbol:
        if (token.isSymbol(QLatin1String("("))) {
            take();
            enter();
            auto inner = orExpr();
            expectSymbol(")");
            leave();
            return inner;
        }
        if (token.isSymbol(QLatin1String("-")) && peek(1).type == JetSqlToken::Type::Number) {
            take();
            const JetSqlToken &number = take();
            bool isInteger = false;
            const qlonglong integer = (QLatin1Char('-') + number.text).toLongLong(&isInteger);
            return isInteger ? constant(integer) : constant(-number.text.toDouble());
        }
        break;
    case JetSqlToken::Type::End:
        break;
    }
    if (token.type == JetSqlToken::Type::End)
        unexpected(token);
    syntaxError(QStringLiteral("expected a field name or a constant but found %1")
                    .arg(JetSqlLexer::describe(token)),
                token.position);
}

JetSqlParser::NameRef JetSqlParser::nameRef()
{
    const JetSqlToken &first = take();
    if (!first.isName() || isReserved(first))
        unexpected(first);
    NameRef ref{first.text, QString(), first.position};
    if (acceptSymbol(".")) {
        const JetSqlToken &second = take();
        if (!second.isName() || isReserved(second))
            unexpected(second);
        if (!m_qualifiedNamesAllowed)
            unsupported(QStringLiteral("a field name with a table name before it (%1.%2); write "
                                       "the field name alone")
                            .arg(first.text.left(40), second.text.left(40)));
        ref = NameRef{second.text, first.text, first.position};
    }
    return ref;
}

void JetSqlParser::rejectOperatorsAfterValue()
{
    for (const char *op : {"+", "-", "*", "/", "&"}) {
        if (peek().isSymbol(QLatin1String(op)))
            unsupported(QStringLiteral("arithmetic and text operators such as '%1' cannot be used")
                            .arg(QLatin1String(op)));
    }
}

void JetSqlParser::requireCondition(const JetSqlExpr &expr, qsizetype position) const
{
    if (!expr.isCondition())
        syntaxError(QStringLiteral("expected a comparison such as [Name] = 'text'"), position);
}

void JetSqlParser::requireValue(const JetSqlExpr &expr, qsizetype position) const
{
    if (!expr.isValue())
        syntaxError(QStringLiteral("a condition cannot be compared; expected a field name or a "
                                   "constant"),
                    position);
}
