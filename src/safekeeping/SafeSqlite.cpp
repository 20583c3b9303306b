#include "safekeeping/SafeSqlite.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstring>
#include <sqlite3.h>

namespace SafeSqlite
{

void ConnectionCloser::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

void StatementFinalizer::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

QString errorText(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

QString errorText(int code)
{
    return QString::fromUtf8(sqlite3_errstr(code));
}

Connection open(const QString &path, Access access, QString *error)
{
    // SQLite would make a new empty database for a name that is not there
    // (or, read-only, say only "unable to open").
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        *error = errorText(SQLITE_CANTOPEN);
        return {};
    }
    QByteArray name = QFile::encodeName(info.absoluteFilePath());
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    switch (access) {
    case Access::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Access::Immutable:
        // A URI, so that no character of the path is read as one of its
        // parameters.
        flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        name = QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded() + "?immutable=1";
        break;
    case Access::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    }
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        // The system's reason says more than "unable to open database file".
        const int systemError = raw ? sqlite3_system_errno(raw) : 0;
        *error = systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError))
                 : raw            ? errorText(raw)
                                  : errorText(rc);
        return {};
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, BusyTimeoutMs);
    return db;
}

Statement prepare(sqlite3 *db, const QString &sql, QString *error)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK) {
        *error = errorText(db);
        sqlite3_finalize(raw);
        return {};
    }
    return Statement(raw);
}

bool exec(sqlite3 *db, const char *sql, QString *error)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = errorText(db);
    return false;
}

bool bind(sqlite3_stmt *statement, int index, const QVariant &value)
{
    // A null QString is NULL, as Qt SQL binds it.
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull()))
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(statement, index, bytes.constData(),
                                   sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text64(statement, index, text.constData(), sqlite3_uint64(text.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8) == SQLITE_OK;
    }
    }
}

QString integrity(sqlite3 *db, bool quick, QString *error)
{
    Statement check = prepare(
        db, quick ? QStringLiteral("PRAGMA quick_check") : QStringLiteral("PRAGMA integrity_check"),
        error);
    if (!check)
        return {};
    QStringList lines;
    int rc;
    while ((rc = sqlite3_step(check.get())) == SQLITE_ROW)
        lines << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(check.get(), 0)));
    if (rc != SQLITE_DONE) {
        *error = errorText(db);
        return {};
    }
    return lines.join(QLatin1Char('\n'));
}

std::optional<FileHead> readHead(sqlite3 *db, Which which, int bytes)
{
    sqlite3_file *file = nullptr;
    const int op =
        which == Which::Database ? SQLITE_FCNTL_FILE_POINTER : SQLITE_FCNTL_JOURNAL_POINTER;
    if (sqlite3_file_control(db, "main", op, &file) != SQLITE_OK || !file || !file->pMethods)
        return std::nullopt;
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return std::nullopt;
    FileHead head;
    head.size = size;
    const int wanted = int(std::min<sqlite3_int64>(bytes, size));
    head.bytes.resize(wanted);
    if (wanted > 0 && file->pMethods->xRead(file, head.bytes.data(), wanted, 0) != SQLITE_OK)
        return std::nullopt;
    return head;
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace SafeSqlite
