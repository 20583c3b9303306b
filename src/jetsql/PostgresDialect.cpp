#include "jetsql/PostgresDialect.h"

#include "jetsql/ConditionWriter.h"
#include "jetsql/JetSqlLikePattern.h"
#include "jetsql/PostgresRegex.h"
#include "jetsql/SqliteValues.h"

#include <cmath>

namespace
{

const QLatin1String FoldedValue("lower(? COLLATE \"C\")");
const QLatin1String RegexMatch(" ~ ");
const QLatin1String Unknown("CAST(NULL AS boolean)");

QLatin1String literal(bool value)
{
    return value ? QLatin1String("true") : QLatin1String("false");
}

// A grid filter selects on the server exactly the rows it selects in a
// file, where SQLite compares by its own rules: a text column's affinity
// turns a number it meets into text, a numeric column's turns text that
// reads as a number into one, two constants are compared as they are, a
// number sorts before any text, and text compares without regard to ASCII
// case. Each operand's type is known when the statement is written (every
// constant's value, every column's kind), so the writer picks one of a few
// shapes, and only a text column that meets the numeric column is read as
// a number row by row.
struct Operand {
    enum Shape {
        Null,
        Number,       // a constant: `value` (qint64 or double)
        Text,         // a constant: `value` (QString)
        NumberColumn, // numbers or Null
        TextColumn,   // text or Null
        NumberAsText, // the numeric column read as text
        TextAsNumber, // a text column under numeric affinity: number, text or Null
    };
    enum Affinity { None, TextAffinity, NumericAffinity };

    Shape shape = Null;
    Affinity affinity = None;
    QString column; // quoted
    QVariant value;

    bool isConstant() const { return shape == Null || shape == Number || shape == Text; }
    bool mayBeNumber() const
    {
        return shape == Number || shape == NumberColumn || shape == TextAsNumber;
    }
    bool mayBeText() const
    {
        return shape == Text || shape == TextColumn || shape == NumberAsText ||
               shape == TextAsNumber;
    }

    void applyNumeric()
    {
        if (shape == Text) {
            if (const auto n = SqliteValues::numberIn(value.toString())) {
                shape = Number;
                value = *n;
            }
        } else if (shape == TextColumn) {
            shape = TextAsNumber;
        }
    }
    void applyText()
    {
        if (shape == Number) {
            shape = Text;
            value = SqliteValues::text(value);
        } else if (shape == NumberColumn) {
            shape = NumberAsText;
        }
    }
};

// What a number compared with a text gives: the number is the smaller.
bool numberBeforeText(const QString &op, bool numberOnTheLeft)
{
    return SqliteValues::satisfies(op, numberOnTheLeft ? -1 : 1);
}

class PostgresConditionWriter : public ConditionWriter
{
  public:
    explicit PostgresConditionWriter(const TextColumnTest &isText) : ConditionWriter(isText) {}

  private:
    // `inList`: the right side is an item of an IN list, which SQLite
    // compares under the left side's affinity alone.
    Operand operandOf(const JetSqlExpr &e, bool inList) const
    {
        Operand o;
        if (isColumn(e)) {
            o.column = JetSql::quoteIdentifier(e.text);
            const bool text = isTextColumn(e);
            o.shape = text ? Operand::TextColumn : Operand::NumberColumn;
            if (!inList)
                o.affinity = text ? Operand::TextAffinity : Operand::NumericAffinity;
            return o;
        }
        o.value = SqliteValues::bound(e.value);
        o.shape = o.value.isNull()                         ? Operand::Null
                  : o.value.typeId() == QMetaType::QString ? Operand::Text
                                                           : Operand::Number;
        return o;
    }

    void writeNumber(const Operand &o)
    {
        if (o.shape == Operand::NumberColumn) {
            append(o.column);
        } else if (o.shape == Operand::TextAsNumber) {
            append(QStringLiteral("CAST(%1 AS numeric)").arg(o.column));
        } else if (o.value.typeId() == QMetaType::Double) {
            // Exactly the double's value, never rounded to the column's integers.
            const double d = o.value.toDouble();
            bindIn(QStringLiteral("CAST(? AS numeric)"),
                   std::isinf(d) ? QString::fromLatin1(d > 0 ? "Infinity" : "-Infinity")
                                 : QString::number(d, 'g', 17));
        } else {
            bind(o.value);
        }
    }

    void writeText(const Operand &o)
    {
        if (o.shape == Operand::NumberAsText)
            append(QStringLiteral("(CAST(%1 AS text) COLLATE \"C\")").arg(o.column));
        else if (o.shape == Operand::Text)
            bindIn(FoldedValue, o.value);
        else
            append(QLatin1String("lower(") + o.column + u')');
    }

    void writeNullTest(const Operand &a, const Operand &b)
    {
        QStringList nulls;
        for (const Operand *o : {&a, &b})
            if (!o->isConstant())
                nulls << o->column + QLatin1String(" IS NULL");
        append(nulls.join(QLatin1String(" OR ")));
    }

