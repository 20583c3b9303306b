#include "platform/core/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace PrivateFiles
{

namespace
{

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A group that only the file's owner belongs to (Debian gives every user
// one of their own) lets nobody else in.
bool groupIsShared(gid_t gid, uid_t owner)
{
    const passwd *user = ::getpwuid(owner);
    const group *g = ::getgrgid(gid);
    if (!user || !g)
        return true;
    if (gid != user->pw_gid || std::strcmp(g->gr_name, user->pw_name) != 0)
        return true;
    for (char **member = g->gr_mem; *member; ++member) {
        if (std::strcmp(*member, user->pw_name) != 0)
            return true;
    }
    return false;
}

} // namespace

bool makeFolder(const QString &path, QString *error)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    while (!QFileInfo::exists(existing)) {
        const QFileInfo info(existing);
        missing.prepend(info.fileName());
        existing = info.absolutePath();
    }
    if (!QFileInfo(existing).isDir())
        return fail(error, QStringLiteral("\"%1\" is not a folder.").arg(existing));

    QString current = existing;
    for (const QString &name : std::as_const(missing)) {
        current = QDir(current).filePath(name);
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), FolderMode) != 0) {
            const int code = errno;
            // Made meanwhile by someone else: its rights are theirs to keep.
            if (code == EEXIST && QFileInfo(current).isDir())
                continue;
            return fail(error, QStringLiteral("The folder \"%1\" cannot be created (%2).")
                                   .arg(current, systemReason(code)));
        }
        // The umask may also have taken the owner's own rights; the folder
        // is useless without all three.
        const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            (void)::fchmod(fd, FolderMode);
            ::close(fd);
        }
    }
    return true;
}

bool openNew(QFile &file, const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    // O_EXCL with O_NOFOLLOW: a name that someone placed beforehand, even a
    // link pointing elsewhere, is refused rather than written through.
    const int fd =
        ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, FileMode);
    if (fd < 0) {
        const int code = errno;
        return fail(error, systemReason(code));
    }
    // The umask only takes rights away; this restores the owner's own when
    // it took those too, and never gives more than FileMode.
    (void)::fchmod(fd, FileMode);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(native.constData());
        return fail(error, file.errorString());
    }
    return true;
}

bool createFile(const QString &path, QString *error)
{
    QFile file;
    if (!openNew(file, path, error))
        return false;
    file.close();
    return true;
}

bool readableByOthers(const QString &path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    struct stat file {
    };
    if (real.isEmpty() || ::stat(QFile::encodeName(real).constData(), &file) != 0)
        return false;
    bool byOthers = file.st_mode & S_IROTH;
    bool byGroup = (file.st_mode & S_IRGRP) && groupIsShared(file.st_gid, file.st_uid);
    // Reading needs a way in through every folder above the file.
    for (QFileInfo dir(QFileInfo(real).absolutePath()); byOthers || byGroup;
         dir = QFileInfo(dir.absolutePath())) {
        struct stat folder {
        };
        if (::stat(QFile::encodeName(dir.absoluteFilePath()).constData(), &folder) != 0)
            return false;
        byOthers = byOthers && (folder.st_mode & S_IXOTH);
        byGroup = byGroup && (folder.st_mode & (folder.st_gid == file.st_gid ? S_IXGRP : S_IXOTH));
        if (dir.isRoot())
            break;
    }
    return byOthers || byGroup;
}

} // namespace PrivateFiles
