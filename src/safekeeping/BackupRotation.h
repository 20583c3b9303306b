#pragma once

#include <QDateTime>
#include <QList>

// Which backups to delete. Kept:
//  - every backup of the last `hours` hours before now;
//  - the newest `newest` whatever their age, so that a clock running ahead
//    (which makes every backup look old) still leaves the latest ones;
//  - the newest backup of each of the last `days` days on which backups
//    were taken, and of each of the last `months` such months. These count
//    the days and months that hold backups, not the calendar back from
//    now: a clock a year ahead, or a month without the program, thins out
//    nothing more than a normal day would.
// Then, while the kept backups together take more than `maxBytes`, the
// oldest of them goes; the newest backup not dated after now always stays.
//
// Days and months are those of UTC, as the backups' names are: a day is
// always 24 hours, summer time never makes one backup look older than the
// next, and the same list and clock always give the same answer. A backup
// dated after `now` (the clock was set back) is kept and takes no place
// among the newest, days or months: nothing tells how old it really is.
namespace BackupRotation
{

struct Policy {
    int hours = 48;
    int newest = 10;
    int days = 30;
    int months = 12;
    qint64 maxBytes = 0; // 0: no bound
};

struct Backup {
    QDateTime time; // when it was taken
    qint64 bytes = 0;
};

// backups: oldest first; backups taken in one second keep their order (the
// later index is the newer backup). Returns the indexes of the backups to
// delete, in ascending order.
QList<int> toDelete(const QList<Backup> &backups, const QDateTime &now, const Policy &policy = {});

} // namespace BackupRotation
