// File > Import: the file previewed, the rows that repeat an employee's
// file number counted and the steward asked about them, a backup taken
// (so that Restore undoes the import), then every row added or none.
#include "commands/ImportDialog.h"
#include "commands/SafekeepingCommands.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "safekeeping/SafekeepingTexts.h"
#include "safekeeping/TableImport.h"
#include "session/CaseSession.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QFile>
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
                                                const QString &skipKnown, bool count)
{
    CsvImportResult result;
    BackgroundJob::run(
        m_parent,
        [table, count](qint64 done, qint64) {
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
            TableImport::Options options;
            options.cancel = &cancel;
            options.progress = [&progress](qint64 rows) { progress.done = rows; };
            options.field = skipKnown;
            options.count = count;
            result =
                TableImport::run(m_path, table, CaseShapes::importColumns(table), file, options);
        });
    return result;
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
    QString skipKnown;
    const QString fileNumber = QStringLiteral("File Number");
    if (table == QLatin1String(CaseSchema::EmployeeTable) &&
        dialog.preview().matched.contains(fileNumber)) {
        const CsvImportResult survey = importFile(path, table, fileNumber, true);
        if (!survey.ok)
            return failed(survey);
        if (survey.skipped > 0) {
            const auto answer = dialogs.message(
                QString::fromUtf8(ImportKnownRows).arg(number(survey.skipped), number(survey.rows)),
                Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question);
            if (answer == Dialogs::Answer::Cancel)
                return;
            if (answer == Dialogs::Answer::No)
                skipKnown = fileNumber;
        }
    }

    // Kept first, so that a wrong import is undone by restoring this backup.
    const KeeperResult kept = m_session.backUpBeforeReplace();
    if (kept.outcome != KeeperResult::Outcome::Made &&
        kept.outcome != KeeperResult::Outcome::Unchanged) {
        dialogs.message(QString::fromUtf8(ImportNoBackup).arg(kept.message), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    const CsvImportResult result = importFile(path, table, skipKnown, false);
    if (!result.ok)
        return failed(result);
    m_session.reload();
    const QString done =
        result.skipped > 0
            ? QString::fromUtf8(ImportDoneSkipping)
                  .arg(number(result.rows - result.skipped), table, number(result.skipped))
            : QString::fromUtf8(ImportDone).arg(number(result.rows), table);
    dialogs.message(done, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}
