#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Numeric rules of the classic runtime that stored layouts and typed values
// rely on.
namespace Classic
{

// The number a text begins with: leading blanks ignored, blanks inside the
// digits ignored, an optional sign, digits, one decimal point and an exponent;
// "&H"/"&O" prefixes read hexadecimal and octal. 0 when the text begins with
// no number. Never throws, never reads past the text.
double Val(const QString &text);

// Rounds to the nearest integer, a half going to the even neighbour, as a
// 16-bit signed value. Empty when the rounded value does not fit 16 bits or
// the input is not a finite number.
std::optional<qint16> toInt16(double value);

// Rounds half to even without a range check (for positions that are known to
// fit); values beyond 16 bits are clamped.
qint16 snapshot16(double value);

// Banker's rounding to a double integer value.
double roundHalfEven(double value);

} // namespace Classic
