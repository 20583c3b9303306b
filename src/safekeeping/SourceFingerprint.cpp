#include "safekeeping/SourceFingerprint.h"

#include "safekeeping/SafeSqlite.h"

#include <QFile>

#include <sys/stat.h>

namespace
{

constexpr int DatabaseHeaderBytes = 100;
constexpr int WalHeaderBytes = 32;

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
    // The file's status needs no descriptor; its bytes are read through a
    // connection of SQLite's own, inside one read transaction so that the
    // file and its log are read as one moment (and the log is open).
    SourceFingerprint f;
    const QByteArray path = QFile::encodeName(databasePath);
    struct stat db {
    };
    if (::stat(path.constData(), &db) != 0)
        return f;
    QString error;
    const SafeSqlite::Connection c =
        SafeSqlite::open(databasePath, SafeSqlite::Access::ReadOnly, &error);
    if (!c || !SafeSqlite::exec(c.get(), "BEGIN", &error) ||
        !SafeSqlite::exec(c.get(), "SELECT count(*) FROM sqlite_master", &error))
        return f;
    const auto header =
        SafeSqlite::readHead(c.get(), SafeSqlite::Which::Database, DatabaseHeaderBytes);
    if (!header)
        return f;
    // Bytes 24..31: change counter and page count.
    QByteArray text = "db:" + number(qint64(db.st_dev)) + ':' + number(qint64(db.st_ino)) + ':' +
                      number(db.st_size) + ':' + modified(db) + ':' +
                      header->bytes.mid(24, 8).toHex();
    struct stat wal {
    };
    const auto log = SafeSqlite::readHead(c.get(), SafeSqlite::Which::Log, WalHeaderBytes);
    if (::stat((path + "-wal").constData(), &wal) == 0 && wal.st_size > 0)
        text += ";wal:" + number(wal.st_size) + ':' + modified(wal) + ':' +
                (log ? log->bytes.toHex() : QByteArray("unread"));
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
