#include "safekeeping/CaseRestore.h"

#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace
{

// Finishes the backup object however the copy ends; sqlite3_backup_finish
// rolls back a copy that did not reach its end.
struct BackupFinisher {
    void operator()(sqlite3_backup *backup) const { sqlite3_backup_finish(backup); }
};

} // namespace

RestoreResult CaseRestore::replace(const QString &backup, const QString &database,
                                   const CaseShape &shape)
{
    using namespace SafekeepingTexts;
    RestoreResult result;
    const CaseFileReport report = CaseFileCheck::check(backup, shape, CaseFileCheck::Depth::Full);
    if (!report.good) {
        result.error = report.problem;
        return result;
    }
    QString error;
    const SafeSqlite::Connection source =
        SafeSqlite::open(backup, SafeSqlite::Access::ReadOnly, &error);
    if (!source) {
        result.error = QString::fromUtf8(FileUnreadable).arg(QFileInfo(backup).fileName(), error);
        return result;
    }
    const SafeSqlite::Connection target =
        SafeSqlite::open(database, SafeSqlite::Access::ReadWrite, &error);
    if (!target) {
        result.error = QString::fromUtf8(RestoreWriteFailed).arg(database, error);
        return result;
    }
    int rc = SQLITE_OK;
    {
        const std::unique_ptr<sqlite3_backup, BackupFinisher> copy(
            sqlite3_backup_init(target.get(), "main", source.get(), "main"));
        if (!copy) {
            result.error = QString::fromUtf8(RestoreWriteFailed)
                               .arg(database, SafeSqlite::errorText(target.get()));
            return result;
        }
        // All pages in one step: one write transaction, all or nothing. A
        // lock another program holds is waited for (the busy timeout) as a
        // save waits for it.
        rc = sqlite3_backup_step(copy.get(), -1);
    }
    if (rc != SQLITE_DONE) {
        const QString reason = sqlite3_errcode(target.get()) != SQLITE_OK
                                   ? SafeSqlite::errorText(target.get())
                                   : SafeSqlite::errorText(rc);
        result.error = QString::fromUtf8(RestoreWriteFailed).arg(database, reason);
        return result;
    }
    result.ok = true;
    result.rows = report.rows;
    return result;
}
