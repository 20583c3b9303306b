#pragma once

#include "safekeeping/CaseShape.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct BackupEntry {
    QString path;
    QDateTime time;   // when it was taken, in UTC
    int sequence = 1; // 2, 3 ... for a second and third backup in one second
    bool good = false;
    QString problem;    // for the steward, when not good
    QList<qint64> rows; // per table of the shape, when listed with counts
    qint64 bytes = 0;
};

// The Backups folder beside a case database and the names in it:
//   "<database name> 2026-12-07 14.05.33 UTC.db"
//   "<database name> 2026-12-07 14.05.33 UTC (2).db"
// The time is the moment the copy was taken, in UTC: names then sort by
// time, never repeat when a summer-time hour repeats, and say so plainly;
// the window shows the steward local time. The database's own name leads,
// so two databases in one folder keep their backups apart.
class BackupFolder
{
  public:
    static constexpr const char *FolderName = "Backups";

    explicit BackupFolder(const QString &databasePath);
    // The backups of a shared server's records: in the per-user Backups
    // folder (beside the program's own database file), named after the
    // server as messages name it (user, host, port and database; never a
    // password), so that each server keeps its own and none mixes with the
    // file's.
    static BackupFolder forServer(const QString &serverName);

    const QString &path() const { return m_path; }
    const QString &prefix() const { return m_prefix; }

    QString fileName(const QDateTime &time, int sequence = 1) const;
    // Reads a name made by fileName(); false for any other name.
    bool parse(const QString &fileName, QDateTime *time, int *sequence) const;
    // The path for a backup taken at `time`: the first of its names that
    // no file has yet.
    QString newPath(const QDateTime &time) const;

    // Makes the folder (readable by its owner alone) when it is missing.
    bool make(QString *error) const;

    enum class Detail {
        Header, // what the file's header and size say: cheap
        Counts, // opened read-only: tables, fields and rows
    };
    // The backups of this database, oldest first. A damaged or foreign file
    // under a backup's name is listed as not good, with the problem.
    QList<BackupEntry> list(const CaseShape &shape, Detail detail) const;
    // The newest backup that is good, with its rows counted; an entry
    // with an empty path when there is none.
    BackupEntry newestGood(const CaseShape &shape) const;

    // Part files left in the folder by a backup that never finished.
    QStringList partFiles() const;

  private:
    BackupFolder() = default;

    QString m_path;
    QString m_prefix;
};
