#include "records/PostgresBackend.h"

#include "jetsql/JetSql.h"
#include "jetsql/PostgresDialect.h"
#include "records/ChangeLog.h"
#include "records/PostgresSchema.h"
#include "records/ServerAddress.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <libpq-fe.h>
#include <poll.h>

#include <memory>
#include <vector>

const char *const PostgresBackend::HiddenKey = "qm!key";

namespace
{

// Settings this program always wants for its session unless the location
// says otherwise: a dead peer ends in an error, never a hang.
const char *const Defaults[][2] = {
    {"connect_timeout", "5"},
    {"keepalives", "1"},
    {"keepalives_idle", "10"},
    {"keepalives_interval", "5"},
    {"keepalives_count", "3"},
    {"tcp_user_timeout", "15000"},
    {"application_name", "Quillmark Wizard"},
};

QString quotedOption(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

PGconn *libpqConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt names the handle's type as libpq spells its struct.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

bool lostConnectionCode(const QString &code)
{
    return code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
           code == QLatin1String("57P02") || code == QLatin1String("57P03");
}

} // namespace

bool PostgresBackend::isServerLocation(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

PostgresBackend::PostgresBackend(const QString &location) : DatabaseBackend(location)
{
    m_steps = PostgresSchema::steps();
    char *error = nullptr;
    PQconninfoOption *parsed = PQconninfoParse(location.toUtf8().constData(), &error);
    if (!parsed) {
        // libpq quotes the part it could not read, which may be the password.
        m_parseError =
            error ? ServerAddress::hidingPassword(QString::fromUtf8(error).trimmed(), location)
                  : QStringLiteral("not a connection string");
        m_describe = ServerAddress::withoutPassword(location);
        PQfreemem(error);
        return;
    }
    QStringList options;
    QString sessionOptions;
    QHash<QString, QString> given;
    for (PQconninfoOption *o = parsed; o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        given.insert(key, value);
        if (key == QLatin1String("password")) {
            m_password = value;
            continue;
        }
        if (key == QLatin1String("options")) {
            sessionOptions = value;
            continue;
        }
        // Qt's driver turns every ';' of its options into a blank.
        if (value.contains(QLatin1Char(';')))
            m_parseError = QStringLiteral("the setting %1 may not contain \";\"").arg(key);
        options << key + QLatin1Char('=') + quotedOption(value);
        m_keywords.append({key.toUtf8(), value.toUtf8()});
    }
    PQconninfoFree(parsed);
    for (const auto &d : Defaults) {
        const QString key = QString::fromLatin1(d[0]);
        if (!given.contains(key)) {
            options << key + QLatin1Char('=') + quotedOption(QString::fromLatin1(d[1]));
            m_keywords.append({QByteArray(d[0]), QByteArray(d[1])});
        }
    }
    // Every statement's plan made for its values (a pattern search on a
    // generic plan can take seconds), and a bounded wait for a row lock.
    sessionOptions += QStringLiteral(" -c lock_timeout=%1 -c plan_cache_mode=force_custom_plan")
                          .arg(LockTimeoutMs);
    options << QStringLiteral("options=") + quotedOption(sessionOptions.trimmed());
    m_connectOptions = options.join(QLatin1Char(';'));

    const QString user = given.value(QStringLiteral("user"));
    const QString host =
        given.value(QStringLiteral("host"), given.value(QStringLiteral("hostaddr")));
    const QString port = given.value(QStringLiteral("port"));
    const QString db =
        given.value(QStringLiteral("dbname"), given.value(QStringLiteral("service")));
    m_describe = QStringLiteral("%1%2%3/%4")
                     .arg(user.isEmpty() ? QString() : user + u'@',
                          host.isEmpty() ? QStringLiteral("localhost") : host,
                          port.isEmpty() ? QString() : u':' + port, db);
}

QString PostgresBackend::describe() const
{
    return m_describe.isEmpty() ? QStringLiteral("the shared database") : m_describe;
}

const SqlDialect &PostgresBackend::dialect() const
{
    return PostgresDialect::instance();
}

QString PostgresBackend::keyExpression(const QString &table) const
{
    return m_keys.value(table.toLower(), JetSql::quoteIdentifier(QString::fromLatin1(HiddenKey)));
}

qint64 PostgresBackend::insertedKey(QSqlQuery &query) const
{
    // INSERT ... RETURNING the key (lastInsertId() would ask lastval(), the
    // last number of any sequence this session used).
    const qint64 key = query.next() ? query.value(0).toLongLong() : -1;
    query.finish();
    return key;
}

QString PostgresBackend::beginWrite() const
{
    return QStringLiteral("BEGIN");
}

QSqlDatabase PostgresBackend::connect(const QString &connectionName) const
{
    if (!m_parseError.isEmpty())
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("\"%1\" is not a usable server address: %2.")
                            .arg(describe(), m_parseError));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("This computer lacks the PostgreSQL driver for Qt "
                                       "(libqt6sql6-psql)."));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setConnectOptions(m_connectOptions);
    if (!m_password.isEmpty())
        db.setPassword(m_password);
    return db;
}

