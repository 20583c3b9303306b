#include "records/ChangeLog.h"

#include "jetsql/JetSql.h"
#include "records/CaseDatabase.h"
#include "records/DatabaseBackend.h"
#include "records/PostgresBackend.h"
#include "records/SqliteBackend.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>

#include <pwd.h>
#include <unistd.h>

namespace
{

struct CaseTable {
    const char *name;
    const char *serverKey; // the row's key on a server; rowid in a file
};
const CaseTable CaseTables[] = {{"Employee", PostgresBackend::HiddenKey},
                                {"Complaints", "Grievance Number"}};

QString latin(const char *text)
{
    return QString::fromLatin1(text);
}

// ---- A file ---------------------------------------------------------------

const char *const SqliteNow = "strftime('%Y-%m-%dT%H:%M:%fZ', 'now')";

QString sqliteNote(const QString &table, const QString &row, const QString &kind,
                   const QString &when = {})
{
    // Taken out and noted again under a new number: the numbers follow the
    // commits (a file's writes are one after the other) and are never given
    // twice. No conflict can arise, so the writing statement's own conflict
    // clause (INSERT OR IGNORE, say), which SQLite applies to its triggers'
    // statements too, changes nothing here.
    const QString where = when.isEmpty() ? QString() : QStringLiteral(" AND ") + when;
    return QStringLiteral("DELETE FROM \"Quillmark Changes\" WHERE \"Table\" = '%1' AND \"Row\" = "
                          "%2%5; INSERT INTO \"Quillmark Changes\" (\"Table\", \"Row\", "
                          "\"Change\", \"By\", \"At\", \"Session\") SELECT '%1', %2, '%3', NULL, "
                          "%4, NULL WHERE 1%5;")
        .arg(table, row, kind, latin(SqliteNow), where);
}

QStringList sqliteStatements()
{
    QStringList s = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS \"Quillmark Changes\" (\"Seq\" INTEGER PRIMARY "
                       "KEY AUTOINCREMENT, \"Table\" TEXT NOT NULL, \"Row\" INTEGER NOT NULL, "
                       "\"Change\" TEXT NOT NULL, \"By\" TEXT, \"At\" TEXT NOT NULL, \"Session\" "
                       "TEXT, UNIQUE (\"Table\", \"Row\"))"),
    };
    for (const CaseTable &t : CaseTables) {
        const QString table = latin(t.name);
        const QString prefix =
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"Quillmark Changes %1 ").arg(table);
        s << prefix + QStringLiteral("Insert\" AFTER INSERT ON %1 BEGIN %2 END")
                          .arg(table, sqliteNote(table, QStringLiteral("NEW.rowid"),
                                                 QStringLiteral("insert")));
        // A row given another key is gone under the old one.
        s << prefix +
                 QStringLiteral("Update\" AFTER UPDATE ON %1 BEGIN %2 %3 END")
                     .arg(table,
                          sqliteNote(table, QStringLiteral("OLD.rowid"), QStringLiteral("delete"),
                                     QStringLiteral("OLD.rowid <> NEW.rowid")),
                          sqliteNote(table, QStringLiteral("NEW.rowid"), QStringLiteral("update")));
        s << prefix + QStringLiteral("Delete\" AFTER DELETE ON %1 BEGIN %2 END")
                          .arg(table, sqliteNote(table, QStringLiteral("OLD.rowid"),
                                                 QStringLiteral("delete")));
    }
    return s;
}

// The side table and the six triggers.
constexpr int SqliteObjects = 7;

int sqliteObjectCount(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(
            QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = 'Quillmark "
                           "Changes' OR (type = 'trigger' AND name LIKE 'Quillmark Changes %')")) ||
        !q.next())
        throw SqliteBackend::sqliteError(q.lastError(), QStringLiteral("Reading the tables"));
    return q.value(0).toInt();
}

// ---- A server -------------------------------------------------------------

