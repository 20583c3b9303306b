#include "app/SafekeepingCommands.h"

#include "app/CaseShapes.h"
#include "app/DamagedStart.h"
#include "app/ExportChoiceDialog.h"
#include "app/RestoreDialog.h"
#include "app/SafeCommandTexts.h"
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "browser/GridExport.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseDatabase.h"
#include "safekeeping/CaseRestore.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/OnlineBackup.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimer>
#include <optional>

using namespace SafeCommandTexts;

namespace
{

QString number(qint64 n)
{
    return QLocale().toString(n);
}

// When the records of a file were taken: from a backup's name, otherwise
// the file's last change.
QDateTime takenAt(const QString &databasePath, const QString &file)
{
    QDateTime time;
    if (BackupFolder(databasePath).parse(QFileInfo(file).fileName(), &time, nullptr))
        return time;
    return QFileInfo(file).lastModified().toUTC();
}

} // namespace

SafekeepingCommands::SafekeepingCommands(frmMain &window, const QString &databasePath)
    : m_window(window), m_path(databasePath),
      m_backups(databasePath, [this](const QString &t) { status(t); })
{
    // A backup in the background that finds the open database damaged:
    // the steward is offered the newest good backup, as at start. Backups
    // taken for a command (a restore, closing) are that command's to handle.
    QObject::connect(
        &m_backups, &BackupController::finished, &m_backups, [this](const KeeperResult &result) {
            if (!result.sourceDamaged || m_inCommand || m_offered)
                return;
            m_offered = true;
            QTimer::singleShot(0, &m_backups,
                               [this, reason = result.damage] { offerAfterDamage(reason); });
        });
}

void SafekeepingCommands::status(const QString &t)
{
    m_window.sbStatusBar()->setPanelText(t);
}

QString SafekeepingCommands::currentTable() const
{
    return CaseShapes::tables().value(m_window.form().SSTab2->currentIndex());
}