DataError PostgresBackend::openFailure(const QSqlDatabase &db) const
{
    return connectFailure(db.lastError().databaseText().trimmed().isEmpty()
                              ? db.lastError().text().trimmed()
                              : db.lastError().databaseText().trimmed());
}

// Qt's driver gives no code for a failed connection. A server that answered
// (a refused password, an unknown database or user) says FATAL; anything
// else (refused, no such host, no answer in time) means it cannot be reached,
// said in one line: libpq's own text runs over several, naming the server
// again, and only its reason is kept.
DataError PostgresBackend::connectFailure(const QString &text) const
{
    if (text.contains(QLatin1String("no password supplied")))
        return DataError(
            DataErrors::CannotOpen,
            QStringLiteral("The shared database %1 wants a password (%2).").arg(describe(), text));
    // A server shutting down, starting up or recovering answers FATAL too,
    // as does one that ends the session for a restart: it is away for the
    // moment, not refusing the steward, and the same command goes through
    // once it is back.
    const bool restarting = text.contains(QLatin1String("the database system is")) ||
                            text.contains(QLatin1String("terminating connection due to")) ||
                            text.contains(QLatin1String("server closed the connection"));
    if (text.contains(QLatin1String("FATAL")) && !restarting)
        return DataError(DataErrors::CannotOpen,
                         QStringLiteral("The shared database %1 refused the connection (%2).")
                             .arg(describe(), text));
    const QString firstLine = text.section(u'\n', 0, 0).trimmed();
    const QString reason = firstLine.section(QLatin1String(": "), -1).trimmed();
    return DataError(
        DataErrors::Unreachable,
        reason.isEmpty()
            ? QStringLiteral("The shared database %1 cannot be reached.").arg(describe())
            : QStringLiteral("The shared database %1 cannot be reached (%2).")
                  .arg(describe(), reason));
}

namespace
{

// Set by the receiver below when the server's words outside an answer say
// that it is ending the session.
thread_local bool t_serverEndsSession = false;

// What the server says outside an answer to a query: a warning, or its last
// words before it ends the session (an administrator's command, a restart,
// another of its processes crashing), which the close follows. Noted, and
// said on standard error as libpq would.
void noteServerWords(void *, const PGresult *res)
{
    const char *severity = PQresultErrorField(res, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0 ||
        qstrcmp(PQresultErrorField(res, PG_DIAG_SQLSTATE), "57P02") == 0)
        t_serverEndsSession = true;
    qWarning("%s",
             QString::fromUtf8(PQresultErrorMessage(res)).trimmed().toLocal8Bit().constData());
}

} // namespace

