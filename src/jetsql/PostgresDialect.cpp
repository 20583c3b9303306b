#include "jetsql/PostgresDialect.h"

#include "jetsql/ConditionWriter.h"
#include "jetsql/JetSqlLikePattern.h"

#include <optional>

namespace
{

const QLatin1String FoldedValue("lower(? COLLATE \"C\")");
const QLatin1String RegexMatch(" ~ ");

// Every character but an ASCII letter or digit is written as its code
// point: nothing the steward types can then mean anything to the regular
// expression, inside a bracket or out of it.
void appendLiteral(QString &out, char32_t c)
{
    if (c < 0x80 && QChar::isLetterOrNumber(c))
        out.append(QChar(char16_t(c)));
    else if (c <= 0xFFFF)
        out.append(QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0')));
    else
        out.append(QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0')));
}

// The GLOB that LikePattern writes (case variants spelled out) as an
// anchored regular expression that matches the same values. A set's `]` is
// literal first; `-` makes a range only between two characters, as in
// SQLite's GLOB.
QString regexFromGlob(const QString &glob)
{
    const QList<uint> g = glob.toUcs4();
    const qsizetype n = g.size();
    QString out = QStringLiteral("^");
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = g[i];
        if (c == U'*') {
            out.append(QLatin1String(".*"));
        } else if (c == U'?') {
            out.append(u'.');
        } else if (c == U'[') {
            qsizetype j = i + 1;
            const bool negated = j < n && g[j] == U'^';
            if (negated)
                ++j;
            out.append(negated ? QLatin1String("[^") : QLatin1String("["));
            bool hasPrior = false;
            if (j < n && g[j] == U']') {
                appendLiteral(out, U']');
                ++j;
            }
            while (j < n && g[j] != U']') {
                if (g[j] == U'-' && hasPrior && j + 1 < n && g[j + 1] != U']') {
                    out.append(u'-');
                    appendLiteral(out, g[j + 1]);
                    j += 2;
                    hasPrior = false;
                    continue;
                }
                appendLiteral(out, g[j]);
                hasPrior = true;
                ++j;
            }
            out.append(u']');
            i = j;
        } else {
            appendLiteral(out, c);
        }
    }
    out.append(u'$');
    return out;
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

class PostgresConditionWriter : public ConditionWriter
{
  public:
    explicit PostgresConditionWriter(const TextColumnTest &isText) : ConditionWriter(isText) {}

  private:
    // Jet compares text without regard to case. A comparison is of text
    // unless a numeric column (the Grievance Number) takes part and every
    // other operand is a number, or text that reads as one: then it is of
    // numbers. Text that is no number meets the numeric column as text.
    bool numeric(std::initializer_list<const JetSqlExpr *> operands) const
    {
        bool numericColumn = false;
        for (const JetSqlExpr *e : operands) {
            if (isColumn(*e)) {
                if (isTextColumn(*e))
                    return false;
                numericColumn = true;
            } else if (!asNumber(e->value)) {
                return false;
            }
        }
        return numericColumn;
    }

    static std::optional<QVariant> asNumber(const QVariant &v)
    {
        if (isNumber(v) || v.isNull() || v.typeId() == QMetaType::Bool)
            return v;
        bool ok = false;
        const QString text = v.toString().trimmed();
        const qint64 integer = text.toLongLong(&ok);
        if (ok)
            return QVariant(integer);
        const double d = text.toDouble(&ok);
        if (ok)
            return QVariant(d);
        return std::nullopt;
    }

    void writeOperand(const JetSqlExpr &e, bool asNumbers)
    {
        if (isColumn(e)) {
            const QString column = JetSql::quoteIdentifier(e.text);
            if (asNumbers)
                append(column);
            else if (isTextColumn(e))
                append(QLatin1String("lower(") + column + u')');
            else
                append(QStringLiteral("CAST(%1 AS text)").arg(column));
        } else if (asNumbers) {
            bind(*asNumber(e.value));
        } else {
            bindIn(FoldedValue, e.value);
        }
    }

    void writeCompare(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &left = *expr.operands[0];
        const JetSqlExpr &right = *expr.operands[1];
        const bool asNumbers = numeric({&left, &right});
        writeOperand(left, asNumbers);
        append(u' ' + expr.text + u' ');
        writeOperand(right, asNumbers);
    }

    void writeBetween(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        const bool asNumbers = numeric({operands[0].get(), operands[1].get(), operands[2].get()});
        append(u'(');
        writeOperand(*operands[0], asNumbers);
        append(QLatin1String(expr.negated ? " NOT BETWEEN " : " BETWEEN "));
        writeOperand(*operands[1], asNumbers);
        append(QLatin1String(" AND "));
        writeOperand(*operands[2], asNumbers);
        append(u')');
    }

    void writeIn(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        bool asNumbers = numeric({operands[0].get()});
        for (size_t i = 1; i < operands.size() && asNumbers; ++i)
            asNumbers = numeric({operands[0].get(), operands[i].get()});
        append(u'(');
        writeOperand(*operands[0], asNumbers);
        append(QLatin1String(expr.negated ? " NOT IN (" : " IN ("));
        for (size_t i = 1; i < operands.size(); ++i) {
            if (i > 1)
                append(QLatin1String(", "));
            writeOperand(*operands[i], asNumbers);
        }
        append(QLatin1String("))"));
    }

    // What a LIKE tests: a text column as stored, anything else as text.
    void writeSubject(const JetSqlExpr &subject)
    {
        if (isColumn(subject)) {
            const QString column = JetSql::quoteIdentifier(subject.text);
            append(isTextColumn(subject) ? column : QStringLiteral("CAST(%1 AS text)").arg(column));
        } else {
            bindIn(QStringLiteral("(CAST(? AS text) COLLATE \"C\")"), subject.value);
        }
    }

    void writeLike(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &subject = *expr.operands[0];
        const LikePattern pattern(expr.text);
        const QString regex = regexFromGlob(pattern.glob());
        if (expr.negated) {
            // Null NOT LIKE anything is Null in Jet, and NOT (Null ~ ?) is too.
            append(QLatin1String("NOT ("));
            writeSubject(subject);
            append(RegexMatch);
            bind(regex);
            append(u')');
            return;
        }
        if (pattern.matchesEveryValue()) {
            writeValue(subject);
            append(QLatin1String(" IS NOT NULL"));
            return;
        }
        const auto &range = pattern.range();
        if (!range || !rangeAllowed(subject)) {
            writeSubject(subject);
            append(RegexMatch);
            bind(regex);
            return;
        }
        // The regular expression cannot use an index; the range on
        // lower(column), which the file number indexes hold, can, and the
        // expression then checks each row the range lets through.
        const QString column = JetSql::quoteIdentifier(subject.text);
        const QString folded = QLatin1String("lower(") + column + u')';
        append(u'(' + folded + QLatin1String(" >= "));
        bind(range->lower);
        if (!range->upper.isEmpty()) {
            append(QLatin1String(" AND ") + folded + QLatin1String(" < "));
            bind(range->upper);
        }
        // A plain prefix ("00012*") is the range and nothing more: without
        // a per-row check the planner reads the index in the lookup's order
        // and stops after the first rows, where a check it cannot estimate
        // made it fetch every row of the range and sort them.
        if (!pattern.rangeIsExact()) {
            append(QLatin1String(" AND ") + column + RegexMatch);
            bind(regex);
        }
        append(u')');
    }
};

} // namespace

const PostgresDialect &PostgresDialect::instance()
{
    static const PostgresDialect dialect;
    return dialect;
}

QString PostgresDialect::likeRegex(const QString &jetPattern)
{
    return regexFromGlob(LikePattern(jetPattern).glob());
}

SqlCondition PostgresDialect::condition(const JetSqlExpr *expr, const TextColumnTest &isText) const
{
    return PostgresConditionWriter(isText).write(expr);
}

QString PostgresDialect::orderValue(const QString &column, bool isText) const
{
    return isText ? QLatin1String("lower(") + column + u')' : column;
}

QString PostgresDialect::nullsOrder(bool descending) const
{
    return descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
}

QString PostgresDialect::nullSafeEquals(const QString &expr) const
{
    return expr + QLatin1String(" IS NOT DISTINCT FROM ?");
}

QString PostgresDialect::noRows() const
{
    return QStringLiteral("false");
}

// A plain transaction reads what was committed before each statement: the
// row checked must stay locked until the write that the check guards.
QString PostgresDialect::lockForWrite() const
{
    return QStringLiteral(" FOR UPDATE");
}

QString PostgresDialect::insertStatement(const QString &table, const QStringList &columns,
                                         const QString &key) const
{
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2").arg(table, key);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
        .arg(table, columns.join(QLatin1String(", ")),
             QStringList(columns.size(), QStringLiteral("?")).join(QLatin1String(", ")), key);
}
