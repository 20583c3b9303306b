#include "safekeeping/CaseRestore.h"

#include "safekeeping/BackupFolder.h"
#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/PrivateOutput.h"
#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace
{

using namespace SafekeepingTexts;

// Finishes the backup object however the copy ends; sqlite3_backup_finish
// rolls back a copy that did not reach its end.
struct BackupFinisher {
    void operator()(sqlite3_backup *backup) const { sqlite3_backup_finish(backup); }
};
using Copy = std::unique_ptr<sqlite3_backup, BackupFinisher>;

QString copyError(sqlite3 *target, int rc)
{
    return sqlite3_errcode(target) != SQLITE_OK ? SafeSqlite::errorText(target)
                                                : SafeSqlite::errorText(rc);
}

// The highest key each numbered table has ever handed out.
bool readNumbering(sqlite3 *db, CaseRestore::Numbering *numbering, QString *error)
{
    // A file without a numbered table has no sqlite_sequence.
    SafeSqlite::Statement exists = SafeSqlite::prepare(
        db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'"), error);
    if (!exists)
        return false;
    const int found = sqlite3_step(exists.get());
    if (found == SQLITE_DONE)
        return true;
    if (found != SQLITE_ROW) {
        *error = SafeSqlite::errorText(db);
        return false;
    }
    SafeSqlite::Statement q =
        SafeSqlite::prepare(db, QStringLiteral("SELECT name, seq FROM sqlite_sequence"), error);
    if (!q)
        return false;
    int rc;
    while ((rc = sqlite3_step(q.get())) == SQLITE_ROW)
        numbering->append(
            {QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.get(), 0))),
             sqlite3_column_int64(q.get(), 1)});
    if (rc != SQLITE_DONE)
        *error = SafeSqlite::errorText(db);
    return rc == SQLITE_DONE;
}

bool run(sqlite3 *db, const char *sql, const CaseRestore::Numbering::value_type &n, QString *error)
{
    SafeSqlite::Statement q = SafeSqlite::prepare(db, QString::fromUtf8(sql), error);
    if (!q || !SafeSqlite::bind(q.get(), 1, n.first) || !SafeSqlite::bind(q.get(), 2, n.second) ||
        sqlite3_step(q.get()) != SQLITE_DONE) {
        if (error->isEmpty())
            *error = SafeSqlite::errorText(db);
        return false;
    }
    return true;
}

// A private copy of the backup, checked whole: the restore writes this copy,
// and raises its numbering first, never touching the steward's backup.
SafeSqlite::Connection privateCopy(const QString &backup, PrivateOutput &part,
                                   const CaseShape &shape, RestoreResult *result)
{
    const QString name = QFileInfo(backup).fileName();
    QString error;
    const QString problem = CaseFileCheck::headerProblem(backup);
    if (!problem.isEmpty()) {
        result->error = problem;
        return {};
    }
    const SafeSqlite::Connection source =
        SafeSqlite::open(backup, SafeSqlite::Access::ReadOnly, &error);
    if (!source) {
        result->error = QString::fromUtf8(FileUnreadable).arg(name, error);
        return {};
    }
    SafeSqlite::Connection copy;
    if (part.create(&error))
        copy = SafeSqlite::open(part.partPath(), SafeSqlite::Access::ReadWrite, &error);
    if (!copy || !SafeSqlite::exec(copy.get(), "PRAGMA journal_mode=OFF", &error) ||
        !SafeSqlite::exec(copy.get(), "PRAGMA synchronous=OFF", &error)) {
        result->error = QString::fromUtf8(RestoreCopyFailed).arg(name, error);
        return {};
    }
    int rc = SQLITE_ERROR;
    if (const Copy pages{sqlite3_backup_init(copy.get(), "main", source.get(), "main")})
        rc = sqlite3_backup_step(pages.get(), -1);
    if (rc != SQLITE_DONE) {
        result->error = QString::fromUtf8(FileUnreadable).arg(name, copyError(copy.get(), rc));
        return {};
    }
    const CaseFileReport report =
        CaseFileCheck::check(copy.get(), name, shape, CaseFileCheck::Depth::Full);
    if (!report.good) {
        result->error = report.problem;
        return {};
    }
    result->rows = report.rows;
    return copy;
}

} // namespace