bool PostgresBackend::connectionBroken(const QSqlDatabase &db) const
{
    PGconn *conn = libpqConnection(db);
    if (!conn)
        return false;
    // The server's last words, read here or earlier while the change
    // notices were taken.
    const auto announcedEnd = [&] {
        return m_endedSessions.remove({quintptr(conn), PQbackendPID(conn)});
    };
    if (announcedEnd())
        return true;
    // An idle session has nothing to read unless the server spoke first: a
    // notice, or its last words before it closes the session (a restart),
    // which are known for what they are: the close that follows them may
    // take a while on a busy server, and a command sent before it would
    // fail where a new session serves it. Rows still on their way to a
    // query being read are only taken in, for libpq to hand over later.
    for (int i = 0; i < 8 && PQstatus(conn) == CONNECTION_OK; ++i) {
        pollfd waiting{PQsocket(conn), POLLIN, 0};
        if (waiting.fd < 0)
            return true;
        const bool spokeUnasked = i > 0 && PQtransactionStatus(conn) == PQTRANS_IDLE;
        if (spokeUnasked) {
            const int kept = keepNotices(conn);
            if (announcedEnd())
                return true;
            // A notice of another session's change is all it said: kept
            // for takeChangeNotices(), and no wait for a close that is not
            // coming.
            if (kept > 0 && PQstatus(conn) == CONNECTION_OK)
                return false;
        }
        if (::poll(&waiting, 1, spokeUnasked ? 250 : 0) <= 0)
            return false;
        if (!PQconsumeInput(conn))
            return true;
    }
    return PQstatus(conn) != CONNECTION_OK;
}

int PostgresBackend::keepNotices(PGconn *conn) const
{
    // Reading the notices reads whatever else the server said meanwhile.
    PQsetNoticeReceiver(conn, &noteServerWords, nullptr);
    t_serverEndsSession = false;
    int kept = 0;
    while (PGnotify *n = PQnotifies(conn)) {
        if (qstrcmp(n->relname, ChangeLog::Channel) == 0) {
            m_notices << QString::fromUtf8(n->extra);
            ++kept;
        }
        PQfreemem(n);
    }
    if (std::exchange(t_serverEndsSession, false))
        m_endedSessions.insert({quintptr(conn), PQbackendPID(conn)});
    return kept;
}

DatabaseBackend::SaveLedger PostgresBackend::saveLedger(const QSqlDatabase &db) const
{
    // Made by the owner's first opening; a steward's role may have been
    // left without rights on it, and saves then go on without it.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral(
            "SELECT t IS NOT NULL AND has_table_privilege(t, 'INSERT') AND "
            "has_table_privilege(t, 'SELECT'), t IS NOT NULL AND has_table_privilege(t, 'DELETE') "
            "FROM to_regclass('\"Quillmark Saves\"') t")) ||
        !q.next())
        throw errorFrom(q.lastError(), QStringLiteral("Reading the rights of %1").arg(describe()));
    return SaveLedger{q.value(0).toBool(), q.value(1).toBool()};
}