// Runs with the rights of its owner, who made the side table: a steward's
// role needs none on it to save. The names are the ones of the schema it
// was made in.
QString postgresFunction(const QString &table, const QString &key)
{
    QString f =
        QStringLiteral(R"sql(CREATE OR REPLACE FUNCTION "Quillmark Changes @T"() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $f$
DECLARE
  s text := nullif(current_setting('quillmark.session', true), '');
  n bigint;
  keys text;
BEGIN
  IF TG_OP = 'INSERT' THEN
    INSERT INTO "Quillmark Changes" ("Table", "Row", "Change", "By", "At", "Seq", "Session")
      SELECT '@T', r.@K, 'insert', session_user, now(), nextval('"Quillmark Changes Seq"'), s
      FROM new_rows r
      ON CONFLICT ("Table", "Row") DO UPDATE SET "Change" = EXCLUDED."Change",
        "By" = EXCLUDED."By", "At" = EXCLUDED."At", "Seq" = EXCLUDED."Seq",
        "Session" = EXCLUDED."Session";
    GET DIAGNOSTICS n = ROW_COUNT;
    IF n <= @N THEN SELECT string_agg(r.@K::text, ',') INTO keys FROM new_rows r; END IF;
  ELSIF TG_OP = 'UPDATE' THEN
    INSERT INTO "Quillmark Changes" ("Table", "Row", "Change", "By", "At", "Seq", "Session")
      SELECT '@T', r.@K, 'update', session_user, now(), nextval('"Quillmark Changes Seq"'), s
      FROM new_rows r
      UNION ALL
      SELECT '@T', o.@K, 'delete', session_user, now(), nextval('"Quillmark Changes Seq"'), s
      FROM old_rows o WHERE NOT EXISTS (SELECT 1 FROM new_rows r WHERE r.@K = o.@K)
      ON CONFLICT ("Table", "Row") DO UPDATE SET "Change" = EXCLUDED."Change",
        "By" = EXCLUDED."By", "At" = EXCLUDED."At", "Seq" = EXCLUDED."Seq",
        "Session" = EXCLUDED."Session";
    GET DIAGNOSTICS n = ROW_COUNT;
    IF n <= @N THEN
      SELECT string_agg(k::text, ',') INTO keys
      FROM (SELECT r.@K AS k FROM new_rows r UNION SELECT o.@K FROM old_rows o) x;
    END IF;
  ELSE
    INSERT INTO "Quillmark Changes" ("Table", "Row", "Change", "By", "At", "Seq", "Session")
      SELECT '@T', o.@K, 'delete', session_user, now(), nextval('"Quillmark Changes Seq"'), s
      FROM old_rows o
      ON CONFLICT ("Table", "Row") DO UPDATE SET "Change" = EXCLUDED."Change",
        "By" = EXCLUDED."By", "At" = EXCLUDED."At", "Seq" = EXCLUDED."Seq",
        "Session" = EXCLUDED."Session";
    GET DIAGNOSTICS n = ROW_COUNT;
    IF n <= @N THEN SELECT string_agg(o.@K::text, ',') INTO keys FROM old_rows o; END IF;
  END IF;
  IF n > 0 THEN
    PERFORM pg_notify('@C', coalesce(s, '') || chr(31) || '@T' || chr(31) || lower(TG_OP)
      || chr(31) || floor(extract(epoch FROM now()) * 1000)::bigint::text || chr(31)
      || CASE WHEN n <= @N THEN coalesce(keys, '') ELSE '*' END || chr(31) || current_schema()
      || chr(31) || currval('"Quillmark Changes Seq"')::text || chr(31) || session_user);
  END IF;
  RETURN NULL;
END$f$)sql");
    f.replace(QStringLiteral("@T"), table);
    f.replace(QStringLiteral("@K"), JetSql::quoteIdentifier(key));
    f.replace(QStringLiteral("@N"), QString::number(ChangeLog::NoticeRowsAtMost));
    f.replace(QStringLiteral("@C"), latin(ChangeLog::Channel));
    return f;
}

// Set-based: a statement that writes many rows (an import, a copy, a
// restore) notes them with one insert, not one trigger call per row.
QString postgresTrigger(const QString &table, const QString &event, const QString &referencing)
{
    return QStringLiteral("DO $d$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_trigger t JOIN pg_class c "
                          "ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE n.nspname = current_schema() AND t.tgname = 'Quillmark Changes "
                          "%1 %2') THEN CREATE TRIGGER \"Quillmark Changes %1 %2\" AFTER %3 ON "
                          "\"%1\" REFERENCING %4 FOR EACH STATEMENT EXECUTE FUNCTION \"Quillmark "
                          "Changes %1\"(); END IF; END$d$")
        .arg(table, event, event.toUpper(), referencing);
}

const char *const PostgresObjectsSql =
    "to_regclass('\"Quillmark Changes\"') IS NOT NULL AND to_regclass('\"Quillmark Changes In "
    "Order\"') IS NOT NULL AND (SELECT count(*) FROM pg_trigger "
    "t JOIN pg_class c ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
    "n.nspname = current_schema() AND t.tgname LIKE 'Quillmark Changes %') = 6";

