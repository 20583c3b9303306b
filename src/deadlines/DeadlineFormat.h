#pragma once

#include <QDate>
#include <QString>

class WorkCalendar;

// How the deadline windows, the print-out and the calendar write dates and
// the time left: a day with the month by name, never 03/04 that a reader
// could take either way.
namespace DeadlineFormat
{

// "Mon 17 Mar 2025" in the steward's language; "—" for none.
QString day(QDate date);

enum class When { Overdue, ThisWeek, Later };
// Overdue before today; this week for today and the six days after it.
When when(QDate today, QDate due);
QString whenText(When when);

// A count of deadlines as DeadlineList counts them: "more than 9999" past
// its limit.
QString count(qint64 n);

// "Today", "3 working days", "1 day", "2 days overdue".
QString daysLeft(const WorkCalendar &calendar, QDate today, QDate due, bool workingDays);

} // namespace DeadlineFormat
