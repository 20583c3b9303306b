#include "deadlines/DeadlineFormat.h"

#include "deadlines/DeadlineTexts.h"
#include "records/DeadlineList.h"
#include "records/WorkCalendar.h"

#include <QLocale>

namespace DeadlineFormat
{

QString day(QDate date)
{
    return date.isValid() ? QLocale().toString(date, QStringLiteral("ddd d MMM yyyy"))
                          : QStringLiteral("—");
}

When when(QDate today, QDate due)
{
    if (due < today)
        return When::Overdue;
    return today.daysTo(due) < 7 ? When::ThisWeek : When::Later;
}

QString whenText(When when)
{
    switch (when) {
    case When::Overdue:
        return QString::fromUtf8(DeadlineTexts::Overdue);
    case When::ThisWeek:
        return QString::fromUtf8(DeadlineTexts::ThisWeek);
    case When::Later:
        break;
    }
    return QString::fromUtf8(DeadlineTexts::Later);
}

QString count(qint64 n)
{
    return n > DeadlineList::CountLimit
               ? QString::fromUtf8(DeadlineTexts::MoreThan).arg(DeadlineList::CountLimit)
               : QString::number(n);
}

QString daysLeft(const WorkCalendar &calendar, QDate today, QDate due, bool workingDays)
{
    using namespace DeadlineTexts;
    if (due < today) {
        // Past its day a deadline is late by the calendar, whatever it counts.
        const qint64 late = due.daysTo(today);
        return late == 1 ? QString::fromUtf8(OverdueByOne) : QString::fromUtf8(OverdueBy).arg(late);
    }
    const qint64 left = calendar.daysLeft(today, due, workingDays);
    const int unit = workingDays ? 0 : 1;
    if (left == 0)
        return QString::fromUtf8(Today);
    return left == 1 ? QString::fromUtf8(OneDayLeft[unit])
                     : QString::fromUtf8(DaysLeft[unit]).arg(left);
}

} // namespace DeadlineFormat
