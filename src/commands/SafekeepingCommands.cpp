#include "commands/SafekeepingCommands.h"

#include "browser/GridExport.h"
#include "commands/AbilityActions.h"
#include "commands/DamagedStart.h"
#include "commands/ExportChoiceDialog.h"
#include "commands/RestoreDialog.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "platform/core/UserFolders.h"
#include "records/CaseCopy.h"
#include "records/CaseDatabase.h"
#include "records/SqliteBackend.h"
#include "safekeeping/CaseRestore.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/OnlineBackup.h"
#include "safekeeping/SafekeepingTexts.h"
#include "session/BackupController.h"
#include "session/CaseSession.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopedValueRollback>
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
QDateTime takenAt(const BackupFolder &folder, const QString &file)
{
    QDateTime time;
    if (folder.parse(QFileInfo(file).fileName(), &time, nullptr))
        return time;
    return QFileInfo(file).lastModified().toUTC();
}

QDateTime takenAt(const QString &databasePath, const QString &file)
{
    return takenAt(BackupFolder(databasePath), file);
}

} // namespace

SafekeepingCommands::SafekeepingCommands(CaseSession &session, QWidget *parent)
    : m_session(session), m_parent(parent)
{
    watchBackups();
    QObject::connect(&session, &CaseSession::databaseChanged, &session, [this] { watchBackups(); });
}

void SafekeepingCommands::watchBackups()
{
    BackupController *backups = m_session.backups();
    if (backups == m_watched)
        return;
    m_watched = backups;
    m_offered = false;
    if (!backups)
        return;
    // A backup in the background that finds the open database damaged:
    // the steward is offered the newest good backup, as at start. Backups
    // taken for a command (a restore, closing) are that command's to handle.
    QObject::connect(
        backups, &BackupController::finished, backups, [this](const KeeperResult &result) {
            if (!result.sourceDamaged || m_session.backupsQuiet() || m_offered)
                return;
            m_offered = true;
            m_path = m_session.database()->filePath();
            QTimer::singleShot(0, m_watched.data(),
                               [this, reason = result.damage] { offerAfterDamage(reason); });
        });
}

bool SafekeepingCommands::mayRun(Ability ability) const
{
    return AbilityActions::mayRun(m_session, ability);
}

void SafekeepingCommands::status(const QString &t)
{
    m_session.tell(t);
}

QString SafekeepingCommands::currentTable() const
{
    return CaseShapes::tables().value(m_session.currentPage());
}

