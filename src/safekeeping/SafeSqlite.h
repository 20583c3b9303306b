#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's C interface for the safekeeping jobs. They run on worker threads
// beside the window's Qt SQL connection, each on a connection of its own
// that ends with the job.
namespace SafeSqlite
{

struct ConnectionCloser {
    void operator()(sqlite3 *db) const;
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt *statement) const;
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Milliseconds a job waits for another program's lock, as the window does.
constexpr int BusyTimeoutMs = 5000;

enum class Access {
    ReadOnly,  // a file someone may be writing: locks and the WAL are honoured
    Immutable, // a file nobody writes (a finished backup): nothing is created
               // beside it, not even a lock
    ReadWrite, // an existing file of our own
};

// Opens an existing file; never creates one. Empty with the reason in
// `error` on failure.
Connection open(const QString &path, Access access, QString *error);

// The connection's last error, or SQLite's text for a result code.
QString errorText(sqlite3 *db);
QString errorText(int code);

Statement prepare(sqlite3 *db, const QString &sql, QString *error);
bool exec(sqlite3 *db, const char *sql, QString *error);
// Binds a Qt value to parameter index (1-based): null, integer, real,
// bytes as a blob, anything else as text.
bool bind(sqlite3_stmt *statement, int index, const QVariant &value);

// Every line PRAGMA integrity_check (or quick_check) returns, joined; "ok"
// when the file is sound.
QString integrity(sqlite3 *db, bool quick, QString *error);

// The first bytes and the size of the database file a connection has open,
// or of its write-ahead log, read through SQLite's own descriptor. A
// descriptor of our own on a file SQLite has open must never be closed:
// SQLite's locks are held per process, and closing any descriptor of the
// file lets go of all of them (SQLite itself keeps such descriptors open
// until its last lock on the file is gone). Nothing when the file is not
// open (the log before the first read, or a database without one).
struct FileHead {
    qint64 size = 0;
    QByteArray bytes; // at most the bytes asked for, fewer when the file is shorter
};
enum class Which { Database, Log };
std::optional<FileHead> readHead(sqlite3 *db, Which which, int bytes);

// "name" with its double quotes doubled, inside double quotes.
QString quoted(const QString &name);

} // namespace SafeSqlite