DataError postgresError(const QSqlError &e)
{
    return DataError(e.nativeErrorCode() == QLatin1String("42501") ? DataErrors::ReadOnly
                                                                   : DataErrors::General,
                     e.databaseText().trimmed());
}

QString quoted(const QString &text)
{
    QString t = text;
    t.replace(u'\'', QLatin1String("''"));
    return u'\'' + t + u'\'';
}

ChangeLog::Change changeFrom(const QSqlQuery &q, const QString &table, qint64 row)
{
    ChangeLog::Change c;
    c.table = table;
    c.row = row;
    c.kind = q.value(0).toString();
    c.by = q.value(1).toString();
    const QVariant at = q.value(2);
    if (at.typeId() == QMetaType::QDateTime)
        c.at = at.toDateTime().toUTC();
    else
        c.at = QDateTime::fromString(at.toString(), Qt::ISODateWithMs).toUTC();
    c.session = q.value(3).toString();
    return c;
}

} // namespace

namespace ChangeLog
{

SchemaStep sqliteStep()
{
    SchemaStep step;
    step.name = QStringLiteral("change log");
    step.present = [](const QSqlDatabase &db) { return sqliteObjectCount(db) == SqliteObjects; };
    step.create = [](QSqlQuery &q) {
        for (const QString &sql : sqliteStatements()) {
            if (!q.exec(sql))
                throw SqliteBackend::sqliteError(q.lastError(),
                                                 QStringLiteral("Creating the change log"));
        }
    };
    return step;
}

SchemaStep postgresStep(const QString &lockStatement)
{
    SchemaStep step;
    step.name = QStringLiteral("change log");
    // A role that may not make the triggers (not the tables' owner) leaves
    // the database as it is: the steward's saves go on, without the log,
    // and the other steps of the same opening are not undone.
    step.present = [](const QSqlDatabase &db) {
        QSqlQuery q(db);
        return q.exec(QStringLiteral("SELECT (%1) OR NOT (has_schema_privilege(current_schema(), "
                                     "'CREATE') AND has_table_privilege('\"Employee\"', "
                                     "'TRIGGER') AND has_table_privilege('\"Complaints\"', "
                                     "'TRIGGER'))")
                          .arg(latin(PostgresObjectsSql))) &&
               q.next() && q.value(0).toBool();
    };
    step.create = [lockStatement](QSqlQuery &q) {
        QStringList statements = {
            lockStatement,
            QStringLiteral(
                "CREATE TABLE IF NOT EXISTS \"Quillmark Changes\" (\"Table\" text NOT NULL, "
                "\"Row\" bigint NOT NULL, \"Change\" text NOT NULL, \"By\" text, \"At\" "
                "timestamptz NOT NULL DEFAULT now(), \"Seq\" bigint NOT NULL, \"Session\" text, "
                "PRIMARY KEY (\"Table\", \"Row\"))"),
            QStringLiteral("CREATE SEQUENCE IF NOT EXISTS \"Quillmark Changes Seq\""),
            // The newest number, read as each session starts, and the rows
            // after one, read after a lost session: no scan of a row per
            // case row ever changed.
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"Quillmark Changes In Order\" ON "
                           "\"Quillmark Changes\" (\"Seq\")"),
        };
        for (const CaseTable &t : CaseTables) {
            const QString table = latin(t.name);
            statements << postgresFunction(table, latin(t.serverKey))
                       << postgresTrigger(table, QStringLiteral("Insert"),
                                          QStringLiteral("NEW TABLE AS new_rows"))
                       << postgresTrigger(table, QStringLiteral("Update"),
                                          QStringLiteral("OLD TABLE AS old_rows NEW TABLE AS "
                                                         "new_rows"))
                       << postgresTrigger(table, QStringLiteral("Delete"),
                                          QStringLiteral("OLD TABLE AS old_rows"));
        }
        for (const QString &sql : std::as_const(statements)) {
            if (!q.exec(sql))
                throw postgresError(q.lastError());
        }
    };
    return step;
}

