#include "records/WorkCalendar.h"

#include <algorithm>

namespace
{

// Julian day 0 was a Monday: the day of the week is the number modulo 7,
// Saturday and Sunday being 5 and 6.
bool weekday(qint64 julian)
{
    return julian % 7 < 5;
}

// Weekdays d with 0 <= d <= julian (every date the program handles has a
// positive Julian day number).
qint64 weekdaysUpTo(qint64 julian)
{
    const qint64 days = julian + 1;
    return days / 7 * 5 + std::min<qint64>(days % 7, 5);
}

} // namespace

WorkCalendar::WorkCalendar(const QList<QDate> &holidays)
{
    for (const QDate &d : holidays)
        if (d.isValid() && weekday(d.toJulianDay()))
            m_holidays.push_back(d.toJulianDay());
    std::sort(m_holidays.begin(), m_holidays.end());
    m_holidays.erase(std::unique(m_holidays.begin(), m_holidays.end()), m_holidays.end());
}

bool WorkCalendar::isWorkingDay(QDate day) const
{
    const qint64 j = day.toJulianDay();
    return weekday(j) && !std::binary_search(m_holidays.begin(), m_holidays.end(), j);
}

qint64 WorkCalendar::workingDaysBetween(QDate from, QDate to) const
{
    const qint64 a = from.toJulianDay(), b = to.toJulianDay();
    if (b < a)
        return -workingDaysBetween(to, from);
    auto holidaysUpTo = [this](qint64 j) {
        return qint64(std::upper_bound(m_holidays.begin(), m_holidays.end(), j) -
                      m_holidays.begin());
    };
    return (weekdaysUpTo(b) - weekdaysUpTo(a)) - (holidaysUpTo(b) - holidaysUpTo(a));
}

QDate WorkCalendar::addWorkingDays(QDate from, int n) const
{
    if (n <= 0 || !from.isValid())
        return from;
    // The count only grows with the later date: the first day that reaches
    // n is found by halving. Seven calendar days hold five weekdays, and
    // each holiday on a weekday takes one away.
    qint64 low = 1;
    qint64 high = (qint64(n) + qint64(m_holidays.size())) * 7 / 5 + 7;
    while (low < high) {
        const qint64 mid = low + (high - low) / 2;
        if (workingDaysBetween(from, from.addDays(mid)) >= n)
            high = mid;
        else
            low = mid + 1;
    }
    return from.addDays(low);
}

QDate WorkCalendar::nextWorkingDay(QDate day) const
{
    if (!day.isValid() || isWorkingDay(day))
        return day;
    return addWorkingDays(day, 1);
}

QDate WorkCalendar::deadline(QDate base, int days, bool workingDays, bool nextWorkingDay) const
{
    if (!base.isValid())
        return {};
    const QDate last = workingDays ? addWorkingDays(base, days) : base.addDays(std::max(days, 0));
    return nextWorkingDay ? this->nextWorkingDay(last) : last;
}

qint64 WorkCalendar::daysLeft(QDate today, QDate deadline, bool workingDays) const
{
    return workingDays ? workingDaysBetween(today, deadline) : today.daysTo(deadline);
}