DatabaseBackend::PasswordNeed PostgresBackend::passwordNeed(const DataError &failure,
                                                            QString *reason) const
{
    // Only a server that answered can have asked for a password: no second
    // wait for one that cannot be reached.
    const QString text = failure.description();
    if (!m_parseError.isEmpty() ||
        (!text.contains(QLatin1String("FATAL")) && !text.contains(QLatin1String("password"))))
        return PasswordNeed::None;
    std::vector<const char *> keys;
    std::vector<const char *> values;
    const QByteArray password = m_password.toUtf8();
    for (const auto &k : m_keywords) {
        keys.push_back(k.first.constData());
        values.push_back(k.second.constData());
    }
    if (!m_password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn(
        PQconnectdbParams(keys.data(), values.data(), 0), &PQfinish);
    if (!conn || PQstatus(conn.get()) == CONNECTION_OK)
        return PasswordNeed::None;
    if (reason)
        *reason = QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
    if (PQconnectionNeedsPassword(conn.get()))
        return PasswordNeed::Missing;
    // The server asked for a password and turned the one it got away (the
    // steward's, or the password file's).
    if (PQconnectionUsedPassword(conn.get()))
        return PasswordNeed::Refused;
    return PasswordNeed::None;
}

QList<StoredTable> PostgresBackend::open(const QString &connectionName, bool mayCreate)
{
    m_connectionName = connectionName;
    QSqlDatabase db = connect(connectionName);
    if (!db.open())
        throw openFailure(db);
    auto closeOnFailure = qScopeGuard([&db] { db.close(); });
    QSqlQuery q(db);
    // A server that stores text unchecked could hand back bytes that
    // are no text at all.
    if (!q.exec(QStringLiteral("SHOW server_encoding")) || !q.next())
        throw errorFrom(q.lastError());
    if (q.value(0).toString().compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0)
        throw DataError(DataErrors::CannotOpen,
                        QStringLiteral("The shared database %1 stores text as %2; the case "
                                       "database needs UTF8.")
                            .arg(describe(), q.value(0).toString()));
    q.finish();
    QList<StoredTable> found = tables(db);
    bool anyCaseTable = false;
    for (const StoredTable &t : std::as_const(found))
        anyCaseTable = anyCaseTable ||
                       t.name.compare(QLatin1String("Employee"), Qt::CaseInsensitive) == 0 ||
                       t.name.compare(QLatin1String("Complaints"), Qt::CaseInsensitive) == 0;
    // Only a database with neither table is new; one with half of them
    // is someone else's and is left as it is.
    if (!anyCaseTable && mayCreate) {
        runSchemaSteps(db, true);
        found = tables(db);
    }
    requireCaseTables(found);
    try {
        runSchemaSteps(db, false);
    } catch (const DataError &e) {
        // A steward's role may not add what a newer version adds; the
        // program works without it.
        if (e.number() != DataErrors::ReadOnly)
            throw;
    }
    closeOnFailure.dismiss();
    return found;
}

QSqlDatabase PostgresBackend::openIndependentConnection(const QString &connectionName) const
{
    QSqlDatabase db = connect(connectionName);
    if (!db.open()) {
        const DataError e = openFailure(db);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw e;
    }
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

QList<StoredTable> PostgresBackend::tables(const QSqlDatabase &db) const
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(
            QStringLiteral("SELECT c.relname, a.attname, a.attidentity FROM pg_attribute a "
                           "JOIN pg_class c ON c.oid = a.attrelid "
                           "JOIN pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') "
                           "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY c.relname, a.attnum")))
        throw errorFrom(q.lastError(), QStringLiteral("Reading the tables of %1").arg(describe()));
    QList<StoredTable> shapes;
    QHash<QString, QString> keys;
    const QString hidden = QString::fromLatin1(HiddenKey);
    while (q.next()) {
        const QString table = q.value(0).toString();
        const QString column = q.value(1).toString();
        if (shapes.isEmpty() || shapes.last().name != table)
            shapes.append(StoredTable{table, {}, {}});
        StoredTable &t = shapes.last();
        if (column == hidden) {
            keys.insert(table.toLower(), JetSql::quoteIdentifier(column));
            continue;
        }
        t.columns << column;
        if (!q.value(2).toString().trimmed().isEmpty() && t.autoKey.isEmpty()) {
            t.autoKey = column;
            if (!keys.contains(table.toLower()))
                keys.insert(table.toLower(), JetSql::quoteIdentifier(column));
        }
    }
    if (q.lastError().isValid())
        throw errorFrom(q.lastError());
    m_keys = keys;
    return shapes;
}

QString PostgresBackend::changeLogMissing(const QSqlDatabase &db) const
{
    try {
        return ChangeLog::postgresMissing(db);
    } catch (const DataError &e) {
        throw DataError(
            e.number(),
            QStringLiteral("Reading the change log of %1: %2").arg(describe(), e.description()));
    }
}