QStringList sqliteSessionStatements(const QString &session)
{
    // Only rows a trigger just noted without a name (every program's
    // triggers do): this connection's changes are this user's.
    return {QStringLiteral("DROP TRIGGER IF EXISTS temp.\"Quillmark Changes By\""),
            QStringLiteral("CREATE TEMP TRIGGER \"Quillmark Changes By\" AFTER INSERT ON "
                           "main.\"Quillmark Changes\" WHEN NEW.\"By\" IS NULL AND "
                           "NEW.\"Session\" IS NULL BEGIN UPDATE \"Quillmark Changes\" SET \"By\" "
                           "= %1, \"Session\" = %2 WHERE \"Seq\" = NEW.\"Seq\"; END")
                .arg(quoted(osUser()), quoted(session))};
}

QStringList postgresSessionStatements(const QString &session)
{
    return {
        QStringLiteral("SELECT set_config('quillmark.session', %1, false)").arg(quoted(session)),
        QStringLiteral("LISTEN %1").arg(latin(Channel))};
}

QString sqliteMissing(const QSqlDatabase &db)
{
    if (sqliteObjectCount(db) == SqliteObjects)
        return {};
    return QStringLiteral("Not available: this database file does not keep who changed its "
                          "records yet; it starts once the program may write the file.");
}

QString postgresMissing(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT %1, has_table_privilege(to_regclass('\"Quillmark "
                               "Changes\"'), 'SELECT')")
                    .arg(latin(PostgresObjectsSql))) ||
        !q.next())
        throw postgresError(q.lastError());
    if (!q.value(0).toBool())
        return QStringLiteral("Not available: the shared database does not keep who changed its "
                              "records yet; it starts once the owner of the case tables opens it "
                              "with this version.");
    if (!q.value(1).toBool())
        return QStringLiteral("Not available: this user may not read who changed the records (the "
                              "table \"Quillmark Changes\"); a server administrator grants it.");
    return {};
}

