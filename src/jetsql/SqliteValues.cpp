#include "jetsql/SqliteValues.h"

#include <QRegularExpression>
#include <cmath>
#include <cstring>

namespace
{

bool isText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString;
}

// ASCII letters folded, then the UTF-8 bytes in order: SQLite's NOCASE.
QByteArray nocaseKey(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    for (char &c : bytes)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bytes;
}

long double numberOf(const QVariant &v)
{
    return v.typeId() == QMetaType::Double ? static_cast<long double>(v.toDouble())
                                           : static_cast<long double>(v.toLongLong());
}

} // namespace

namespace SqliteValues
{

QVariant bound(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return QVariant(qlonglong(value.toBool() ? 1 : 0));
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::UInt ||
        value.typeId() == QMetaType::LongLong)
        return QVariant(value.toLongLong());
    return value;
}

QString numberPattern()
{
    return QStringLiteral("^[ \\t\\n\\v\\f\\r]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]{1,"
                          "4})?[ \\t\\n\\v\\f\\r]*$");
}

std::optional<QVariant> numberIn(const QString &text)
{
    static const QRegularExpression number(numberPattern());
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const QString plain = text.trimmed();
    bool ok = false;
    const bool integral = !plain.contains(u'.') && !plain.contains(u'e') && !plain.contains(u'E');
    if (integral) {
        const qlonglong n = plain.toLongLong(&ok);
        if (ok)
            return QVariant(n);
    }
    const double d = plain.toDouble(&ok);
    if (!ok && !std::isinf(d))
        return std::nullopt;
    return QVariant(d);
}

QString text(const QVariant &number)
{
    if (number.typeId() != QMetaType::Double)
        return QString::number(number.toLongLong());
    const double d = number.toDouble();
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    QString out = QString::asprintf("%.15g", d);
    const qsizetype e = out.indexOf(u'e');
    QString mantissa = e < 0 ? out : out.left(e);
    if (!mantissa.contains(u'.'))
        mantissa += QLatin1String(".0");
    return mantissa + (e < 0 ? QString() : out.mid(e));
}

std::optional<int> compare(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return std::nullopt;
    if (isText(a) != isText(b))
        return isText(a) ? 1 : -1;
    if (isText(a)) {
        const int r = nocaseKey(a.toString()).compare(nocaseKey(b.toString()));
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    const long double x = numberOf(a), y = numberOf(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

bool satisfies(const QString &op, int order)
{
    if (op == QLatin1String("="))
        return order == 0;
    if (op == QLatin1String("<>"))
        return order != 0;
    if (op == QLatin1String("<"))
        return order < 0;
    if (op == QLatin1String(">"))
        return order > 0;
    if (op == QLatin1String("<="))
        return order <= 0;
    return order >= 0;
}

} // namespace SqliteValues
