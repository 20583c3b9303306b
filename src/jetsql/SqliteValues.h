#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// How SQLite converts and compares the values of a filter, for a writer
// that must select the same rows on another engine. Values are what a
// filter's constants bind as in SQLite: a 64-bit integer (True and False
// as 1 and 0), a double, a text or Null.
namespace SqliteValues
{

// A constant as SQLite binds it: booleans as integers.
QVariant bound(const QVariant &value);

// The number SQLite reads in a text under NUMERIC affinity (blanks around
// it, a sign, a fraction, an exponent), or nothing when it reads none.
std::optional<QVariant> numberIn(const QString &text);
// The same test as a regular expression over a whole text.
QString numberPattern();

// A number as SQLite writes it as text: integers in decimal, reals with
// fifteen significant digits and always a fraction ("2.0", "1.0e+20").
QString text(const QVariant &number);

// SQLite's order of two values that no affinity converts: numbers before
// text, numbers by value, text without regard to ASCII case. Nothing when
// either is Null.
std::optional<int> compare(const QVariant &a, const QVariant &b);

// Whether `order` (negative, zero, positive) satisfies the operator (= <>
// < > <= >=).
bool satisfies(const QString &op, int order);

} // namespace SqliteValues
