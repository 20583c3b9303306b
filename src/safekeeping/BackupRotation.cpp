#include "safekeeping/BackupRotation.h"

#include <QSet>
#include <algorithm>
#include <numeric>

namespace BackupRotation
{

QList<int> toDelete(const QList<QDateTime> &times, const QDateTime &now, const Policy &policy)
{
    const QDateTime utcNow = now.toUTC();
    const QDate today = utcNow.date();
    const QDate firstDay = today.addDays(-(policy.days - 1));
    const auto monthOf = [](const QDate &d) { return d.year() * 12 + d.month() - 1; };
    const int thisMonth = monthOf(today);
    const int firstMonth = thisMonth - (policy.months - 1);

    // Newest first; of two backups in one second, the later in the list.
    QList<int> order(times.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return times.at(a) != times.at(b) ? times.at(a) > times.at(b) : a > b;
    });

    QSet<int> keep;
    QSet<qint64> daysKept;
    QSet<int> monthsKept;
    int newest = 0;
    for (int i : order) {
        const QDateTime t = times.at(i).toUTC();
        if (t > utcNow) {
            keep.insert(i);
            continue;
        }
        if (newest++ < std::max(1, policy.last)) // the newest always stays
            keep.insert(i);
        const QDate day = t.date();
        if (day >= firstDay && !daysKept.contains(day.toJulianDay())) {
            daysKept.insert(day.toJulianDay());
            keep.insert(i);
        }
        const int month = monthOf(day);
        if (month >= firstMonth && !monthsKept.contains(month)) {
            monthsKept.insert(month);
            keep.insert(i);
        }
    }

    QList<int> doomed;
    for (int i = 0; i < times.size(); ++i) {
        if (!keep.contains(i))
            doomed << i;
    }
    return doomed;
}

} // namespace BackupRotation