bool CaseRestore::carryNumbering(sqlite3 *into, const Numbering &numbering, QString *error)
{
    if (numbering.isEmpty())
        return true;
    if (!SafeSqlite::exec(into, "BEGIN IMMEDIATE", error))
        return false;
    bool ok = true;
    for (const auto &n : numbering) {
        // A table the copy has never numbered has no row yet.
        ok = ok &&
             run(into, "UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1", n, error) &&
             (sqlite3_changes(into) > 0 ||
              run(into,
                  "INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE EXISTS "
                  "(SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1)",
                  n, error));
    }
    if (ok && SafeSqlite::exec(into, "COMMIT", error))
        return true;
    QString ignored;
    SafeSqlite::exec(into, "ROLLBACK", &ignored);
    return false;
}

bool CaseRestore::carryNumbering(const QString &from, const QString &into, QString *error)
{
    Numbering numbering;
    const SafeSqlite::Connection source =
        SafeSqlite::open(from, SafeSqlite::Access::ReadOnly, error);
    if (!source || !readNumbering(source.get(), &numbering, error))
        return false;
    const SafeSqlite::Connection target =
        SafeSqlite::open(into, SafeSqlite::Access::ReadWrite, error);
    return target && carryNumbering(target.get(), numbering, error);
}

RestoreResult CaseRestore::replace(const QString &backup, const QString &database,
                                   const CaseShape &shape)
{
    RestoreResult result;
    const BackupFolder folder(database);
    QString error;
    if (!folder.make(&error)) {
        result.error = QString::fromUtf8(BackupFolderFailed).arg(folder.path(), error);
        return result;
    }
    // In the backup folder under a part name, so that a copy a crash left
    // behind is removed by the next backup.
    PrivateOutput part(QDir(folder.path()).filePath(folder.prefix() + QStringLiteral(" restore")));
    const SafeSqlite::Connection copy = privateCopy(backup, part, shape, &result);
    if (!copy)
        return result;

    auto failed = [&](const QString &why) {
        result.error = QString::fromUtf8(RestoreWriteFailed).arg(database, why);
        result.rows.clear();
        return result;
    };
    const SafeSqlite::Connection target =
        SafeSqlite::open(database, SafeSqlite::Access::ReadWrite, &error);
    const SafeSqlite::Connection reader =
        SafeSqlite::open(database, SafeSqlite::Access::ReadOnly, &error);
    if (!target || !reader)
        return failed(error);
    const Copy pages(sqlite3_backup_init(target.get(), "main", copy.get(), "main"));
    if (!pages)
        return failed(SafeSqlite::errorText(target.get()));
    // The numbering the database has handed out, read while its write lock
    // is held by the restore (taken by the empty first step, waited for as
    // a save waits for it): no number can be handed out between this read
    // and the restore's commit. A file in rollback mode keeps readers out
    // under that lock; then the look just before it has to do.
    Numbering live;
    if (!readNumbering(reader.get(), &live, &error))
        return failed(error);
    int rc = sqlite3_backup_step(pages.get(), 0);
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        return failed(copyError(target.get(), rc));
    sqlite3_busy_timeout(reader.get(), 0);
    Numbering underLock;
    if (readNumbering(reader.get(), &underLock, &error))
        live = underLock;
    // The copy numbers on after the highest number either side ever gave.
    if (!carryNumbering(copy.get(), live, &error))
        return failed(error);
    // All pages in one write transaction: all or nothing.
    rc = sqlite3_backup_step(pages.get(), -1);
    if (rc != SQLITE_DONE)
        return failed(copyError(target.get(), rc));
    result.ok = true;
    return result;
}
