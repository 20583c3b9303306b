// File > Import: the file previewed, the rows that repeat an employee's
// file number counted and the steward asked about them, a backup taken
// (so that the records as they were are kept), then every row added or
// none, on a database file or a shared server alike.
#include "commands/ImportDialog.h"
#include "commands/SafekeepingCommands.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/SafekeepingTexts.h"
#include "safekeeping/TableImport.h"
#include "safekeeping/TableKeeps.h"
#include "session/CaseSession.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>

using namespace SafeCommandTexts;

namespace
{

QString number(qint64 n)
{
    return QLocale().toString(n);
}

} // namespace

CsvImportResult SafekeepingCommands::importFile(const QString &path, const QString &table,
                                                TableImportOptions options)
{
    CsvImportResult result;
    const CaseDatabase &db = *m_session.database();
    BackgroundJob::run(
        m_parent,
        [table, count = options.count](qint64 done, qint64) {
            return QString::fromUtf8(count ? Surveying : Importing).arg(table, number(done));
        },
        true,
        [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                result.error =
                    QString::fromUtf8(SafekeepingTexts::ImportUnreadable).arg(file.errorString());
                return;
            }
            options.cancel = &cancel;
            options.progress = [&progress](qint64 rows) { progress.done = rows; };
            result = TableImport::run(db.backend(), table, CaseShapes::importColumns(table), file,
                                      options);
        });
    return result;
}

// A server keeps no backups of its own that the program could take: the
// table the import adds to is written as the CSV file File > Export gives,
// in the backups folder the program keeps for the steward, under the
// server's and the table's name, before anything is written. One table,
// read in one snapshot and streamed, whatever the size of the other. The
// older files of that server and table then rotate as the backups do.
bool SafekeepingCommands::keepServerTable(const QString &table, QString *kept,
                                          QStringList *notDeleted)
{
    const CaseDatabase &db = *m_session.database();
    const TableKeeps keeps(db.backend().displayName(), table);
    // A second import within the second gets " (2)": the file is never
    // put over another.
    const QString target = keeps.newPath(QDateTime::currentDateTimeUtc());
    CsvExportResult result;
    QString why;
    if (!keeps.make(&why)) {
        result.error = why;
    } else {
        BackgroundJob::run(
            m_parent,
            [table](qint64 done, qint64) {
                return QString::fromUtf8(KeepingTable).arg(table, number(done));
            },
            true,
            [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
                CsvExportOptions options;
                options.cancel = &cancel;
                options.progress = [&progress](qint64 rows) { progress.done = rows; };
                options.replace = PrivateOutput::Replace::Never;
                result = CsvExport::tableToFile(db, table, target, options);
            });
    }
    if (!result.ok) {
        Dialogs::instance().message(
            QString::fromUtf8(ImportNoBackup).arg(result.error), Dialogs::Buttons::Ok,
            result.cancelled ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
        return false;
    }
    *kept = result.path;
    *notDeleted = keeps.rotate(QDateTime::currentDateTimeUtc()).notDeleted;
    return true;
}

void SafekeepingCommands::importRecords()
{
    if (!mayRun(Ability::Import))
        return;
    m_path = m_session.database()->filePath();
    const auto busy = m_session.quietBackups();
    Dialogs &dialogs = Dialogs::instance();
    const QString path = dialogs.openFileName(
        QString::fromUtf8(ImportTitle), UserFolders::documents(), QString::fromUtf8(CsvFilter));
    if (path.isEmpty())
        return;
    ImportDialog dialog(path, currentTable(), m_parent);
    if (dialogs.exec(dialog) != QDialog::Accepted || !dialog.preview().ok)
        return;
    if (!m_session.saveEditedRecords())
        return;
    const QString table = dialog.table();
    auto failed = [&](const CsvImportResult &r) {
        dialogs.message(QString::fromUtf8(ImportFailed).arg(r.error), Dialogs::Buttons::Ok,
                        r.cancelled ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
    };

    // Employees whose file number the table holds already: an export of
    // these very records, imported back, would double every employee.
    TableImportOptions options;
    const QString fileNumber = QStringLiteral("File Number");
    if (table == QLatin1String(CaseSchema::EmployeeTable) &&
        dialog.preview().matched.contains(fileNumber)) {
        TableImportOptions survey;
        survey.field = fileNumber;
        survey.count = true;
        const CsvImportResult counted = importFile(path, table, survey);
        if (!counted.ok)
            return failed(counted);
        options.field = fileNumber;
        // Added unless the steward leaves them out; never more of them than
        // the steward was asked about.
        options.addKnown = true;
        options.knownCounted = counted.skipped;
        if (counted.skipped > 0) {
            const auto answer =
                dialogs.message(QString::fromUtf8(ImportKnownRows)
                                    .arg(number(counted.skipped), number(counted.rows)),
                                Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question);
            if (answer == Dialogs::Answer::Cancel)
                return;
            if (answer == Dialogs::Answer::No)
                options.addKnown = false;
        }
    }

    // Kept first, so that the records as they were are there after a wrong
    // import: on a file the backup Restore puts back.
    QString keptTable;
    QStringList keepsNotDeleted;
    if (m_path.isEmpty()) {
        if (!keepServerTable(table, &keptTable, &keepsNotDeleted))
            return;
    } else {
        const KeeperResult kept = m_session.backUpBeforeReplace();
        if (kept.outcome != KeeperResult::Outcome::Made &&
            kept.outcome != KeeperResult::Outcome::Unchanged) {
            dialogs.message(QString::fromUtf8(ImportNoBackup).arg(kept.message),
                            Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
            return;
        }
    }
    const CsvImportResult result = importFile(path, table, options);
    if (!result.ok)
        return failed(result);
    m_session.reload();
    QString done =
        result.skipped > 0
            ? QString::fromUtf8(ImportDoneSkipping)
                  .arg(number(result.rows - result.skipped), table, number(result.skipped))
            : QString::fromUtf8(ImportDone).arg(number(result.rows), table);
    if (!keptTable.isEmpty())
        done += QString::fromUtf8(ImportKeptTable).arg(table, keptTable);
    if (!keepsNotDeleted.isEmpty())
        done += QString::fromUtf8(ImportKeepsNotDeleted)
                    .arg(number(keepsNotDeleted.size()), table,
                         QFileInfo(keepsNotDeleted.first()).path());
    dialogs.message(done, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}
