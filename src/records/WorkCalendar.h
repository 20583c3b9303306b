#pragma once

#include <QDate>
#include <QList>
#include <vector>

// The day arithmetic of a collective agreement's time limits. Working days
// are Monday to Friday less the office's holidays; "within 10 working days
// of" a date means by the tenth working day after it, the date itself not
// counted. The counts are worked out from week lengths and a sorted list of
// the holidays, never day by day, so a limit of a year costs no more than
// one of a day.
class WorkCalendar
{
  public:
    WorkCalendar() = default;
    explicit WorkCalendar(const QList<QDate> &holidays);

    bool isWorkingDay(QDate day) const;
    // The day itself when it is a working day, otherwise the first working
    // day after it.
    QDate nextWorkingDay(QDate day) const;
    // The n-th working day after `from` (from itself not counted); `from`
    // when n is 0 or less.
    QDate addWorkingDays(QDate from, int n) const;
    // The working days d with from < d <= to; when `to` is earlier, minus
    // those with to < d <= from.
    qint64 workingDaysBetween(QDate from, QDate to) const;

    // A time limit's last day: `days` calendar or working days after
    // `base`, moved on to the next working day when it lands on a day off
    // and the limit says so. Invalid when base is.
    QDate deadline(QDate base, int days, bool workingDays, bool nextWorkingDay) const;
    // Days from today to the deadline in the limit's own count: working
    // days (as workingDaysBetween) or calendar days; negative once past.
    qint64 daysLeft(QDate today, QDate deadline, bool workingDays) const;

  private:
    // Holidays that fall on a weekday, as Julian day numbers, sorted, once
    // each: a holiday on a Saturday takes no working day away.
    std::vector<qint64> m_holidays;
};
