#include "records/SqliteBackend.h"

#include "jetsql/JetSql.h"
#include "jetsql/SqliteDialect.h"
#include "platform/core/PrivateFiles.h"
#include "records/ChangeLog.h"
#include "records/SqliteSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <fcntl.h>
#include <unistd.h>

namespace
{

// SQLite's primary result codes that the steward needs told apart.
enum SqliteCode {
    Busy = 5,
    LockedCode = 6,
    ReadOnlyCode = 8,
    IoErr = 10,
    CorruptCode = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26,
};

} // namespace

SqliteBackend::SqliteBackend(const QString &path) : DatabaseBackend(path)
{
    m_steps = SqliteSchema::steps();
}

const SqlDialect &SqliteBackend::dialect() const
{
    return SqliteDialect::instance();
}

QString SqliteBackend::keyExpression(const QString &) const
{
    return QStringLiteral("rowid");
}

qint64 SqliteBackend::insertedKey(QSqlQuery &query) const
{
    return query.lastInsertId().toLongLong();
}

QString SqliteBackend::beginWrite() const
{
    // Takes the write lock at once: a save that waited for it half way
    // through could not be retried by SQLite and would fail as a deadlock.
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqliteBackend::changeLogMissing(const QSqlDatabase &db) const
{
    return ChangeLog::sqliteMissing(db);
}

// Other programs' triggers note their changes without a name; this
// connection's own TEMP trigger names the user on the rows it noted.
void SqliteBackend::startChangeSession(const QSqlDatabase &db, bool) const
{
    if (!ChangeLog::sqliteMissing(db).isEmpty())
        return;
    QSqlQuery q(db);
    for (const QString &sql : ChangeLog::sqliteSessionStatements(changeSession())) {
        if (!q.exec(sql))
            throw sqliteError(q.lastError(), QStringLiteral("Preparing the change log"));
    }
}

DataError SqliteBackend::errorFrom(const QSqlError &error, const QString &context) const
{
    return sqliteError(error, context);
}

DataError SqliteBackend::sqliteError(const QSqlError &error, const QString &context)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    switch (code) {
    case Busy:
    case LockedCode:
        return DataError(DataErrors::Locked,
                         QStringLiteral("The database is in use by another program and stayed "
                                        "locked longer than %1 seconds (%2).")
                             .arg(BusyTimeoutMs / 1000)
                             .arg(text));
    case ReadOnlyCode:
        return DataError(DataErrors::ReadOnly,
                         QStringLiteral("The database cannot be written (%1).").arg(text));
    case Full:
        return DataError(DataErrors::DiskFull,
                         QStringLiteral("The disk is full; nothing was saved (%1).").arg(text));
    case CorruptCode:
    case NotADb:
        return DataError(
            DataErrors::Corrupt,
            QStringLiteral("The file is damaged or is not a database (%1).").arg(text));
    case CantOpen:
    case IoErr:
        return DataError(
            DataErrors::CannotOpen,
            QStringLiteral("The database file cannot be read or written (%1).").arg(text));
    default:
        return DataError(DataErrors::General, text);
    }
}

QSqlDatabase SqliteBackend::connect(const QString &connectionName) const
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    // REGEXP folds the case of every letter, as the find index does: the
    // searches that scan the tables use it.
    db.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_ENABLE_REGEXP").arg(BusyTimeoutMs));
    return db;
}

QList<StoredTable> SqliteBackend::open(const QString &connectionName, bool mayCreate)
{
    const QString &path = location();
    const QFileInfo info(path);
    // A link to a file that is not there (a drive not connected, a file
    // moved) is no new database: one made through it would stand outside
    // the private folder with the rights the link's folder gives, and the
    // steward's records would seem gone.
    if (info.isSymLink() && !info.exists())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" is a link to \"%2\", which does "
                                       "not exist (a drive that is not connected, or a file that "
                                       "was moved).")
                            .arg(path, info.symLinkTarget()));
    const bool fresh = !info.exists() || (info.isFile() && info.size() == 0);
    // Asked for one that exists, a mistyped path must not leave a new, empty
    // case database behind. An empty file is a new database either way.
    if (!mayCreate && !info.isFile())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be found.").arg(path));
    if (info.exists() && !info.isFile())
        throw DataError(DataErrors::CannotOpen, QStringLiteral("\"%1\" is not a file.").arg(path));
    if (!fresh && !info.isReadable())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be read.").arg(path));
    QString folderError;
    if (!info.absoluteDir().exists() &&
        !PrivateFiles::makeFolder(info.absolutePath(), &folderError))
        throw DataError(DataErrors::CannotOpen, folderError);

    QSqlDatabase db = connect(connectionName);
    if (fresh)
        createFile(db, info.exists());
    db.setDatabaseName(path);
    if (!db.open())
        throw sqliteError(db.lastError(), QStringLiteral("Opening \"%1\"").arg(path));

    auto closeOnFailure = qScopeGuard([&db] { db.close(); });
    const QList<StoredTable> found = tables(db);
    requireCaseTables(found); // reads only: an unknown file is left as it is
    configure(db);
    addMissingSteps(db);
    closeOnFailure.dismiss();
    return found;
}

