#include "safekeeping/PrivateOutput.h"

#include "platform/core/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr const char *PartSuffix = ".part";
constexpr const char *JournalSuffixes[] = {"-journal", "-wal", "-shm"};

QString reason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool fail(QString *error, int code)
{
    if (error)
        *error = reason(code);
    return false;
}

// The final name, refusing to replace what has it. renameat2 does that in
// one step where the file system can; elsewhere a hard link does, and
// where neither can (FAT on a stick) the name is looked at first.
bool renameNoReplace(const QByteArray &from, const QByteArray &to, QString *error)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return fail(error, errno);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno == EEXIST)
        return fail(error, EEXIST);
    if (QFileInfo::exists(QFile::decodeName(to)))
        return fail(error, EEXIST);
    if (::rename(from.constData(), to.constData()) != 0)
        return fail(error, errno);
    return true;
}

} // namespace

PrivateOutput::PrivateOutput(const QString &finalPath) : m_finalPath(finalPath) {}

PrivateOutput::~PrivateOutput()
{
    discard();
}

bool PrivateOutput::create(QString *error)
{
    if (!open(error))
        return false;
    m_file.close();
    return true;
}

bool PrivateOutput::open(QString *error)
{
    // A tag of its own, so that two writers of one name never share a part
    // file and a part file left by a crash never blocks the next one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString tag = QString::number(QRandomGenerator::global()->generate(), 16);
        m_partPath = m_finalPath + QLatin1Char('.') + tag + QLatin1String(PartSuffix);
        QString why;
        if (PrivateFiles::openNew(m_file, m_partPath, &why)) {
            m_created = true;
            return true;
        }
        if (QFileInfo::exists(m_partPath) || QFileInfo(m_partPath).isSymLink())
            continue;
        if (error)
            *error = why;
        m_partPath.clear();
        return false;
    }
    return fail(error, EEXIST);
}

bool PrivateOutput::commit(Replace replace, QString *error)
{
    if (!m_created)
        return fail(error, ENOENT);
    if (m_file.isOpen()) {
        const bool flushed = m_file.flush();
        m_file.close();
        if (!flushed) {
            if (error)
                *error = m_file.errorString();
            discard();
            return false;
        }
    }
    const QByteArray from = QFile::encodeName(m_partPath);
    const QByteArray to = QFile::encodeName(m_finalPath);
    if (!syncFile(m_partPath, error)) {
        discard();
        return false;
    }
    const bool renamed =
        replace == Replace::Never
            ? renameNoReplace(from, to, error)
            : (::rename(from.constData(), to.constData()) == 0 || fail(error, errno));
    if (!renamed) {
        m_nameTaken = replace == Replace::Never && QFileInfo::exists(m_finalPath);
        discard();
        return false;
    }
    m_created = false;
    // The file is whole under its name; a folder that cannot be synced
    // (some network file systems) leaves only the name's durability open.
    syncFolder(QFileInfo(m_finalPath).absolutePath(), nullptr);
    return true;
}

void PrivateOutput::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_created)
        return;
    m_created = false;
    const QByteArray part = QFile::encodeName(m_partPath);
    ::unlink(part.constData());
    for (const char *suffix : JournalSuffixes)
        ::unlink((part + suffix).constData());
}

bool PrivateOutput::isPartName(const QString &fileName)
{
    static const QRegularExpression part(
        QStringLiteral(R"(\.[0-9a-f]{1,8}\.part(-journal|-wal|-shm)?$)"));
    return part.match(fileName).hasMatch();
}

bool PrivateOutput::namesDatabase(const QString &path, const QString &databasePath)
{
    // A name that does not exist yet is compared by its folder, resolved.
    const auto spelled = [](const QString &p) {
        const QFileInfo info(p);
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') +
               info.fileName();
    };
    struct stat target {
    };
    const bool exists = ::stat(QFile::encodeName(path).constData(), &target) == 0;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString file = databasePath + QLatin1String(suffix);
        struct stat st {
        };
        if (exists && ::stat(QFile::encodeName(file).constData(), &st) == 0 &&
            st.st_dev == target.st_dev && st.st_ino == target.st_ino)
            return true;
        if (spelled(path) == spelled(file))
            return true;
    }
    return false;
}

bool PrivateOutput::syncFile(const QString &path, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return fail(error, errno);
    const bool synced = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    return synced || fail(error, code);
}

bool PrivateOutput::syncFolder(const QString &folder, QString *error)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    const bool synced = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    return synced || fail(error, code);
}