void PostgresBackend::startChangeSession(const QSqlDatabase &db, bool listen) const
{
    QStringList statements = ChangeLog::postgresSessionStatements(changeSession());
    if (!listen)
        statements.removeLast();
    QSqlQuery q(db);
    for (const QString &sql : std::as_const(statements)) {
        if (!q.exec(sql))
            throw errorFrom(q.lastError(), QStringLiteral("Preparing the change log"));
    }
}

// Notices come in beside the answers to queries: libpq keeps those that
// came with one until asked, and this asks without waiting.
QStringList PostgresBackend::takeChangeNotices(const QSqlDatabase &db) const
{
    PGconn *conn = libpqConnection(db);
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        return std::exchange(m_notices, {});
    // Qt reads the end of a statement read row by row only as the next one
    // starts: until then libpq holds the notices behind it. A statement of
    // nothing ends it the way Qt ends its own (the program reads every
    // statement to its end and finishes it before it returns to the
    // steward, so no reading is cut short).
    if (PQtransactionStatus(conn) == PQTRANS_ACTIVE) {
        QSqlQuery settle(db);
        if (!settle.exec(QStringLiteral("SELECT 1")))
            throw errorFrom(settle.lastError(), QStringLiteral("Reading the change notices"));
    }
    // A failed read leaves the connection to the next command, which meets
    // the loss and reports it.
    if (PQtransactionStatus(conn) == PQTRANS_IDLE && PQconsumeInput(conn))
        keepNotices(conn);
    return std::exchange(m_notices, {});
}

DataError PostgresBackend::errorFrom(const QSqlError &error, const QString &context) const
{
    const QString code = error.nativeErrorCode();
    QString text = error.databaseText().trimmed().isEmpty() ? error.text().trimmed()
                                                            : error.databaseText().trimmed();
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    const bool open = QSqlDatabase::database(m_connectionName, false).isOpen();
    // A connection made again after a lost one and refused by the server
    // (a password it no longer takes) says what the server said.
    if (code.isEmpty() && !open && !text.isEmpty()) {
        DataError refused = connectFailure(text);
        if (refused.number() != DataErrors::Unreachable)
            return refused;
    }
    // One line, without libpq's: the next command connects anew.
    if (lostConnectionCode(code) || (code.isEmpty() && !open))
        return DataError(DataErrors::Unreachable,
                         QStringLiteral("The server of the shared database %1 does not answer.")
                             .arg(describe()));
    if (code == QLatin1String("55P03") || code == QLatin1String("40P01") ||
        code == QLatin1String("40001"))
        return DataError(DataErrors::Locked,
                         QStringLiteral("The database is in use by another program and stayed "
                                        "locked longer than %1 seconds (%2).")
                             .arg(LockTimeoutMs / 1000)
                             .arg(text));
    if (code.startsWith(QLatin1String("53")))
        return DataError(
            DataErrors::DiskFull,
            QStringLiteral("The server's disk is full; nothing was saved (%1).").arg(text));
    if (code == QLatin1String("25006"))
        return DataError(DataErrors::ReadOnly,
                         QStringLiteral("The database cannot be written (%1).").arg(text));
    if (code == QLatin1String("42501"))
        return DataError(DataErrors::ReadOnly,
                         QStringLiteral("The server does not let this user change the case "
                                        "database (%1).")
                             .arg(text));
    if (code == QLatin1String("42P01"))
        return DataError(DataErrors::UnknownTable, text);
    if (code == QLatin1String("42703"))
        return DataError(DataErrors::UnknownField, text);
    if (code == QLatin1String("22001"))
        return DataError(DataErrors::General,
                         QStringLiteral("A value is longer than its field allows; nothing was "
                                        "saved (%1).")
                             .arg(text));
    return DataError(DataErrors::General, text);
}
