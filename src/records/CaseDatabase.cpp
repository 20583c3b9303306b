#include "records/CaseDatabase.h"

#include "jetsql/SqliteDialect.h"
#include "platform/core/PrivateFiles.h"
#include "records/CaseSchema.h"
#include "records/FindIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

#include <fcntl.h>
#include <unistd.h>

namespace {

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

QString CaseDatabase::defaultPath()
{
    const QString env = qEnvironmentVariable("QUILLMARK_DATABASE");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/Quillmark.db");
}

CaseDatabase::CaseDatabase(const QString &path)
    : m_path(path),
      m_connectionName(QStringLiteral("case-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

CaseDatabase::~CaseDatabase()
{
    m_statements.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase CaseDatabase::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

const SqlDialect &CaseDatabase::dialect() const
{
    return SqliteDialect::instance();
}

DataError CaseDatabase::errorFrom(const QSqlError &error, const QString &context)
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
        return DataError(DataErrors::Corrupt,
                         QStringLiteral("The file is damaged or is not a database (%1).").arg(text));
    case CantOpen:
    case IoErr:
        return DataError(DataErrors::CannotOpen,
                         QStringLiteral("The database file cannot be read or written (%1).").arg(text));
    default:
        return DataError(DataErrors::General, text);
    }
}

void CaseDatabase::exec(QSqlQuery &query) const
{
    if (!query.exec())
        throw errorFrom(query.lastError());
}

QSqlQuery &CaseDatabase::cachedQuery(const QString &sql) const
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return *it->second;
    // Statements differ only by shape, not by the values bound to them; a
    // small cap keeps unusual shapes (long sort lists, filters) from piling up.
    if (m_statements.size() >= 64)
        m_statements.clear();
    auto q = std::make_unique<QSqlQuery>(connection());
    q->setForwardOnly(true);
    if (!q->prepare(sql))
        throw errorFrom(q->lastError());
    return *m_statements.emplace(sql, std::move(q)).first->second;
}

QSqlQuery CaseDatabase::prepared(const QString &sql) const
{
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        throw errorFrom(q.lastError());
    return q;
}

void CaseDatabase::open()
{
    const QFileInfo info(m_path);
    const bool fresh = !info.exists() || (info.isFile() && info.size() == 0);
    if (info.exists() && !info.isFile())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("\"%1\" is not a file.").arg(m_path));
    if (!fresh && !info.isReadable())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be read.").arg(m_path));
    QString folderError;
    if (!info.absoluteDir().exists() &&
        !PrivateFiles::makeFolder(info.absolutePath(), &folderError))
        throw DataError(DataErrors::CannotOpen, folderError);

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (fresh)
        createFile(info.exists());
    db.setDatabaseName(m_path);
    if (!db.open())
        throw errorFrom(db.lastError(), QStringLiteral("Opening \"%1\"").arg(m_path));

    try {
        verifySchema(); // reads only: an unknown file is left as it is
        configure();
        FindIndex::upgrade(*this); // a file from before Find gets its index once
    } catch (...) {
        db.close();
        throw;
    }
    m_open = true;
}

// A new database is built under a name of its own and moved to its real
// path only once its tables are committed. Built in place, a crash between
// the first write (the journal mode) and the tables' commit would leave a
// database without tables there, which every later start has to refuse as
// not a case database.
void CaseDatabase::createFile(bool replaceEmptyFile)
{
    const QString building = m_path + QStringLiteral(".new-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    // Made private before SQLite writes the first byte; SQLite gives the
    // -wal and -shm files the rights of the database file.
    QString fileError;
    if (!PrivateFiles::createFile(building, &fileError))
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The database file \"%1\" cannot be created (%2).")
                            .arg(m_path, fileError));
    QSqlDatabase db = connection();
    db.setDatabaseName(building);
    if (!db.open()) {
        QFile::remove(building);
        throw errorFrom(db.lastError(), QStringLiteral("Creating \"%1\"").arg(m_path));
    }
    try {
        configure();
        createSchema();
    } catch (...) {
        db.close();
        QFile::remove(building);
        throw;
    }
    db.close(); // the last connection's close folds the journal into the file
    if (replaceEmptyFile)
        QFile::remove(m_path); // an empty file holds nothing to keep
    // Never replaces: when another program created the file meanwhile, its
    // file is the one both use.
    if (!QFile::rename(building, m_path))
        QFile::remove(building);
    // The new name must last as long as the saves made into it.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void CaseDatabase::configure()
{
    QSqlQuery q(connection());
    // WAL with full sync: a commit that returned survives a power cut.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        const DataError e = errorFrom(q.lastError(), QStringLiteral("Setting the journal"));
        // A file that may only be read keeps its journal: nothing is written
        // to it, and every save is refused as read-only.
        if (e.number() != DataErrors::ReadOnly)
            throw e;
    }
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        throw errorFrom(q.lastError());
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        throw errorFrom(q.lastError());
}

void CaseDatabase::createSchema()
{
    write([this](QSqlQuery &q) {
        for (const QString &sql : CaseSchema::createStatements() + FindIndex::createStatements()) {
            if (!q.exec(sql))
                throw errorFrom(q.lastError(), QStringLiteral("Creating the tables"));
        }
    });
}

void CaseDatabase::verifySchema()
{
    m_columns.clear();
    m_tableNames.clear();
    m_autoKeys.clear();
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        throw errorFrom(q.lastError(), QStringLiteral("Reading \"%1\"").arg(m_path));
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    for (const QString &t : tables) {
        QSqlQuery info(connection());
        if (!info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString(t).replace(QLatin1Char('"'), QStringLiteral("\"\"")))))
            throw errorFrom(info.lastError());
        QStringList cols;
        while (info.next()) {
            cols << info.value(1).toString();
            if (info.value(5).toInt() == 1
                && info.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                m_autoKeys.insert(t.toLower(), info.value(1).toString());
        }
        m_columns.insert(t.toLower(), cols);
        m_tableNames.insert(t.toLower(), t);
    }
    auto require = [this](const char *table, const QList<CaseSchema::Column> &expected) {
        const QStringList have = m_columns.value(QString::fromLatin1(table).toLower());
        for (const CaseSchema::Column &c : expected) {
            if (!have.contains(QString::fromUtf8(c.name), Qt::CaseInsensitive))
                throw DataError(DataErrors::NotCaseDatabase,
                                QStringLiteral("\"%1\" is not a case database: the table %2 %3.")
                                    .arg(m_path, QString::fromLatin1(table),
                                         have.isEmpty()
                                             ? QStringLiteral("is missing")
                                             : QStringLiteral("has no field \"%1\"").arg(QString::fromUtf8(c.name))));
        }
    };
    require(CaseSchema::EmployeeTable, CaseSchema::employeeColumns());
    require(CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns());
}

QStringList CaseDatabase::columns(const QString &table) const
{
    return m_columns.value(table.toLower());
}

QString CaseDatabase::tableName(const QString &name) const
{
    return m_tableNames.value(name.toLower());
}

void CaseDatabase::write(const std::function<void(QSqlQuery &)> &work)
{
    QSqlDatabase db = connection();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw errorFrom(q.lastError());
    try {
        work(q);
        if (!q.exec(QStringLiteral("COMMIT")))
            throw errorFrom(q.lastError());
    } catch (...) {
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}
