#pragma once

#include <QDateTime>
#include <QList>

// Which backups to delete: keep the newest `last` (at least the newest), plus the newest of each
// of the last `days` days and of each of the last `months` months (today
// and this month among them), and nothing else.
//
// Days and months are those of UTC, as the backups' names are: a day is
// always 24 hours, summer time never makes one backup look older than the
// next, and the same list and clock always give the same answer. A backup
// dated after `now` (the clock was set back) is kept and takes no place in
// the newest `last`: nothing tells how old it really is.
namespace BackupRotation
{

struct Policy {
    int last = 10;
    int days = 30;
    int months = 12;
};

// times: when each backup was taken, oldest first; backups taken in one
// second keep their order (the later index is the newer backup).
// Returns the indexes of the backups to delete, in ascending order.
QList<int> toDelete(const QList<QDateTime> &times, const QDateTime &now, const Policy &policy = {});

} // namespace BackupRotation