void SafekeepingCommands::backUpNow()
{
    if (!mayRun(Ability::BackUpNow))
        return;
    m_path = m_session.database()->filePath();
    if (m_path.isEmpty())
        return backUpServerNow();
    // What the boxes show is what the copy holds.
    m_session.saveEditedRecords();
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
        m_parent, [](qint64, qint64) { return QString::fromUtf8(BackingUp); }, true,
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
    if (!mayRun(Ability::Restore) || !m_session.backups())
        return;
    m_path = m_session.database()->filePath();
    if (m_path.isEmpty())
        return restoreServer();
    const auto busy = m_session.quietBackups();
    Dialogs &dialogs = Dialogs::instance();
    const CaseShape shape = CaseShapes::caseShape();
    // No backup the list shows is rotated away until the restore is done,
    // not even by the backup of the records now open taken just before it.
    const BackupHold::Guard held(m_session.backups()->hold());
    QList<BackupEntry> backups;
    BackgroundJob::run(
        m_parent, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            backups = BackupFolder(m_path).list(shape, BackupFolder::Detail::Counts);
        });
    RestoreDialog dialog(QFileInfo(m_path).fileName(), backups, m_parent);
    if (dialogs.exec(dialog) != QDialog::Accepted || dialog.chosenPath().isEmpty())
        return;
    const QString chosen = dialog.chosenPath();

    CaseFileReport backup, current;
    BackgroundJob::run(
        m_parent, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
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
        m_session.reload();
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

    if (!m_session.saveEditedRecords()) {
        dialogs.message(QString::fromUtf8(RestoreUnsaved), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    Q_EMIT m_session.aboutToReplaceRecords();
    // The records now open are kept first: a restore of the wrong backup
    // is undone by restoring this one.
    const KeeperResult kept = m_session.backUpBeforeReplace();
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
        m_parent, [](qint64, qint64) { return QString::fromUtf8(Restoring); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            restored = CaseRestore::replace(chosen, m_path, shape);
        });
    if (!restored.ok) {
        dialogs.message(QString::fromUtf8(RestoreRefused).arg(restored.error), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    m_session.reload();
    status(QString::fromUtf8(RestoreDone)
               .arg(when, number(CaseShapes::employees(restored.rows)),
                    number(CaseShapes::complaints(restored.rows))));
}

void SafekeepingCommands::backUpServerNow()
{
    // What the boxes show is what the copy holds.
    m_session.saveEditedRecords();
    const auto quiet = m_session.quietBackups();
    const KeeperResult result = m_session.backups()->runAndWait(true);
    Dialogs &dialogs = Dialogs::instance();
    switch (result.outcome) {
    case KeeperResult::Outcome::Made:
        dialogs.message(QString::fromUtf8(BackUpNowDone)
                            .arg(QDir::toNativeSeparators(result.backup.path),
                                 number(CaseShapes::employees(result.backup.rows)),
                                 number(CaseShapes::complaints(result.backup.rows))),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    case KeeperResult::Outcome::Busy:
        dialogs.message(QString::fromUtf8(BackUpNowBusy), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    case KeeperResult::Outcome::Cancelled:
        dialogs.message(QString::fromUtf8(BackUpNowFailed)
                            .arg(result.message.isEmpty() ? QString::fromUtf8(BackUpCancelled)
                                                          : result.message),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    case KeeperResult::Outcome::Unchanged: // a file's: a server is copied every time
    case KeeperResult::Outcome::Failed:
        break;
    }
    dialogs.message(QString::fromUtf8(BackUpNowFailed).arg(result.message), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Exclamation);
}

void SafekeepingCommands::restoreServer()
{
    const std::shared_ptr<CaseDatabase> db = m_session.database();
    const QString server = db->backend().displayName();
    const auto busy = m_session.quietBackups();
    Dialogs &dialogs = Dialogs::instance();
    const CaseShape shape = CaseShapes::caseShape();
    const BackupFolder folder = BackupFolder::forServer(server);
    // No backup the list shows is rotated away until the restore is done,
    // not even by the backup of the server's records taken just before it.
    const BackupHold::Guard held(m_session.backups()->hold());
    QList<BackupEntry> backups;
    BackgroundJob::run(
        m_parent, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            backups = folder.list(shape, BackupFolder::Detail::Counts);
        });
    RestoreDialog dialog(server, backups, m_parent);
    if (dialogs.exec(dialog) != QDialog::Accepted || dialog.chosenPath().isEmpty())
        return;
    const QString chosen = dialog.chosenPath();

    CaseFileReport backup;
    CaseCopyCounts current;
    std::optional<DataError> unreadable;
    BackgroundJob::run(
        m_parent, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            backup = CaseFileCheck::check(chosen, shape, CaseFileCheck::Depth::Full);
            try {
                current = CaseCopy::rowsIn(db->backend());
            } catch (const DataError &e) {
                unreadable = e;
            }
        });
    if (!backup.good || unreadable) {
        dialogs.message(QString::fromUtf8(RestoreRefused)
                            .arg(backup.good ? unreadable->numbered() : backup.problem),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    const QString when = RestoreDialog::timeText(takenAt(folder, chosen));
    if (dialogs.message(QString::fromUtf8(RestoreServerConfirm)
                            .arg(server, number(current.employees), number(current.complaints),
                                 when, number(CaseShapes::employees(backup.rows)),
                                 number(CaseShapes::complaints(backup.rows))),
                        Dialogs::Buttons::YesNo, Dialogs::Icon::Question) != Dialogs::Answer::Yes)
        return;
    if (!m_session.saveEditedRecords()) {
        dialogs.message(QString::fromUtf8(RestoreUnsaved), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Exclamation);
        return;
    }
    Q_EMIT m_session.aboutToReplaceRecords();
    // The server's records as they are now are kept first: a restore of
    // the wrong backup is undone by restoring this one.
    const KeeperResult kept = m_session.backUpBeforeReplace();
    if (kept.outcome != KeeperResult::Outcome::Made) {
        dialogs.message(
            QString::fromUtf8(RestoreNoCurrentBackup)
                .arg(kept.message.isEmpty() ? QString::fromUtf8(BackUpCancelled) : kept.message),
            Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        m_session.reload();
        return;
    }
    // One transaction on the server with the tables locked: every steward
    // sees the old records or the restored ones, and the copy compares
    // every row with the file's before it commits. The numbering is the
    // higher of the file's and the server's.
    CaseCopyCounts restored;
    std::optional<DataError> failure;
    BackgroundJob::run(
        m_parent, [](qint64, qint64) { return QString::fromUtf8(Restoring); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            try {
                const SqliteBackend source(chosen);
                CaseCopyOptions options;
                options.replace = true;
                restored = CaseCopy::copy(source, db->backend(), options);
            } catch (const DataError &e) {
                failure = e;
            }
        });
    m_session.reload();
    if (failure) {
        dialogs.message(QString::fromUtf8(RestoreRefused).arg(failure->numbered()),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    status(QString::fromUtf8(RestoreDone)
               .arg(when, number(restored.employees), number(restored.complaints)) +
           QString::fromUtf8(RestoreServerKept).arg(QDir::toNativeSeparators(kept.backup.path)));
}

bool SafekeepingCommands::isOpen() const
{
    return m_session.isOpen();
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
    m_session.release();
    QString error, warning;
    const bool done = DamagedStart::putInPlace(chosen, m_path, kept, &error, &warning);
    m_session.reload();
    if (!done) {
        Dialogs::instance().message(QString::fromUtf8(RestoreRefused).arg(error),
                                    Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    status(QString::fromUtf8(damaged ? DamagedKept : ReplacedKept)
               .arg(when, QFileInfo(kept).fileName()) +
           warning);
    m_session.startBackups();
}

void SafekeepingCommands::setServerBackups(bool on)
{
    if (!mayRun(Ability::ServerBackups))
        return;
    CaseSession::setAutomaticServerBackups(on);
    status(QString::fromUtf8(on ? ServerBackupsOn : ServerBackupsOff));
    if (on)
        m_session.startBackups();
}

void SafekeepingCommands::offerAfterDamage(const QString &problem)
{
    QString notice;
    bool released = false;
    const bool replaced =
        DamagedStart::offerBackup(m_path, problem, &notice, DamagedOpenOffer, [this, &released] {
            m_session.release();
            released = true;
        });
    if (!released)
        return;
    m_session.reload();
    if (!replaced)
        return;
    status(notice);
    m_session.startBackups();
}

void SafekeepingCommands::exportRecords()
{
    if (!mayRun(Ability::Export))
        return;
    m_path = m_session.database()->filePath();
    // What the boxes show is what the file holds.
    m_session.saveEditedRecords();
    ExportChoiceDialog dialog(currentTable(), m_parent);
    if (Dialogs::instance().exec(dialog) != QDialog::Accepted)
        return;
    for (const QString &table : dialog.tables()) {
        const GridExport::Outcome done = GridExport::table(m_parent, *m_session.database(), table);
        if (!done.asked)
            return; // cancelled at the file dialog: the other table too
    }
}
