#include "safekeeping/CaseFileCheck.h"

#include "safekeeping/SafeSqlite.h"
#include "safekeeping/SafekeepingTexts.h"

#include <QFileInfo>
#include <QHash>
#include <QtEndian>
#include <sqlite3.h>

namespace
{

using namespace SafekeepingTexts;

constexpr int HeaderBytes = 100;
constexpr char Magic[] = "SQLite format 3"; // and its terminating zero

QString shownName(const QString &path)
{
    return QFileInfo(path).fileName();
}

bool hasJournal(const QString &path)
{
    for (const char *suffix : {"-wal", "-shm", "-journal"}) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            return true;
    }
    return false;
}

// The tables of the file, lower-case name -> stored name.
bool readTables(sqlite3 *db, QHash<QString, QString> *tables, QString *error)
{
    SafeSqlite::Statement q = SafeSqlite::prepare(
        db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), error);
    if (!q)
        return false;
    int rc;
    while ((rc = sqlite3_step(q.get())) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.get(), 0)));
        tables->insert(name.toLower(), name);
    }
    if (rc != SQLITE_DONE) {
        *error = SafeSqlite::errorText(db);
        return false;
    }
    return true;
}

bool readFields(sqlite3 *db, const QString &table, QStringList *fields, QString *error)
{
    SafeSqlite::Statement q = SafeSqlite::prepare(
        db, QStringLiteral("PRAGMA table_info(%1)").arg(SafeSqlite::quoted(table)), error);
    if (!q)
        return false;
    int rc;
    while ((rc = sqlite3_step(q.get())) == SQLITE_ROW)
        *fields << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(q.get(), 1)));
    if (rc != SQLITE_DONE) {
        *error = SafeSqlite::errorText(db);
        return false;
    }
    return true;
}

bool countRows(sqlite3 *db, const QString &table, qint64 *rows, QString *error)
{
    SafeSqlite::Statement q = SafeSqlite::prepare(
        db, QStringLiteral("SELECT count(*) FROM %1").arg(SafeSqlite::quoted(table)), error);
    if (!q)
        return false;
    if (sqlite3_step(q.get()) != SQLITE_ROW) {
        *error = SafeSqlite::errorText(db);
        return false;
    }
    *rows = sqlite3_column_int64(q.get(), 0);
    return true;
}

} // namespace

