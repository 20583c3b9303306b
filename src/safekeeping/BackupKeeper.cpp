#include "safekeeping/BackupKeeper.h"

#include "jetsql/DataError.h"
#include "records/CaseCopy.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/PrivateOutput.h"
#include "safekeeping/SafekeepingTexts.h"
#include "safekeeping/SourceFingerprint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

using namespace SafekeepingTexts;

// An exclusive lock on a file in the backup folder for as long as it lives;
// the system lets go of it when the program ends, however it ends.
class FolderLock
{
  public:
    explicit FolderLock(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            m_error = errno;
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool held() const { return m_fd >= 0; }
    bool heldByOther() const { return m_error == EWOULDBLOCK; }
    QString reason() const { return QString::fromLocal8Bit(std::strerror(m_error)); }

  private:
    int m_fd = -1;
    int m_error = 0;
};

KeeperResult finished(KeeperResult::Outcome outcome, const QString &message = {})
{
    KeeperResult r;
    r.outcome = outcome;
    r.message = message;
    return r;
}

} // namespace

BackupKeeper::BackupKeeper(const QString &databasePath, const CaseShape &shape, Clock clock)
    : m_database(databasePath), m_shape(shape), m_clock(std::move(clock)), m_folder(databasePath)
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTimeUtc(); };
}

BackupKeeper::BackupKeeper(std::shared_ptr<const DatabaseBackend> server, const CaseShape &shape,
                           Clock clock)
    : m_server(std::move(server)), m_shape(shape), m_clock(std::move(clock)),
      m_folder(BackupFolder::forServer(m_server->displayName()))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTimeUtc(); };
}

QString BackupKeeper::stateFile() const
{
    return QDir(m_folder.path())
        .filePath(QLatin1Char('.') + m_folder.prefix() + QLatin1String(".last-backup"));
}

KeeperResult BackupKeeper::run(const BackupOptions &options)
{
    using Outcome = KeeperResult::Outcome;
    QString error;
    if (!m_folder.make(&error))
        return finished(Outcome::Failed,
                        QString::fromUtf8(BackupFolderFailed).arg(m_folder.path(), error));
    const FolderLock lock(
        QDir(m_folder.path())
            .filePath(QLatin1Char('.') + m_folder.prefix() + QLatin1String(".lock")));
    if (lock.heldByOther())
        return finished(Outcome::Busy, QString::fromUtf8(BackupBusy));
    if (!lock.held())
        return finished(Outcome::Failed,
                        QString::fromUtf8(BackupFolderFailed).arg(m_folder.path(), lock.reason()));

    // With the lock held no backup of this database is being written, so
    // every part file is one that a crash or a kill cut short.
    QStringList leftOver;
    QStringList parts = m_folder.partFiles();
    const QDir dir(m_folder.path());
    const QString state = QFileInfo(stateFile()).fileName() + QLatin1Char('.');
    for (const QString &name : dir.entryList({state + QLatin1String("*.part")},
                                             QDir::Files | QDir::Hidden | QDir::System))
        parts << dir.filePath(name);
    // The copy from a server builds its file under the backup's name and a
    // tail of its own ("....db.copy-1a2b3c4d", and its journal).
    if (m_server)
        for (const QString &name :
             dir.entryList({m_folder.prefix() + QLatin1String(" *.db.copy-*")},
                           QDir::Files | QDir::Hidden | QDir::System))
            parts << dir.filePath(name);
    for (const QString &part : std::as_const(parts)) {
        if (QFile::remove(part))
            leftOver << part;
    }

    if (m_server) {
        KeeperResult result;
        result.leftOver = leftOver;
        result.backup = copyServer(m_folder.newPath(m_clock()), options);
        if (!result.backup.ok) {
            result.outcome = result.backup.cancelled ? Outcome::Cancelled : Outcome::Failed;
            result.message = result.backup.error;
            return result;
        }
        result.outcome = Outcome::Made;
        result.deleted = rotate();
        return result;
    }
    if (!QFileInfo::exists(m_database))
        return finished(Outcome::Failed,
                        QString::fromUtf8(BackupSourceFailed)
                            .arg(m_database, QString::fromLocal8Bit(std::strerror(ENOENT))));
    // A file whose state cannot be read is copied all the same: the copy
    // then says what is wrong with it.
    const SourceFingerprint before = SourceFingerprint::of(m_database);
    KeeperResult result;
    result.leftOver = leftOver;
    if (before.isValid() && unchangedSinceLastBackup(before.toText())) {
        result.outcome = Outcome::Unchanged;
        result.deleted = rotate();
        return result;
    }

    BackupOptions copyOptions = options;
    copyOptions.replace = PrivateOutput::Replace::Never;
    result.backup =
        OnlineBackup::copy(m_database, m_folder.newPath(m_clock()), m_shape, copyOptions);
    if (!result.backup.ok) {
        result.outcome = result.backup.cancelled ? Outcome::Cancelled : Outcome::Failed;
        result.message = result.backup.error;
        result.sourceDamaged = result.backup.sourceDamaged;
        result.damage = result.backup.damage;
        return result;
    }
    result.outcome = Outcome::Made;
    if (before.isValid())
        remember(result.backup.path, before.toText());
    // Only now, with the new backup checked and on the disk, may older
    // ones go.
    result.deleted = rotate();
    return result;
}

