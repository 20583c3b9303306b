#pragma once

#include "safekeeping/BackupFolder.h"
#include "safekeeping/BackupRotation.h"
#include "safekeeping/CaseShape.h"
#include "safekeeping/OnlineBackup.h"

#include <QDateTime>
#include <QMutex>
#include <QStringList>
#include <functional>
#include <memory>

class DatabaseBackend;

struct KeeperResult {
    enum class Outcome {
        Made,      // a new backup was taken, checked and synced
        Unchanged, // the database is as the newest backup has it: no copy
        Busy,      // another program is backing up this database right now
        Cancelled,
        Failed,
    };
    Outcome outcome = Outcome::Failed;
    QString message;            // for the steward (the status bar) unless Made or Unchanged
    bool sourceDamaged = false; // failed because the database itself is damaged
    QString damage;             // SQLite's words for it
    BackupResult backup;        // the copy, when Made
    QStringList deleted;        // older backups the rotation removed
    QStringList leftOver;       // part files of an earlier, unfinished backup, removed
};

// A pause of the rotation while the steward is choosing a backup to restore
// and until it is restored: a backup shown in the Restore list is never
// deleted under the steward. Shared by the window's thread and the
// backups' threads; the look at the pause and the deletion are one step.
class BackupHold
{
  public:
    class Guard
    {
      public:
        explicit Guard(BackupHold &hold) : m_hold(hold) { m_hold.change(+1); }
        ~Guard() { m_hold.change(-1); }
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;

      private:
        BackupHold &m_hold;
    };

    // Deletes the file unless a guard holds the rotation; true when deleted.
    bool removeUnlessHeld(const QString &path);

  private:
    void change(int by);

    QMutex m_mutex;
    int m_guards = 0;
};

// The automatic backups of one case database, taken when the program opens
// the file and when it closes it: into the Backups folder beside it, only
// when the database changed since the newest backup, and followed by the
// rotation once the new backup is checked and on the disk.
//
// The backups of a shared server's records are case files too, written
// through the copy from a server into a new file (counted and checked row
// by row) into the per-user Backups folder under the server's name, with
// the same rotation among the backups of that server. A server's records
// cannot be fingerprinted from here: each run copies them.
//
// Runs on any thread; two programs on one database take turns through a
// lock file in the folder (the second is told Busy and copies nothing).
class BackupKeeper
{
  public:
    using Clock = std::function<QDateTime()>;

    BackupKeeper(const QString &databasePath, const CaseShape &shape, Clock clock = {});
    // The backups of the server `server` reaches (its own connection,
    // made on the thread that runs the keeper).
    BackupKeeper(std::shared_ptr<const DatabaseBackend> server, const CaseShape &shape,
                 Clock clock = {});

    const BackupFolder &folder() const { return m_folder; }
    // The rotation's rules; maxBytes 0 takes the folder's usual bound.
    void setPolicy(const BackupRotation::Policy &policy) { m_policy = policy; }
    void setHold(std::shared_ptr<BackupHold> hold) { m_hold = std::move(hold); }

    // The most the backups may take together: ten copies of the newest,
    // and never less than 2 GiB.
    static qint64 folderBound(qint64 newestBackupBytes);

    // options.replace is ignored: a backup never replaces another.
    KeeperResult run(const BackupOptions &options = {});

    // The file in the folder that remembers which backup holds which
    // state of the database (hidden, one per database).
    QString stateFile() const;

  private:
    bool unchangedSinceLastBackup(const QByteArray &fingerprint) const;
    void remember(const QString &backup, const QByteArray &fingerprint) const;
    QStringList rotate() const;
    BackupResult copyServer(const QString &target, const BackupOptions &options) const;

    QString m_database;
    std::shared_ptr<const DatabaseBackend> m_server;
    CaseShape m_shape;
    Clock m_clock;
    BackupFolder m_folder;
    BackupRotation::Policy m_policy;
    std::shared_ptr<BackupHold> m_hold;
};