QString CaseFileCheck::headerProblem(const QString &path, qint64 *bytes, bool *damaged)
{
    bool ignored = false;
    bool &isDamaged = damaged ? *damaged : ignored;
    isDamaged = false;
    const QString name = shownName(path);
    if (!QFileInfo::exists(path))
        return QString::fromUtf8(FileMissing).arg(name);
    // Read through SQLite, never through a descriptor of our own: the file
    // may be the case database this program has open, whose locks a
    // descriptor closed here would take away. Opening reads nothing that
    // needs a lock, and creates nothing beside the file.
    QString error;
    const SafeSqlite::Connection db = SafeSqlite::open(path, SafeSqlite::Access::ReadOnly, &error);
    const auto head = db ? SafeSqlite::readHead(db.get(), SafeSqlite::Which::Database, HeaderBytes)
                         : std::nullopt;
    if (!head)
        return QString::fromUtf8(FileUnreadable)
            .arg(name)
            .arg(error.isEmpty() ? SafeSqlite::errorText(db.get()) : error);
    const qint64 size = head->size;
    if (bytes)
        *bytes = size;
    if (size == 0)
        return QString::fromUtf8(FileEmpty).arg(name);
    const QByteArray &header = head->bytes;
    // What SQLite would call "not a database" or "malformed" on reading.
    isDamaged = true;
    if (header.size() < HeaderBytes || !header.startsWith(QByteArray(Magic, sizeof Magic)))
        return QString::fromUtf8(FileNotDatabase)
            .arg(name)
            .arg(SafeSqlite::errorText(SQLITE_NOTADB));
    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    const quint32 rawPageSize = qFromBigEndian<quint16>(h + 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return QString::fromUtf8(FileNotDatabase)
            .arg(name)
            .arg(SafeSqlite::errorText(SQLITE_NOTADB));
    // The page count in the header is to be trusted only while the number
    // of the change that wrote it matches the change counter.
    const quint32 changeCounter = qFromBigEndian<quint32>(h + 24);
    const quint32 validFor = qFromBigEndian<quint32>(h + 92);
    const qint64 pages = qFromBigEndian<quint32>(h + 28);
    if (changeCounter == validFor && pages > 0 && size < pages * pageSize && !hasJournal(path))
        return QString::fromUtf8(FileCut).arg(name);
    isDamaged = false;
    return {};
}

CaseFileReport CaseFileCheck::check(const QString &path, const CaseShape &shape, Depth depth)
{
    CaseFileReport report;
    report.problem = headerProblem(path, &report.bytes, &report.damaged);
    if (!report.problem.isEmpty()) {
        report.reason = report.damaged ? SafeSqlite::errorText(SQLITE_NOTADB) : QString();
        return report;
    }
    // Without a journal beside it the file holds all there is: it is read
    // as immutable, which creates no -wal, -shm or lock beside it (a
    // read-only connection to a file in WAL mode would).
    const auto access =
        hasJournal(path) ? SafeSqlite::Access::ReadOnly : SafeSqlite::Access::Immutable;
    QString error;
    SafeSqlite::Connection db = SafeSqlite::open(path, access, &error);
    if (!db) {
        report.problem = QString::fromUtf8(FileUnreadable).arg(shownName(path)).arg(error);
        return report;
    }
    const qint64 bytes = report.bytes;
    report = check(db.get(), shownName(path), shape, depth);
    report.bytes = bytes;
    return report;
}

CaseFileReport CaseFileCheck::check(sqlite3 *db, const QString &name, const CaseShape &shape,
                                    Depth depth)
{
    CaseFileReport report;
    auto refuse = [&](const QString &problem) {
        report.problem = problem;
        report.rows.clear();
        return report;
    };
    // A failed read counts as damage only when SQLite says so.
    auto failed = [&](const char *format, const QString &error) {
        const int code = sqlite3_errcode(db) & 0xff;
        report.damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
        report.reason = error;
        return refuse(QString::fromUtf8(format).arg(name).arg(error));
    };
    // Every read in one transaction: a file that another program changes
    // meanwhile is judged as one moment.
    QString error;
    if (!SafeSqlite::exec(db, "BEGIN", &error))
        return refuse(QString::fromUtf8(FileUnreadable).arg(name).arg(error));
    struct EndRead {
        sqlite3 *db;
        ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } endRead{db};

    QHash<QString, QString> tables;
    if (!readTables(db, &tables, &error))
        return failed(FileNotDatabase, error);
    if (depth != Depth::Counts) {
        const QString verdict = SafeSqlite::integrity(db, depth == Depth::Quick, &error);
        if (verdict.isEmpty())
            return failed(FileDamaged, error);
        if (verdict != QLatin1String("ok")) {
            report.damaged = true;
            report.reason = verdict.section(QLatin1Char('\n'), 0, 2);
            return refuse(QString::fromUtf8(FileDamaged).arg(name).arg(report.reason));
        }
    }
    for (const TableShape &t : shape) {
        const QString stored = tables.value(t.name.toLower());
        if (stored.isEmpty())
            return refuse(QString::fromUtf8(TableMissing).arg(name).arg(t.name));
        QStringList fields;
        if (!readFields(db, stored, &fields, &error))
            return failed(FileNotDatabase, error);
        for (const QString &f : t.fields) {
            if (!fields.contains(f, Qt::CaseInsensitive))
                return refuse(QString::fromUtf8(FieldMissing).arg(name).arg(t.name, f));
        }
        qint64 rows = 0;
        if (!countRows(db, stored, &rows, &error))
            return failed(FileDamaged, error);
        report.rows << rows;
    }
    report.good = true;
    return report;
}