void SafekeepingCommands::backUpNow()
{
    // What the boxes show is what the copy holds.
    m_window.saveEditedRecords();
    Dialogs &dialogs = Dialogs::instance();
    const QFileInfo db(m_path);
    const QString suggested =
        QDir(UserFolders::documents())
            .filePath(
                QStringLiteral("%1 %2.%3")
                    .arg(db.completeBaseName(),
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm")),
                         db.suffix().isEmpty() ? QStringLiteral("db") : db.suffix()));
    const QString target = dialogs.saveFileName(QString::fromUtf8(BackUpNowTitle), suggested,
                                                QString::fromUtf8(BackupFilter));
    if (target.isEmpty())
        return;
    BackupResult result;
    BackgroundJob::run(
        &m_window, [](qint64, qint64) { return QString::fromUtf8(BackingUp); }, true,
        [&](const std::atomic<bool> &cancel, BackgroundJob::Progress &progress) {
            BackupOptions options;
            options.cancel = &cancel;
            // The save dialog asked before replacing a file of that name.
            options.replace = PrivateOutput::Replace::Allowed;
            options.progress = [&progress](qint64 done, qint64 total) {
                progress.done = done;
                progress.total = total;
            };
            result = OnlineBackup::copy(m_path, target, CaseShapes::caseShape(), options);
        });
    if (!result.ok) {
        dialogs.message(QString::fromUtf8(BackUpNowFailed).arg(result.error), Dialogs::Buttons::Ok,
                        result.cancelled ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
        return;
    }
    dialogs.message(QString::fromUtf8(BackUpNowDone)
                        .arg(result.path, number(CaseShapes::employees(result.rows)),
                             number(CaseShapes::complaints(result.rows))),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

void SafekeepingCommands::restore()
{
    const QScopedValueRollback<bool> busy(m_inCommand, true);
    Dialogs &dialogs = Dialogs::instance();
    const CaseShape shape = CaseShapes::caseShape();
    // No backup the list shows is rotated away until the restore is done,
    // not even by the backup of the records now open taken just before it.
    const BackupHold::Guard held(m_backups.hold());
    QList<BackupEntry> backups;
    BackgroundJob::run(
        &m_window, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            backups = BackupFolder(m_path).list(shape, BackupFolder::Detail::Counts);
        });
    RestoreDialog dialog(m_path, backups, &m_window);
    if (dialogs.exec(dialog) != QDialog::Accepted || dialog.chosenPath().isEmpty())
        return;
    const QString chosen = dialog.chosenPath();

    CaseFileReport backup, current;
    BackgroundJob::run(
        &m_window, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            backup = CaseFileCheck::check(chosen, shape, CaseFileCheck::Depth::Full);
            current = CaseFileCheck::check(m_path, shape, CaseFileCheck::Depth::Counts);
        });
    if (QFileInfo(chosen).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath())
        backup.good = false,
        backup.problem = QString::fromUtf8(RestoreSameFile).arg(QFileInfo(chosen).fileName());
    if (!backup.good) {
        dialogs.message(QString::fromUtf8(RestoreRefused).arg(backup.problem), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    const QString when = RestoreDialog::timeText(takenAt(m_path, chosen));
    if (!isOpen()) {
        // Why it did not open, as it stands now: a file that opens now is
        // restored as usual.
        std::optional<DataError> why;
        try {
            CaseDatabase(m_path).openExisting();
        } catch (const DataError &e) {
            why = e;
        }
        if (why) {
            replaceUnopened(chosen, when, *why);
            return;
        }
        m_window.reloadDatabase();
        if (!isOpen())
            return;
    }
    if (dialogs.message(QString::fromUtf8(RestoreConfirm)
                            .arg(number(CaseShapes::employees(current.rows)),
                                 number(CaseShapes::complaints(current.rows)), when,
                                 number(CaseShapes::employees(backup.rows)),
                                 number(CaseShapes::complaints(backup.rows))),
                        Dialogs::Buttons::YesNo, Dialogs::Icon::Question) != Dialogs::Answer::Yes)
        return;

    if (!m_window.saveEditedRecords()) {
        dialogs.message(QString::fromUtf8(RestoreUnsaved), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    m_window.closeOtherWindows();
    // The records now open are kept first: a restore of the wrong backup
    // is undone by restoring this one.
    const KeeperResult kept = m_backups.runAndWait(&m_window, false);
    if (kept.sourceDamaged) {
        // The records now open cannot be kept by a copy: the damaged file
        // itself is kept aside, as when it is found damaged at start.
        replaceFile(chosen, when, DamagedStart::keptName(m_path), true);
        return;
    }
    if (kept.outcome != KeeperResult::Outcome::Made &&
        kept.outcome != KeeperResult::Outcome::Unchanged) {
        dialogs.message(QString::fromUtf8(RestoreNoCurrentBackup).arg(kept.message),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    RestoreResult restored;
    BackgroundJob::run(
        &m_window, [](qint64, qint64) { return QString::fromUtf8(Restoring); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            restored = CaseRestore::replace(chosen, m_path, shape);
        });
    if (!restored.ok) {
        dialogs.message(QString::fromUtf8(RestoreRefused).arg(restored.error), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    m_window.reloadDatabase();
    status(QString::fromUtf8(RestoreDone)
               .arg(when, number(CaseShapes::employees(restored.rows)),
                    number(CaseShapes::complaints(restored.rows))));
}

bool SafekeepingCommands::isOpen() const
{
    return m_window.database() && m_window.database()->isOpen();
}

void SafekeepingCommands::release()
{
    // Nothing may hold the file while it is moved aside: a connection
    // closed after the move would fold its log into, and delete, the log of
    // the file put in its place.
    m_backups.stopBackground();
    m_window.saveEditedRecords();
    m_window.closeOtherWindows();
    if (m_window.database())
        m_window.database()->close();
}

void SafekeepingCommands::replaceUnopened(const QString &chosen, const QString &when,
                                          const DataError &why)
{
    // Only a file SQLite itself finds damaged is kept aside as damaged; a
    // file that is locked, unreadable or another program's is the
    // steward's to decide on.
    const bool damaged = why.number() == DataErrors::Corrupt;
    const QString kept = DamagedStart::keptName(m_path, damaged ? DamagedSuffix : ReplacedSuffix);
    if (!damaged && Dialogs::instance().message(
                        QString::fromUtf8(ReplaceUnopened)
                            .arg(QFileInfo(m_path).fileName(), why.description(), when,
                                 QFileInfo(kept).fileName()),
                        Dialogs::Buttons::YesNo, Dialogs::Icon::Question) != Dialogs::Answer::Yes)
        return;
    replaceFile(chosen, when, kept, damaged);
}

void SafekeepingCommands::replaceFile(const QString &chosen, const QString &when,
                                      const QString &kept, bool damaged)
{
    release();
    QString error, warning;
    const bool done = DamagedStart::putInPlace(chosen, m_path, kept, &error, &warning);
    m_window.reloadDatabase();
    if (!done) {
        Dialogs::instance().message(QString::fromUtf8(RestoreRefused).arg(error),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    status(QString::fromUtf8(damaged ? DamagedKept : ReplacedKept)
               .arg(when, QFileInfo(kept).fileName()) +
           warning);
    if (isOpen())
        m_backups.startInBackground();
}

void SafekeepingCommands::offerAfterDamage(const QString &problem)
{
    QString notice;
    bool released = false;
    const bool replaced =
        DamagedStart::offerBackup(m_path, problem, &notice, DamagedOpenOffer, [this, &released] {
            release();
            released = true;
        });
    if (!released)
        return;
    m_window.reloadDatabase();
    if (!replaced)
        return;
    status(notice);
    if (isOpen())
        m_backups.startInBackground();
}

void SafekeepingCommands::exportRecords()
{
    // What the boxes show is what the file holds.
    m_window.saveEditedRecords();
    ExportChoiceDialog dialog(currentTable(), &m_window);
    if (Dialogs::instance().exec(dialog) != QDialog::Accepted)
        return;
    for (const QString &table : dialog.tables()) {
        const GridExport::Outcome done =
            GridExport::toCsv(&m_window, m_path, table, CsvExport::tableQuery(table), {});
        if (!done.asked)
            return; // cancelled at the file dialog: the other table too
    }
}

void SafekeepingCommands::backUpBeforeClosing()
{
    const QScopedValueRollback<bool> busy(m_inCommand, true);
    m_backups.runAndWait(&m_window, true, QString::fromUtf8(ClosingBackup));
}