QString osUser()
{
    if (const passwd *user = ::getpwuid(::geteuid()); user && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    const QString env = qEnvironmentVariable("USER");
    return env.isEmpty() ? QStringLiteral("uid %1").arg(::geteuid()) : env;
}

std::optional<Change> last(const CaseDatabase &db, const QString &table, qint64 row)
{
    QSqlQuery &q = db.cachedQuery(QStringLiteral("SELECT \"Change\", \"By\", \"At\", \"Session\" "
                                                 "FROM \"Quillmark Changes\" WHERE \"Table\" = ? "
                                                 "AND \"Row\" = ?"));
    q.bindValue(0, table);
    q.bindValue(1, row);
    db.exec(q);
    std::optional<Change> found;
    // Read to its end: a server's statement read row by row is under way
    // until then, and the connection's notices wait behind it.
    while (q.next())
        found = changeFrom(q, table, row);
    const QSqlError failed = q.lastError();
    q.finish();
    if (!found && failed.isValid())
        throw db.error(failed);
    return found;
}

std::optional<Notice> parseNotice(const QString &payload)
{
    const QStringList parts = payload.split(QChar(31));
    if (parts.size() < 8)
        return std::nullopt;
    Notice n;
    n.session = parts.at(0);
    n.table = parts.at(1);
    n.kind = parts.at(2);
    bool ok = false;
    n.at = QDateTime::fromMSecsSinceEpoch(parts.at(3).toLongLong(&ok), Qt::UTC);
    if (!ok)
        return std::nullopt;
    n.schema = parts.at(5);
    n.seq = parts.at(6).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    // A role's name may hold the separator: it is the last part.
    n.by = parts.mid(7).join(QChar(31));
    if (parts.at(4) == QLatin1String("*")) {
        n.many = true;
        return n;
    }
    for (const QString &r : parts.at(4).split(u',', Qt::SkipEmptyParts)) {
        const qint64 key = r.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        n.rows << key;
    }
    return n;
}

Watch::Watch(const CaseDatabase &db) : m_db(db)
{
    if (!db.filePath().isEmpty()) {
        poll(); // the version and the last number as they are now
        return;
    }
    // The channel is the whole database's: the case tables of another
    // schema in it are another office's.
    QSqlQuery &q = db.cachedQuery(QStringLiteral(
        "SELECT current_schema(), coalesce(max(\"Seq\"), 0) FROM \"Quillmark Changes\""));
    db.exec(q);
    if (!q.next())
        throw db.error(q.lastError());
    m_schema = q.value(0).toString();
    m_lastSeq = q.value(1).toLongLong();
    q.finish();
    m_sessionStarts = db.changeSessionStarts();
    // Whatever the server sent before is no news.
    db.backend().takeChangeNotices(db.connection());
}

QList<Change> Watch::poll()
{
    QList<Change> changes;
    const QString own = m_db.backend().changeSession();
    if (m_db.filePath().isEmpty()) {
        // The session was made again after a lost one: what others
        // committed meanwhile was told to nobody listening. The side table
        // has it, numbered after the last notice heard (a change told
        // twice is shown again, no harm; one whose number was taken before
        // that notice's but committed while nobody listened is missed).
        // Read before the notices are taken: a failure leaves both for the
        // next look.
        const int starts = m_db.changeSessionStarts();
        if (starts != m_sessionStarts) {
            changes = readSince(own);
            m_sessionStarts = starts;
        }
        for (const QString &payload : m_db.backend().takeChangeNotices(m_db.connection())) {
            const std::optional<Notice> n = parseNotice(payload);
            if (!n || n->schema != m_schema)
                continue;
            m_lastSeq = std::max(m_lastSeq, n->seq);
            if (n->session == own)
                continue;
            Change c{n->table, -1, n->kind, n->by, n->at, n->session};
            if (n->many) {
                changes << c;
                continue;
            }
            for (qint64 row : n->rows) {
                c.row = row;
                changes << c;
            }
        }
        return changes;
    }
    QSqlQuery &v = m_db.cachedQuery(QStringLiteral("PRAGMA data_version"));
    m_db.exec(v);
    const qint64 version = v.next() ? v.value(0).toLongLong() : -1;
    v.finish();
    // Another connection committed since the last look (this one's own
    // writes leave the number as it is).
    if (version == m_dataVersion)
        return changes;
    const bool first = m_dataVersion < 0;
    m_dataVersion = version;
    if (first) {
        m_lastSeq = newestSeq();
        return changes;
    }
    return readSince(own);
}

qint64 Watch::newestSeq() const
{
    QSqlQuery &top = m_db.cachedQuery(
        QStringLiteral("SELECT coalesce(max(\"Seq\"), 0) FROM \"Quillmark Changes\""));
    m_db.exec(top);
    const qint64 newest = top.next() ? top.value(0).toLongLong() : 0;
    top.finish();
    return newest;
}

// The side table's rows numbered after the last seen, of sessions other
// than `own`: row by row up to what a notice tells so, and beyond that each
// table with more as "many rows".
QList<Change> Watch::readSince(const QString &own)
{
    QList<Change> changes;
    QSqlQuery &q = m_db.cachedQuery(
        QStringLiteral("SELECT \"Change\", \"By\", \"At\", \"Session\", \"Table\", \"Row\", "
                       "\"Seq\" FROM \"Quillmark Changes\" WHERE \"Seq\" > ? ORDER BY \"Seq\" "
                       "LIMIT %1")
            .arg(NoticeRowsAtMost + 1));
    q.bindValue(0, m_lastSeq);
    m_db.exec(q);
    qint64 seen = m_lastSeq;
    while (q.next()) {
        const Change c = changeFrom(q, q.value(4).toString(), q.value(5).toLongLong());
        seen = std::max(seen, q.value(6).toLongLong());
        if (c.session != own || own.isEmpty())
            changes << c;
    }
    const QSqlError failed = q.lastError();
    q.finish();
    if (failed.isValid())
        throw m_db.error(failed);
    const qint64 newest = newestSeq();
    if (newest > seen) {
        QSqlQuery &rest = m_db.cachedQuery(QStringLiteral(
            "SELECT 'update', max(\"By\"), max(\"At\"), NULL, \"Table\" FROM \"Quillmark Changes\" "
            "WHERE \"Seq\" > ? AND (\"Session\" IS NULL OR \"Session\" <> ?) GROUP BY \"Table\""));
        rest.bindValue(0, seen);
        rest.bindValue(1, own);
        m_db.exec(rest);
        while (rest.next()) {
            changes << changeFrom(rest, rest.value(4).toString(), -1);
        }
        rest.finish();
    }
    m_lastSeq = std::max(seen, newest);
    return changes;
}

QString describe(const Change &change)
{
    const QLocale locale;
    const QDateTime local = change.at.toLocalTime();
    const QString who = change.by.isEmpty() ? QStringLiteral("another program") : change.by;
    return QStringLiteral("Last changed by %1 on %2 %3")
        .arg(who, locale.toString(local.date(), QLocale::ShortFormat),
             locale.toString(local.time(), QLocale::ShortFormat));
}

} // namespace ChangeLog
