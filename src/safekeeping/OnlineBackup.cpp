#include "safekeeping/OnlineBackup.h"

#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <future>
#include <sqlite3.h>
#include <system_error>

namespace
{

using namespace SafekeepingTexts;

// How long a step waits in all for a lock it cannot get (a writer
// recovering the WAL after a crash holds one briefly).
constexpr int LockPatienceMs = 30000;
constexpr int LockRetryMs = 20;

struct BackupFinisher {
    void operator()(sqlite3_backup *b) const { sqlite3_backup_finish(b); }
};

bool cancelled(const BackupOptions &options)
{
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// SQLite's virtual machine steps between two looks at the cancel flag
// during the check: a fraction of a millisecond.
constexpr int CheckStepsPerLook = 10000;

int stopWhenCancelled(void *flag)
{
    return static_cast<std::atomic<bool> *>(flag)->load(std::memory_order_relaxed) ? 1 : 0;
}

class Job
{
  public:
    Job(const QString &source, const QString &target, const CaseShape &shape,
        const BackupOptions &options)
        : m_source(source), m_shape(shape), m_options(options), m_output(target)
    {
    }

    BackupResult run()
    {
        if (PrivateOutput::namesDatabase(m_output.finalPath(), m_source)) {
            failWith(QString::fromUtf8(TargetIsDatabase).arg(targetName()));
            return m_result;
        }
        if (!openSource() || !openTarget() || !copyPages())
            return m_result;
        // The pages go to the disk while the check reads them from memory;
        // the sync before the rename then has little left to write. A
        // failure of this sync counts: the system reports it only once.
        QString syncError;
        std::future<bool> synced;
        try {
            synced = std::async(std::launch::async, [path = m_output.partPath(), &syncError] {
                return PrivateOutput::syncFile(path, &syncError);
            });
        } catch (const std::system_error &) {
            // No thread to spare: the sync before the rename does it all.
        }
        const bool checked = makeSelfContained() && verify();
        if (synced.valid() && !synced.get() && checked)
            writeFailed(syncError);
        if (!checked || !m_result.error.isEmpty())
            return m_result;
        m_target.reset(); // closed before the file is synced and renamed
        QString error;
        if (!m_output.commit(m_options.replace, &error)) {
            if (m_output.nameTaken())
                failWith(QString::fromUtf8(BackupNameTaken).arg(targetName()));
            else
                writeFailed(error);
            return m_result;
        }
        m_result.ok = true;
        m_result.path = m_output.finalPath();
        m_result.bytes = QFileInfo(m_result.path).size();
        return m_result;
    }

  private:
    QString targetName() const { return QFileInfo(m_output.finalPath()).fileName(); }

    bool failWith(const QString &error)
    {
        m_result.error = error;
        m_result.rows.clear();
        return false;
    }

    bool sourceFailed(const QString &why)
    {
        return failWith(QString::fromUtf8(BackupSourceFailed).arg(m_source, why));
    }

    // A copy that does not read back whole, or pages that cannot be read:
    // either the copy or the database itself is damaged. The database is
    // read again on its own to tell which, since every later backup would
    // fail the same way and the steward has to hear about the database.
    bool sourceIsDamaged()
    {
        QString error;
        const SafeSqlite::Connection source =
            SafeSqlite::open(m_source, SafeSqlite::Access::ReadOnly, &error);
        if (!source)
            return false;
        const CaseFileReport report = CaseFileCheck::check(
            source.get(), QFileInfo(m_source).fileName(), m_shape, m_options.check);
        if (report.good || !report.damaged)
            return false;
        sourceDamaged(report.reason);
        return true;
    }

    bool sourceDamaged(const QString &reason)
    {
        failWith(QString::fromUtf8(SourceDamaged).arg(QFileInfo(m_source).fileName(), reason));
        m_result.sourceDamaged = true;
        m_result.damage = reason;
        return false;
    }

    static bool saysDamaged(int rc)
    {
        return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB;
    }

    bool writeFailed(const QString &why)
    {
        return failWith(QString::fromUtf8(BackupWriteFailed).arg(targetName(), why));
    }

    bool openSource()
    {
        // Pages are read with read(), never through a memory map: an I/O
        // error of a failing disk is then an error to report, not a signal
        // that ends the program.
        QString error;
        m_sourceDb = SafeSqlite::open(m_source, SafeSqlite::Access::ReadOnly, &error);
        if (!m_sourceDb)
            return sourceFailed(error);
        // The read transaction that the backup's steps share: one snapshot
        // from the first page to the last.
        if (!SafeSqlite::exec(m_sourceDb.get(), "BEGIN", &error) ||
            !SafeSqlite::exec(m_sourceDb.get(), "SELECT count(*) FROM sqlite_master", &error)) {
            if (saysDamaged(sqlite3_errcode(m_sourceDb.get())))
                return sourceDamaged(error);
            return sourceFailed(error);
        }
        return true;
    }

    bool openTarget()
    {
        QString error;
        if (!m_output.create(&error))
            return writeFailed(error);
        m_target = SafeSqlite::open(m_output.partPath(), SafeSqlite::Access::ReadWrite, &error);
        if (!m_target)
            return writeFailed(error);
        // Nothing to roll back in a file that counts only once it is whole:
        // no journal while the pages go in, and one sync at the end.
        if (!SafeSqlite::exec(m_target.get(), "PRAGMA journal_mode=OFF", &error) ||
            !SafeSqlite::exec(m_target.get(), "PRAGMA synchronous=OFF", &error))
            return writeFailed(error);
        return true;
    }

    bool copyPages()
    {
        std::unique_ptr<sqlite3_backup, BackupFinisher> backup(
            sqlite3_backup_init(m_target.get(), "main", m_sourceDb.get(), "main"));
        if (!backup)
            return writeFailed(SafeSqlite::errorText(m_target.get()));
        QElapsedTimer waiting;
        for (;;) {
            if (cancelled(m_options)) {
                m_result.cancelled = true;
                return failWith(QString::fromUtf8(BackupCancelled));
            }
            const int rc = sqlite3_backup_step(backup.get(), std::max(1, m_options.pagesPerStep));
            if (m_options.progress) {
                const qint64 total = sqlite3_backup_pagecount(backup.get());
                m_options.progress(total - sqlite3_backup_remaining(backup.get()), total);
            }
            if (rc == SQLITE_DONE)
                break;
            if (rc == SQLITE_OK) {
                waiting.invalidate();
                continue;
            }
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
                if (!waiting.isValid())
                    waiting.start();
                if (waiting.elapsed() < LockPatienceMs) {
                    sqlite3_sleep(LockRetryMs);
                    continue;
                }
            }
            if (saysDamaged(rc) && sourceIsDamaged())
                return false;
            // A step's failure is kept on the target's connection; it
            // names a full disk or a folder that cannot be written.
            return writeFailed(sqlite3_errcode(m_target.get()) != SQLITE_OK
                                   ? SafeSqlite::errorText(m_target.get())
                                   : SafeSqlite::errorText(rc));
        }
        const int rc = sqlite3_backup_finish(backup.release());
        if (rc != SQLITE_OK)
            return writeFailed(SafeSqlite::errorText(m_target.get()));
        // The snapshot is no longer needed: the writer's checkpoints may
        // go past it again.
        sqlite3_exec(m_sourceDb.get(), "COMMIT", nullptr, nullptr, nullptr);
        m_sourceDb.reset();
        return true;
    }

    // The copy carries the source's WAL mode in its header; a backup in
    // rollback mode is one file that can be read without creating -wal and
    // -shm files beside it. Restoring it puts it back into WAL mode.
    bool makeSelfContained()
    {
        QString error;
        SafeSqlite::Statement mode = SafeSqlite::prepare(
            m_target.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), &error);
        if (!mode || sqlite3_step(mode.get()) != SQLITE_ROW)
            return writeFailed(error.isEmpty() ? SafeSqlite::errorText(m_target.get()) : error);
        const QString now =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(mode.get(), 0)));
        if (now.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            return writeFailed(now);
        return true;
    }

    bool verify()
    {
        // The check of a large file takes seconds: a cancel stops it too.
        if (m_options.cancel)
            sqlite3_progress_handler(m_target.get(), CheckStepsPerLook, stopWhenCancelled,
                                     const_cast<std::atomic<bool> *>(m_options.cancel));
        const CaseFileReport report =
            CaseFileCheck::check(m_target.get(), targetName(), m_shape, m_options.check);
        sqlite3_progress_handler(m_target.get(), 0, nullptr, nullptr);
        if (!report.good && cancelled(m_options)) {
            m_result.cancelled = true;
            return failWith(QString::fromUtf8(BackupCancelled));
        }
        if (!report.good && report.damaged && sourceIsDamaged())
            return false;
        if (!report.good)
            return failWith(QString::fromUtf8(BackupCheckFailed).arg(targetName(), report.problem));
        m_result.rows = report.rows;
        return true;
    }

    QString m_source;
    const CaseShape &m_shape;
    const BackupOptions &m_options;
    PrivateOutput m_output;
    SafeSqlite::Connection m_sourceDb;
    SafeSqlite::Connection m_target;
    BackupResult m_result;
};

} // namespace

BackupResult OnlineBackup::copy(const QString &source, const QString &target,
                                const CaseShape &shape, const BackupOptions &options)
{
    return Job(source, target, shape, options).run();
}
