#include "commands/DamagedStart.h"

#include "commands/RestoreDialog.h"
#include "platform/BackgroundJob.h"
#include "platform/Dialogs.h"
#include "records/CaseDatabase.h"
#include "safekeeping/BackupFolder.h"
#include "safekeeping/CaseRestore.h"
#include "safekeeping/OnlineBackup.h"
#include "safekeeping/PrivateOutput.h"
#include "session/CaseSession.h"
#include "session/CaseShapes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/stat.h>

using namespace SafeCommandTexts;

namespace
{

// SQLite's files beside a database: a -wal belongs to the file it was
// written for, and applied to another one it would damage that one too.
const char *const Companions[] = {"-wal", "-shm", "-journal"};

bool moveWithCompanions(const QString &from, const QString &to)
{
    if (!QFile::rename(from, to))
        return false;
    for (const char *c : Companions) {
        const QString suffix = QString::fromLatin1(c);
        if (QFile::exists(from + suffix))
            QFile::rename(from + suffix, to + suffix);
    }
    return true;
}

} // namespace

namespace DamagedStart
{

QString keptName(const QString &databasePath, const char *word)
{
    const QFileInfo info(databasePath);
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString dot = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1 %2 %3 UTC%4%5")
                                 .arg(info.completeBaseName(), QString::fromUtf8(word), stamp,
                                      n == 1 ? QString() : QStringLiteral(" (%1)").arg(n), dot);
        const QString path = info.dir().filePath(name);
        if (!QFileInfo::exists(path) && !QFileInfo::exists(path + QStringLiteral("-wal")))
            return path;
    }
}

bool putInPlace(const QString &backupPath, const QString &databasePath, const QString &kept,
                QString *error, QString *warning)
{
    // The steward's file may be shared on purpose (a group that reads it):
    // its copy keeps the rights it had.
    struct stat was {
    };
    const bool existed = ::stat(QFile::encodeName(databasePath).constData(), &was) == 0;
    if (QFileInfo::exists(databasePath) && !moveWithCompanions(databasePath, kept)) {
        *error = QFile(databasePath).errorString();
        return false;
    }
    BackupResult copy;
    BackgroundJob::run(
        nullptr, [](qint64, qint64) { return QString::fromUtf8(Restoring); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &progress) {
            BackupOptions options;
            // Checked whole when it was taken; a quick look at every page
            // finds what the copy itself may have damaged.
            options.check = CaseFileCheck::Depth::Quick;
            options.replace = PrivateOutput::Replace::Never;
            options.progress = [&progress](qint64 done, qint64 total) {
                progress.done = done;
                progress.total = total;
            };
            copy = OnlineBackup::copy(backupPath, databasePath, CaseShapes::caseShape(), options);
        });
    if (!copy.ok) {
        // The damaged file goes back under its name: the steward may still
        // want to take it to someone who can repair it.
        if (!QFileInfo::exists(databasePath) && QFileInfo::exists(kept))
            moveWithCompanions(kept, databasePath);
        *error = copy.error;
        return false;
    }
    if (existed)
        ::chmod(QFile::encodeName(databasePath).constData(), was.st_mode & 07777);
    QString why;
    if (existed && !CaseRestore::carryNumbering(kept, databasePath, &why) && warning)
        *warning = QString::fromUtf8(NumberingNotCarried).arg(why);
    return true;
}

bool offerBackup(const QString &databasePath, const QString &problem, QString *status,
                 const char *offer, const std::function<void()> &release)
{
    const CaseShape shape = CaseShapes::caseShape();
    BackupEntry newest;
    BackgroundJob::run(
        nullptr, [](qint64, qint64) { return QString::fromUtf8(ReadingBackups); }, false,
        [&](const std::atomic<bool> &, BackgroundJob::Progress &) {
            newest = BackupFolder(databasePath).newestGood(shape);
        });
    if (newest.path.isEmpty())
        return false;

    const QString kept = keptName(databasePath);
    const QString when = RestoreDialog::timeText(newest.time);
    Dialogs &dialogs = Dialogs::instance();
    const auto answer = dialogs.message(
        QString::fromUtf8(offer).arg(QFileInfo(databasePath).fileName(), problem, when,
                                     QLocale().toString(CaseShapes::employees(newest.rows)),
                                     QLocale().toString(CaseShapes::complaints(newest.rows)),
                                     QFileInfo(kept).fileName()),
        Dialogs::Buttons::YesNo, Dialogs::Icon::Question);
    if (answer != Dialogs::Answer::Yes)
        return false;

    if (release)
        release();
    QString error, warning;
    if (!putInPlace(newest.path, databasePath, kept, &error, &warning)) {
        dialogs.message(QString::fromUtf8(DamagedRestoreFailed).arg(error, databasePath),
                        Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    *status = QString::fromUtf8(DamagedKept).arg(when, QFileInfo(kept).fileName()) + warning;
    return true;
}

Opened openAtStart(const CaseSession &session, const QString &databasePath, bool mayCreate)
{
    Opened opened;
    opened.db = session.makeDatabase(databasePath);
    try {
        mayCreate ? opened.db->open() : opened.db->openExisting();
    } catch (const DataError &e) {
        opened.failure = e;
    }
    // A damaged file is not the end of the steward's records when a backup
    // of them exists: offered, and the damaged file kept aside.
    if (opened.failure && opened.failure->number() == DataErrors::Corrupt) {
        opened.db.reset(); // its connection lets go of the file first
        opened.db = session.makeDatabase(databasePath);
        if (offerBackup(databasePath, opened.failure->description(), &opened.notice)) {
            opened.failure.reset();
            try {
                opened.db->open();
            } catch (const DataError &e) {
                opened.failure = e;
            }
        }
    }
    return opened;
}

} // namespace DamagedStart