BackupResult BackupKeeper::copyServer(const QString &target, const BackupOptions &options) const
{
    BackupResult result;
    CaseCopyOptions copy;
    copy.cancel = options.cancel;
    copy.progress = options.progress;
    try {
        CaseCopy::toNewFile(*m_server, target, copy);
    } catch (const DataError &e) {
        result.cancelled = options.cancel && *options.cancel;
        result.error = e.description();
        return result;
    }
    // The copy compared every row with the server's before it took its
    // name; the file is read once more as a restore will read it.
    const CaseFileReport report = CaseFileCheck::check(target, m_shape, options.check);
    if (!report.good) {
        QFile::remove(target);
        result.error = report.problem;
        return result;
    }
    result.ok = true;
    result.path = target;
    result.rows = report.rows;
    result.bytes = report.bytes;
    return result;
}

bool BackupKeeper::unchangedSinceLastBackup(const QByteArray &fingerprint) const
{
    QFile state(stateFile());
    if (!state.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = state.read(4096).split('\n');
    if (lines.size() < 2)
        return false;
    const QString name = QString::fromUtf8(lines.at(0));
    if (!m_folder.parse(name, nullptr, nullptr))
        return false;
    // The backup that holds this state must still be there and whole.
    const QString backup = QDir(m_folder.path()).filePath(name);
    if (!CaseFileCheck::headerProblem(backup).isEmpty())
        return false;
    return SourceFingerprint::fromText(lines.at(1)) == SourceFingerprint::fromText(fingerprint);
}

void BackupKeeper::remember(const QString &backup, const QByteArray &fingerprint) const
{
    // Written whole or not at all; without it the next run only copies
    // once more.
    PrivateOutput out(stateFile());
    QString error;
    if (!out.open(&error))
        return;
    out.file().write(QFileInfo(backup).fileName().toUtf8() + '\n' + fingerprint + '\n');
    out.commit(PrivateOutput::Replace::Allowed, &error);
}

QStringList BackupKeeper::rotate() const
{
    // Only files that look like whole backups take part: a damaged or
    // foreign file under a backup's name neither holds a place nor is
    // deleted.
    QList<BackupEntry> backups;
    for (const BackupEntry &e : m_folder.list(m_shape, BackupFolder::Detail::Header)) {
        if (e.good)
            backups << e;
    }
    QList<BackupRotation::Backup> taken;
    for (const BackupEntry &e : std::as_const(backups))
        taken.append({e.time, e.bytes});
    BackupRotation::Policy policy = m_policy;
    if (policy.maxBytes == 0 && !backups.isEmpty())
        policy.maxBytes = folderBound(backups.last().bytes);
    QStringList deleted;
    for (int i : BackupRotation::toDelete(taken, m_clock(), policy)) {
        const QString &path = backups.at(i).path;
        if (m_hold ? m_hold->removeUnlessHeld(path) : QFile::remove(path))
            deleted << path;
    }
    return deleted;
}

qint64 BackupKeeper::folderBound(qint64 newestBackupBytes)
{
    constexpr qint64 Floor = qint64(2) << 30;
    constexpr int Copies = 10;
    return std::max(Floor, Copies * newestBackupBytes);
}

bool BackupHold::removeUnlessHeld(const QString &path)
{
    const QMutexLocker lock(&m_mutex);
    return m_guards == 0 && QFile::remove(path);
}

void BackupHold::change(int by)
{
    const QMutexLocker lock(&m_mutex);
    m_guards += by;
}
