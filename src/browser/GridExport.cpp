#include "browser/GridExport.h"

#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"
#include "safekeeping/CsvExport.h"

#include <QDir>
#include <QLocale>
#include <functional>

namespace
{

using GridExport::Outcome;

constexpr const char *ExportTitle = "Export %1";
constexpr const char *CsvFilter = "CSV files (*.csv);;All files (*)";
constexpr const char *Exporting = "Exporting %1: %2 rows written...";
constexpr const char *ExportDone = "%1 rows of %2 were written to \"%3\".";
constexpr const char *ExportFailed = "%1 was not exported: %2";

QString suggestedPath(const QString &what)
{
    return QDir(UserFolders::documents()).filePath(what + QStringLiteral(".csv"));
}

Outcome written(QWidget *parent, const QString &what,
                const std::function<CsvExportResult(const QString &target,
                                                    const CsvExportOptions &options)> &write)
{
    Outcome outcome;
    Dialogs &dialogs = Dialogs::instance();
    const QString target = dialogs.saveFileName(QString::fromUtf8(ExportTitle).arg(what),
                                                suggestedPath(what), QString::fromUtf8(CsvFilter));
    if (target.isEmpty())
        return outcome;
    outcome.asked = true;
    CsvExportResult result;
    BackgroundJob::run(
        parent,
        [what](qint64 done, qint64) {
            return QString::fromUtf8(Exporting).arg(what, QLocale().toString(done));
        },
        true,
        [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
            CsvExportOptions options;
            options.cancel = &cancel;
            options.progress = [&progress](qint64 rows) { progress.done = rows; };
            // The save dialog asked before replacing a file of that name.
            options.replace = PrivateOutput::Replace::Allowed;
            result = write(target, options);
        });
    if (!result.ok) {
        dialogs.message(QString::fromUtf8(ExportFailed).arg(what, result.error),
                        Dialogs::Buttons::Ok,
                        result.cancelled ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
        return outcome;
    }
    outcome.written = true;
    outcome.rows = result.rows;
    outcome.path = result.path;
    dialogs.message(
        QString::fromUtf8(ExportDone).arg(QLocale().toString(result.rows), what, result.path),
        Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    return outcome;
}

} // namespace

namespace GridExport
{

Outcome toCsv(QWidget *parent, const QString &databasePath, const QString &what,
              const QString &select, const QVariantList &params)
{
    return written(parent, what, [&](const QString &target, const CsvExportOptions &options) {
        return CsvExport::toFile(databasePath, select, params, target, options);
    });
}

Outcome table(QWidget *parent, const CaseDatabase &db, const QString &table)
{
    if (!db.filePath().isEmpty())
        return toCsv(parent, db.filePath(), table, CsvExport::tableQuery(table), {});
    return written(parent, table, [&](const QString &target, const CsvExportOptions &options) {
        return CsvExport::tableToFile(db, table, target, options);
    });
}

Outcome recordset(QWidget *parent, const RecordSet &records)
{
    // The copy is read on a connection of its own, on the thread of the
    // progress dialog: the statement is made here, on the set's thread.
    QVariantList params;
    const QString select = records.exportQuery(&params);
    const CaseDatabase &db = records.database();
    if (!db.filePath().isEmpty())
        return toCsv(parent, db.filePath(), records.tableName(), select, params);
    return written(parent, records.tableName(),
                   [&](const QString &target, const CsvExportOptions &options) {
                       return CsvExport::serverSelectToFile(db, select, params, target, options);
                   });
}

} // namespace GridExport
