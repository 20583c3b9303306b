#include "safekeeping/SourceFingerprint.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int DatabaseHeaderBytes = 100;
constexpr int WalHeaderBytes = 32;

// The first bytes of a file and its status, read through one descriptor so
// that both describe the same file.
bool look(const QByteArray &path, int headerBytes, struct stat *st, QByteArray *header)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fstat(fd, st) == 0;
    if (ok) {
        header->resize(headerBytes);
        const ssize_t n = ::pread(fd, header->data(), size_t(headerBytes), 0);
        header->resize(n > 0 ? qsizetype(n) : 0);
    }
    ::close(fd);
    return ok;
}

QByteArray number(qint64 n)
{
    return QByteArray::number(n, 16);
}

QByteArray modified(const struct stat &st)
{
    return number(st.st_mtim.tv_sec) + '.' + number(st.st_mtim.tv_nsec);
}

} // namespace

SourceFingerprint SourceFingerprint::of(const QString &databasePath)
{
    SourceFingerprint f;
    const QByteArray path = QFile::encodeName(databasePath);
    struct stat db {
    };
    QByteArray header;
    if (!look(path, DatabaseHeaderBytes, &db, &header))
        return f;
    // Bytes 24..31: change counter and page count.
    QByteArray text = "db:" + number(qint64(db.st_dev)) + ':' + number(qint64(db.st_ino)) + ':' +
                      number(db.st_size) + ':' + modified(db) + ':' + header.mid(24, 8).toHex();
    struct stat wal {
    };
    QByteArray walHeader;
    if (look(path + "-wal", WalHeaderBytes, &wal, &walHeader) && wal.st_size > 0)
        text += ";wal:" + number(wal.st_size) + ':' + modified(wal) + ':' + walHeader.toHex();
    else
        text += ";wal:none";
    f.m_text = text;
    return f;
}

SourceFingerprint SourceFingerprint::fromText(const QByteArray &text)
{
    SourceFingerprint f;
    if (text.startsWith("db:") && !text.contains(' ') && !text.contains('\n'))
        f.m_text = text;
    return f;
}
