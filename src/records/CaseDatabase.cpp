#include "records/CaseDatabase.h"

#include "records/DatabaseBackend.h"
#include "records/SqliteBackend.h"

#include <QCryptographicHash>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

QString CaseDatabase::defaultPath()
{
    const QString env = qEnvironmentVariable("QUILLMARK_DATABASE");
    if (!env.isEmpty())
        return env;
    return defaultFile();
}

QString CaseDatabase::defaultFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Quillmark.db");
}

CaseDatabase::CaseDatabase(const QString &location)
    : m_backend(DatabaseBackend::forLocation(location))
{
}

CaseDatabase::~CaseDatabase()
{
    closeConnection();
}

const QString &CaseDatabase::path() const
{
    return m_backend->location();
}

QString CaseDatabase::filePath() const
{
    return m_backend->filePath();
}

QSqlDatabase CaseDatabase::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

const SqlDialect &CaseDatabase::dialect() const
{
    return m_backend->dialect();
}

QString CaseDatabase::keyExpression(const QString &table) const
{
    return m_backend->keyExpression(tableName(table).isEmpty() ? table : tableName(table));
}

qint64 CaseDatabase::insertedKey(QSqlQuery &query) const
{
    return m_backend->insertedKey(query);
}

DataError CaseDatabase::error(const QSqlError &error, const QString &context) const
{
    return inSession(m_backend->errorFrom(error, context));
}

// A lost server in the middle of the steward's work: what she typed stays
// in the boxes (a refused save keeps them), and the same command tried
// again connects anew.
DataError CaseDatabase::inSession(const DataError &e) const
{
    static const QString kept = QStringLiteral(
        " What you typed is still on the screen; Update saves it once the server answers.");
    if (e.number() != DataErrors::Unreachable)
        return e;
    m_lost = true;
    return e.description().endsWith(kept) ? e : DataError(e.number(), e.description() + kept);
}

// A connection to a server that went away is opened again before the next
// command: once a command found it lost, or when the server is known to
// have ended the session while the program was idle (a restart), so that
// the first command after it does not fail for nothing. Never inside a
// write: its statements must all run in the one transaction, and the one
// that meets the lost connection fails. Its prepared statements go while it
// is closed: destroyed on the new session, each would free a statement that
// session never had, inside whatever transaction runs then.
void CaseDatabase::ensureConnected() const
{
    if (!m_open)
        return;
    QSqlDatabase db = connection();
    if (!m_lost && db.isOpen() && (m_writing || !m_backend->connectionBroken(db)))
        return;
    db.close();
    m_statements.clear();
    QString password;
    while (!db.open()) {
        const DataError failure = inSession(m_backend->errorFrom(db.lastError()));
        if (!askPassword(failure, password))
            throw failure;
        db.setPassword(password);
    }
    m_lost = false;
    startChangeSession();
}

void CaseDatabase::startChangeSession() const
{
    if (!m_changeLogMissing.isEmpty())
        return;
    m_backend->startChangeSession(connection(), true);
    ++m_changeSessionStarts;
}

bool CaseDatabase::askPassword(const DataError &failure, QString &password) const
{
    if (!m_passwordPrompt)
        return false;
    QString reason;
    const DatabaseBackend::PasswordNeed need = m_backend->passwordNeed(failure, &reason);
    if (need == DatabaseBackend::PasswordNeed::None)
        return false;
    password.clear();
    if (!m_passwordPrompt(reason, need == DatabaseBackend::PasswordNeed::Refused, password))
        return false;
    m_backend->setPassword(password);
    return true;
}

DataError CaseDatabase::errorFrom(const QSqlError &error, const QString &context)
{
    return SqliteBackend::sqliteError(error, context);
}

void CaseDatabase::exec(QSqlQuery &query) const
{
    if (!query.exec())
        throw error(query.lastError());
}

QSqlQuery &CaseDatabase::cachedQuery(const QString &sql) const
{
    ensureConnected();
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
        throw error(q->lastError());
    return *m_statements.emplace(sql, std::move(q)).first->second;
}

QSqlQuery CaseDatabase::prepared(const QString &sql) const
{
    ensureConnected();
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        throw error(q.lastError());
    return q;
}

void CaseDatabase::open()
{
    openConnection(true);
}

void CaseDatabase::openExisting()
{
    openConnection(false);
}

void CaseDatabase::close()
{
    closeConnection();
}

void CaseDatabase::reopen()
{
    closeConnection();
    openConnection(false);
}