QSqlDatabase SqliteBackend::openIndependentConnection(const QString &connectionName) const
{
    const QString &path = location();
    if (!QFileInfo(path).isFile())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be found.").arg(path));
    QSqlDatabase db = connect(connectionName);
    db.setDatabaseName(path);
    if (!db.open()) {
        const DataError e = sqliteError(db.lastError(), QStringLiteral("Opening \"%1\"").arg(path));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw e;
    }
    // An import or a copy written through it names this user too.
    try {
        startChangeSession(db, false);
    } catch (const DataError &) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    return db;
}

// A new database is built under a name of its own and moved to its real
// path only once its tables are committed. Built in place, a crash between
// the first write (the journal mode) and the tables' commit would leave a
// database without tables there, which every later start has to refuse as
// not a case database.
void SqliteBackend::createFile(QSqlDatabase &db, bool replaceEmptyFile)
{
    const QString &path = location();
    const QString building =
        path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    // Made private before SQLite writes the first byte; SQLite gives the
    // -wal and -shm files the rights of the database file.
    QString fileError;
    if (!PrivateFiles::createFile(building, &fileError))
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be created (%2).")
                            .arg(path, fileError));
    db.setDatabaseName(building);
    if (!db.open()) {
        QFile::remove(building);
        throw sqliteError(db.lastError(), QStringLiteral("Creating \"%1\"").arg(path));
    }
    auto discard = qScopeGuard([&db, &building] {
        db.close();
        QFile::remove(building);
    });
    configure(db);
    runSchemaSteps(db, true);
    discard.dismiss();
    db.close(); // the last connection's close folds the journal into the file
    if (replaceEmptyFile)
        QFile::remove(path); // an empty file holds nothing to keep
    // Never replaces: when another program created the file meanwhile, its
    // file is the one both use.
    if (!QFile::rename(building, path))
        QFile::remove(building);
    // The new name must last as long as the saves made into it.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void SqliteBackend::configure(const QSqlDatabase &db) const
{
    QSqlQuery q(db);
    // WAL with full sync: a commit that returned survives a power cut.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        const DataError e = sqliteError(q.lastError(), QStringLiteral("Setting the journal"));
        // A file that may only be read keeps its journal: nothing is written
        // to it, and every save is refused as read-only.
        if (e.number() != DataErrors::ReadOnly)
            throw e;
    }
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        throw sqliteError(q.lastError());
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        throw sqliteError(q.lastError());
    // Up to 64 MiB of pages kept between statements (SQLite's own default
    // is 2 MiB): the indexes the deadlines list and Find walk on a large
    // file stay in memory from one key typed to the next instead of being
    // read again page by page. Taken only as pages are read.
    if (!q.exec(QStringLiteral("PRAGMA cache_size=-65536")))
        throw sqliteError(q.lastError());
}

// An existing database gains what a newer version adds beside the tables.
// One that may not be written now is used as it is: nothing of it needs
// the additions to work.
void SqliteBackend::addMissingSteps(QSqlDatabase &db)
{
    try {
        runSchemaSteps(db, false);
    } catch (const DataError &e) {
        // Read only, or held by another program past the busy timeout: the
        // file is used as it is, and a later start adds them.
        if (e.number() != DataErrors::ReadOnly && e.number() != DataErrors::Locked)
            throw;
    }
}

QList<StoredTable> SqliteBackend::tables(const QSqlDatabase &db) const
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        throw sqliteError(q.lastError(), QStringLiteral("Reading \"%1\"").arg(location()));
    QList<StoredTable> shapes;
    while (q.next())
        shapes.append(StoredTable{q.value(0).toString(), {}, {}});
    for (StoredTable &t : shapes) {
        QSqlQuery info(db);
        if (!info.exec(
                QStringLiteral("PRAGMA table_info(%1)").arg(JetSql::quoteIdentifier(t.name))))
            throw sqliteError(info.lastError());
        while (info.next()) {
            t.columns << info.value(1).toString();
            // An INTEGER PRIMARY KEY is the rowid itself: numbered by SQLite.
            if (info.value(5).toInt() == 1 &&
                info.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) ==
                    0)
                t.autoKey = info.value(1).toString();
        }
    }
    return shapes;
}
