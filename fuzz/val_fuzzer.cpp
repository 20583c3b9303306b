// libFuzzer target for Classic::Val, which reads the copies boxes and every
// other number a steward types: any text must give a finite number, without
// reading past the text, and the result must not depend on what follows the
// number.
#include "platform/core/Classic.h"

#include <QByteArray>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{

constexpr size_t MaxChars = 4096;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// The first byte says how the rest is read: even as UTF-8, odd as raw UTF-16
// (lone surrogates included).
QString textFrom(const uint8_t *data, size_t size)
{
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0)
        return QString::fromUtf8(rest.left(qsizetype(MaxChars)));
    const qsizetype units = std::min<qsizetype>(rest.size() / 2, qsizetype(MaxChars));
    return QString(reinterpret_cast<const QChar *>(rest.constData()), units);
}

bool plainDigits(const QString &t)
{
    if (t.isEmpty() || t.size() > 15)
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QString text = textFrom(data, size);
    const double v = Classic::Val(text);
    check(std::isfinite(v));

    // Leading blanks are skipped, and a letter that cannot continue any
    // number (not a digit, not hexadecimal, not an exponent) ends it.
    check(same(Classic::Val(QStringLiteral("  ") + text), v));
    check(same(Classic::Val(text + QLatin1Char('z')), v));
    // A detached copy must read the same: nothing depends on memory past
    // the text's end.
    check(same(Classic::Val(QString(text.constData(), text.size())), v));

    if (plainDigits(text))
        check(v == text.toDouble());

    const std::optional<qint16> n = Classic::toInt16(v);
    if (n)
        check(std::fabs(double(*n) - v) <= 0.5);
    else
        check(Classic::roundHalfEven(v) < -32768.0 || Classic::roundHalfEven(v) > 32767.0);
    return 0;
}