void CaseDatabase::openConnection(bool mayCreate)
{
    if (m_open)
        return;
    // Whatever fails on the way leaves no connection behind.
    auto closeOnFailure = qScopeGuard([this] { closeConnection(); });
    QList<StoredTable> tables;
    for (;;) {
        m_connectionName =
            QStringLiteral("case-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        try {
            tables = m_backend->open(m_connectionName, mayCreate);
            break;
        } catch (const DataError &e) {
            closeConnection();
            QString password;
            if (!askPassword(e, password))
                throw;
        }
    }
    m_columns.clear();
    m_tableNames.clear();
    m_autoKeys.clear();
    for (const StoredTable &t : tables) {
        m_columns.insert(t.name.toLower(), t.columns);
        m_tableNames.insert(t.name.toLower(), t.name);
        if (!t.autoKey.isEmpty())
            m_autoKeys.insert(t.name.toLower(), t.autoKey);
    }
    const DatabaseBackend::SaveLedger ledger = m_backend->saveLedger(connection());
    m_keepsSaves = ledger.keep;
    m_prunesSaves = ledger.prune;
    m_changeLogMissing = m_backend->changeLogMissing(connection());
    startChangeSession();
    closeOnFailure.dismiss();
    m_open = true;
}

void CaseDatabase::closeConnection()
{
    m_statements.clear();
    m_open = false;
    m_lost = false;
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

QStringList CaseDatabase::columns(const QString &table) const
{
    return m_columns.value(table.toLower());
}

QString CaseDatabase::tableName(const QString &name) const
{
    return m_tableNames.value(name.toLower());
}

void CaseDatabase::checkpoint()
{
    if (!m_open)
        return;
    // Best effort: a reader elsewhere only leaves part of the log in place.
    QSqlQuery q(connection());
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void CaseDatabase::write(const std::function<void(QSqlQuery &)> &work)
{
    ensureConnected();
    const QScopedValueRollback<bool> writing(m_writing, true);
    try {
        m_backend->write(connection(), work);
    } catch (const DataError &e) {
        throw inSession(e);
    }
}

void CaseDatabase::rememberSave(QSqlQuery &query, const QString &id, const QString &table,
                                qint64 row, const QVariantList &written)
{
    if (m_prunesSaves && !m_savesPruned) {
        // A save asked after a week later is answered as not stored: by
        // then the steward has long seen the record as it is.
        if (!query.exec(QStringLiteral("DELETE FROM \"Quillmark Saves\" WHERE \"Saved\" < now() - "
                                       "interval '7 days'")))
            throw error(query.lastError());
        m_savesPruned = true;
    }
    // Prepared once per connection: a save pays one round trip for it.
    QSqlQuery &keep = cachedQuery(QStringLiteral(
        "INSERT INTO \"Quillmark Saves\" (\"Save\", \"Table\", \"Row\", \"Row Digest\") "
        "VALUES (CAST(? AS uuid), ?, ?, ?)"));
    keep.bindValue(0, id);
    keep.bindValue(1, table);
    keep.bindValue(2, row);
    keep.bindValue(3, QString::fromLatin1(rowDigest(written)));
    const bool kept = keep.exec();
    const QSqlError failed = keep.lastError();
    keep.finish();
    if (!kept)
        throw error(failed);
}

std::optional<CaseDatabase::RememberedSave> CaseDatabase::rememberedSave(const QString &id)
{
    std::optional<RememberedSave> kept;
    write([&](QSqlQuery &q) {
        // The identity is taken first, as a save that stored nothing: a
        // save still under way on a session the server has not ended yet
        // either stored it already (this waits for its commit or its
        // rollback) or now can never commit. Row -1 marks it.
        if (!q.prepare(QStringLiteral("INSERT INTO \"Quillmark Saves\" (\"Save\", \"Table\", "
                                      "\"Row\", \"Row Digest\") VALUES (CAST(? AS uuid), '', -1, "
                                      "'') ON CONFLICT (\"Save\") DO NOTHING")))
            throw error(q.lastError());
        q.addBindValue(id);
        if (!q.exec())
            throw error(q.lastError());
        if (!q.prepare(QStringLiteral("SELECT \"Row\", \"Row Digest\" FROM \"Quillmark Saves\" "
                                      "WHERE \"Save\" = CAST(? AS uuid)")))
            throw error(q.lastError());
        q.addBindValue(id);
        if (!q.exec())
            throw error(q.lastError());
        if (q.next()) {
            if (q.value(0).toLongLong() >= 0)
                kept = RememberedSave{q.value(0).toLongLong(), q.value(1).toString().toLatin1()};
        } else if (q.lastError().isValid()) {
            throw error(q.lastError());
        }
    });
    return kept;
}

QByteArray CaseDatabase::rowDigest(const QVariantList &row)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QVariant &v : row) {
        if (v.isNull()) {
            hash.addData(QByteArrayView("\x01", 1));
            continue;
        }
        const QByteArray text = v.toString().toUtf8();
        hash.addData(QByteArrayView("\x02", 1));
        hash.addData(QByteArray::number(text.size()));
        hash.addData(QByteArrayView(":", 1));
        hash.addData(text);
    }
    return hash.result().toHex();
}
