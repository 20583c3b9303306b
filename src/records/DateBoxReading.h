#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// How the steward writes a date in numbers alone, such as 03/04/2025: chosen
// once, since the text itself cannot say.
enum class NumericOrder { Unset = 0, MonthFirst = 1, DayFirst = 2 };

// Reads the date a complaint's free-text date box holds ("Date of
// Violation", "Contact Date", "Supervisor's Oral Answer Date"), so that the
// steps window can propose it; the box itself is never changed. Only a
// text that is a date as a whole, and one date only, is read:
//  - ISO: 2025-03-04, and any order that starts with a four-digit year
//    (2025/3/4, 2025.03.04);
//  - a month by name, in English or in the steward's language, before or
//    after the day: "4 March 2025", "March 4, 2025", "Mar 4 2025",
//    "4. März 2025";
//  - numbers with dots (4.3.2025) as day, month, year when the steward's
//    language writes the day first, or the steward chose that order;
//  - numbers with slashes or dashes (03/04/2025, 3-4-25) only in the order
//    the steward chose.
// A two-digit year is one of 2000 to 2099. Anything else (more words, a
// day that the month does not have, 13/04/2025 in the order month first)
// is not read: an invalid date.
namespace DateBoxReading
{

QDate read(const QString &text, NumericOrder chosen, const QLocale &locale = QLocale());

// Whether the text is a date in numbers alone that only the chosen order
// can read (03/04/2025 with no order chosen), so the window can ask.
bool needsOrder(const QString &text, const QLocale &locale = QLocale());

// Whether the language writes the day before the month in its short dates.
bool dayFirst(const QLocale &locale);

} // namespace DateBoxReading