    // Each side is a number in every row, or a text in every row (`lNumber`,
    // `rNumber`), unless Null.
    void writeKnownKinds(const Operand &l, const QString &op, const Operand &r, bool lNumber,
                         bool rNumber)
    {
        if (lNumber != rNumber) {
            if (l.isConstant() && r.isConstant()) {
                append(literal(numberBeforeText(op, lNumber)));
                return;
            }
            append(QLatin1String("CASE WHEN "));
            writeNullTest(l, r);
            append(QStringLiteral(" THEN NULL ELSE %1 END")
                       .arg(literal(numberBeforeText(op, lNumber))));
            return;
        }
        append(u'(');
        lNumber ? writeNumber(l) : writeText(l);
        append(u' ' + op + u' ');
        rNumber ? writeNumber(r) : writeText(r);
        append(u')');
    }

    void writeComparison(const JetSqlExpr &left, const QString &op, const JetSqlExpr &right,
                         bool inList = false)
    {
        Operand l = operandOf(left, false), r = operandOf(right, inList);
        // sqlite3CompareAffinity: two columns meet as numbers when either is
        // numeric and as they are otherwise; a column and anything else meet
        // under the column's affinity; two constants as they are. An IN
        // list's items take the left side's.
        Operand::Affinity affinity = l.affinity != Operand::None ? l.affinity : r.affinity;
        if (l.affinity != Operand::None && r.affinity != Operand::None)
            affinity =
                l.affinity == Operand::NumericAffinity || r.affinity == Operand::NumericAffinity
                    ? Operand::NumericAffinity
                    : Operand::None;
        for (Operand *o : {&l, &r}) {
            if (affinity == Operand::NumericAffinity)
                o->applyNumeric();
            else if (affinity == Operand::TextAffinity)
                o->applyText();
        }
        if (l.shape == Operand::Null || r.shape == Operand::Null) {
            append(Unknown);
            return;
        }
        if (l.isConstant() && r.isConstant()) {
            append(literal(SqliteValues::satisfies(op, *SqliteValues::compare(l.value, r.value))));
            return;
        }
        const Operand *mixed = l.shape == Operand::TextAsNumber   ? &l
                               : r.shape == Operand::TextAsNumber ? &r
                                                                  : nullptr;
        if (!mixed) {
            writeKnownKinds(l, op, r, !l.mayBeText(), !r.mayBeText());
            return;
        }
        // A text column read as a number where its text reads as one, as
        // text where it does not.
        append(QLatin1String("CASE WHEN "));
        writeNullTest(l, r);
        append(QLatin1String(" THEN NULL WHEN ") + mixed->column + RegexMatch);
        bind(SqliteValues::numberPattern());
        append(QLatin1String(" THEN "));
        writeKnownKinds(l, op, r, l.mayBeNumber(), r.mayBeNumber());
        append(QLatin1String(" ELSE "));
        writeKnownKinds(l, op, r, !l.mayBeText(), !r.mayBeText());
        append(QLatin1String(" END"));
    }

    void writeCompare(const JetSqlExpr &expr) override
    {
        writeComparison(*expr.operands[0], expr.text, *expr.operands[1]);
    }

    // x BETWEEN a AND b is x >= a AND x <= b, each under its own affinity.
    void writeBetween(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        append(QLatin1String(expr.negated ? "NOT (" : "("));
        writeComparison(*operands[0], QStringLiteral(">="), *operands[1]);
        append(QLatin1String(" AND "));
        writeComparison(*operands[0], QStringLiteral("<="), *operands[2]);
        append(u')');
    }

    // x IN (a, b) is x = a OR x = b, the items under x's affinity.
    void writeIn(const JetSqlExpr &expr) override
    {
        const auto &operands = expr.operands;
        append(QLatin1String(expr.negated ? "NOT (" : "("));
        for (size_t i = 1; i < operands.size(); ++i) {
            if (i > 1)
                append(QLatin1String(" OR "));
            writeComparison(*operands[0], QStringLiteral("="), *operands[i], true);
        }
        append(u')');
    }

    void writeIsNull(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &operand = *expr.operands[0];
        if (isColumn(operand)) {
            ConditionWriter::writeIsNull(expr);
            return;
        }
        append(literal(operand.value.isNull() != expr.negated));
    }

    void writeConstantCondition(const JetSqlExpr &expr) override
    {
        append(literal(SqliteValues::bound(expr.value).toLongLong() != 0));
    }

    // What a LIKE tests: a text column as stored, anything else as the text
    // SQLite's GLOB reads in it.
    void writeSubject(const JetSqlExpr &subject)
    {
        if (isColumn(subject)) {
            const QString column = JetSql::quoteIdentifier(subject.text);
            append(isTextColumn(subject) ? column : QStringLiteral("CAST(%1 AS text)").arg(column));
            return;
        }
        const QVariant value = SqliteValues::bound(subject.value);
        bindIn(QStringLiteral("(CAST(? AS text) COLLATE \"C\")"),
               value.typeId() == QMetaType::QString || value.isNull()
                   ? value
                   : QVariant(SqliteValues::text(value)));
    }

    void writeLike(const JetSqlExpr &expr) override
    {
        const JetSqlExpr &subject = *expr.operands[0];
        const LikePattern pattern(expr.text);
        const QString regex = PostgresRegex::fromGlob(pattern.glob());
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
            if (isColumn(subject))
                append(JetSql::quoteIdentifier(subject.text) + QLatin1String(" IS NOT NULL"));
            else
                append(literal(!subject.value.isNull()));
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
    return PostgresRegex::fromGlob(LikePattern(jetPattern).glob());
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
