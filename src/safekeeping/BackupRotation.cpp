#include "safekeeping/BackupRotation.h"

#include <QSet>
#include <algorithm>
#include <numeric>

namespace BackupRotation
{

QList<int> toDelete(const QList<Backup> &backups, const QDateTime &now, const Policy &policy)
{
    const QDateTime utcNow = now.toUTC();
    const QDateTime recentFrom = utcNow.addSecs(-qint64(policy.hours) * 3600);
    const auto monthOf = [](const QDate &d) { return d.year() * 12 + d.month() - 1; };
    const auto newer = [&](int a, int b) {
        return backups.at(a).time != backups.at(b).time ? backups.at(a).time > backups.at(b).time
                                                        : a > b;
    };

    QList<int> order(backups.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), newer);

    QList<bool> keep(backups.size(), false);
    QSet<qint64> daysSeen;
    QSet<int> monthsSeen;
    int rank = 0;
    int newestPast = -1;
    for (int i : order) {
        const QDateTime t = backups.at(i).time.toUTC();
        if (t > utcNow) {
            keep[i] = true;
            continue;
        }
        if (newestPast < 0)
            newestPast = i;
        if (rank++ < std::max(1, policy.newest) || t > recentFrom)
            keep[i] = true;
        const QDate day = t.date();
        if (!daysSeen.contains(day.toJulianDay())) {
            daysSeen.insert(day.toJulianDay());
            if (daysSeen.size() <= policy.days)
                keep[i] = true;
        }
        if (!monthsSeen.contains(monthOf(day))) {
            monthsSeen.insert(monthOf(day));
            if (monthsSeen.size() <= policy.months)
                keep[i] = true;
        }
    }

    if (policy.maxBytes > 0) {
        qint64 total = 0;
        for (int i = 0; i < backups.size(); ++i)
            total += keep.at(i) ? backups.at(i).bytes : 0;
        for (auto it = order.crbegin(); it != order.crend() && total > policy.maxBytes; ++it) {
            if (keep.at(*it) && *it != newestPast) {
                keep[*it] = false;
                total -= backups.at(*it).bytes;
            }
        }
    }

    QList<int> doomed;
    for (int i = 0; i < backups.size(); ++i) {
        if (!keep.at(i))
            doomed << i;
    }
    return doomed;
}

} // namespace BackupRotation
