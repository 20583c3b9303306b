#include "platform/core/Classic.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace Classic
{

namespace
{

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

double radixValue(const QString &text, qsizetype i, int radix)
{
    double v = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isBlank(c))
            continue;
        const int d =
            c.isDigit() ? c.digitValue()
            : (radix == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                ? c.toLower().unicode() - 'a' + 10
                : -1;
        if (d < 0 || d >= radix)
            break;
        v = v * radix + d;
    }
    // A long run of digits overflows; the decimal reading caps at the
    // largest finite number, and so does this one.
    return std::isfinite(v) ? v : std::numeric_limits<double>::max();
}

} // namespace

double Val(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    if (i + 1 < n && text.at(i) == QLatin1Char('&')) {
        const QChar k = text.at(i + 1).toLower();
        if (k == QLatin1Char('h'))
            return radixValue(text, i + 2, 16);
        if (k == QLatin1Char('o'))
            return radixValue(text, i + 2, 8);
    }
    // Gather the characters of the number, skipping blanks, into a compact
    // ASCII buffer and let the C library convert it.
    std::string buf;
    bool digits = false, point = false, exponent = false, expDigits = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (isBlank(c))
            continue;
        if ((c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            const bool atStart = buf.empty();
            const bool afterE = exponent && (buf.back() == 'e');
            if (!atStart && !afterE)
                break;
            buf.push_back(char(c.unicode()));
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            buf.push_back(char(c.unicode()));
            (exponent ? expDigits : digits) = true;
        } else if (c == QLatin1Char('.') && !point && !exponent) {
            buf.push_back('.');
            point = true;
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('d') ||
                    c == QLatin1Char('D')) &&
                   digits && !exponent) {
            buf.push_back('e');
            exponent = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    // Drop an exponent marker (and its sign) that no digit follows.
    if (exponent && !expDigits) {
        while (!buf.empty() && buf.back() != 'e')
            buf.pop_back();
        buf.pop_back();
    }
    // The digits are always read with a decimal point, whatever the locale
    // the program runs in: a German desktop must not read "1.5" as 1.
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const double v =
        cLocale ? strtod_l(buf.c_str(), nullptr, cLocale) : std::strtod(buf.c_str(), nullptr);
    return std::isfinite(v)
               ? v
               : (v > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max());
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double fl = std::floor(value);
    const double diff = value - fl;
    if (diff > 0.5)
        return fl + 1.0;
    if (diff < 0.5)
        return fl;
    return std::fmod(fl, 2.0) == 0.0 ? fl : fl + 1.0;
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(r);
}

qint16 snapshot16(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    if (r < -32768.0)
        return -32768;
    if (r > 32767.0)
        return 32767;
    return static_cast<qint16>(r);
}

} // namespace Classic
