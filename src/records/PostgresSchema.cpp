#include "records/PostgresSchema.h"

#include "jetsql/JetSql.h"
#include "records/CaseSchema.h"
#include "records/ChangeLog.h"
#include "records/DeadlineSchema.h"
#include "records/PostgresBackend.h"
#include "records/PostgresFind.h"

#include <QSqlError>
#include <QSqlQuery>

namespace
{

// Numbered by the server and never handed out again; the steward's role
// needs no right on a sequence to insert.
QString columnDefinitions(const QList<CaseSchema::Column> &columns)
{
    return CaseSchema::columnDefinitions(
        columns, QStringLiteral("bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY"),
        QStringLiteral("varchar(%1) COLLATE \"C\""));
}

// Any number will do as long as only this program takes it: two programs
// making the tables of one new database at once take turns.
constexpr qint64 SchemaLockId = 0x51554D4B; // "QUMK"

// A trigger calling the function of its name, made unless another program
// made it first (without the notice a DROP ... IF EXISTS prints).
QString onceTrigger(const QString &name, const QString &when)
{
    return QStringLiteral("DO $d$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_trigger t JOIN pg_class c "
                          "ON c.oid = t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
                          "WHERE n.nspname = current_schema() AND t.tgname = '%1') THEN CREATE "
                          "TRIGGER \"%1\" %2 EXECUTE FUNCTION \"%1\"(); END IF; END$d$")
        .arg(name, when);
}

// Each save's identity, kept for a while beside the row it wrote (see
// CaseDatabase::remembersSaves).
SchemaStep savesStep()
{
    SchemaStep saves;
    saves.name = QStringLiteral("save identities");
    saves.present = [](const QSqlDatabase &db) {
        QSqlQuery q(db);
        return q.exec(QStringLiteral("SELECT to_regclass('\"Quillmark Saves\"') IS NOT NULL")) &&
               q.next() && q.value(0).toBool();
    };
    saves.create = [](QSqlQuery &q) {
        const QStringList statements = {
            QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockId),
            QStringLiteral("CREATE TABLE IF NOT EXISTS \"Quillmark Saves\" (\"Save\" uuid PRIMARY "
                           "KEY, \"Table\" text NOT NULL, \"Row\" bigint NOT NULL, \"Row Digest\" "
                           "text NOT NULL, \"Saved\" timestamptz NOT NULL DEFAULT now())"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"Quillmark Saves Saved\" ON \"Quillmark "
                           "Saves\" (\"Saved\")"),
        };
        for (const QString &sql : statements) {
            if (q.exec(sql))
                continue;
            throw DataError(q.lastError().nativeErrorCode() == QLatin1String("42501")
                                ? DataErrors::ReadOnly
                                : DataErrors::General,
                            q.lastError().databaseText().trimmed());
        }
    };
    return saves;
}

} // namespace

namespace PostgresSchema
{

QList<SchemaStep> steps()
{
    SchemaStep tables;
    tables.name = QStringLiteral("case tables");
    tables.newDatabaseOnly = true;
    tables.create = [](QSqlQuery &q) {
        const QString key =
            JetSql::quoteIdentifier(QString::fromLatin1(PostgresBackend::HiddenKey));
        const QStringList statements = {
            QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockId),
            QStringLiteral("CREATE TABLE IF NOT EXISTS \"Employee\" (%1 bigint GENERATED ALWAYS "
                           "AS IDENTITY PRIMARY KEY, %2)")
                .arg(key, columnDefinitions(CaseSchema::employeeColumns())),
            QStringLiteral("CREATE TABLE IF NOT EXISTS \"Complaints\" (%1)")
                .arg(columnDefinitions(CaseSchema::complaintsColumns())),
            // NULLS FIRST as the record sets order: one index serves the
            // forward and the backward walk.
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"Employee File Number\" ON \"Employee\" "
                           "(lower(\"File Number\") NULLS FIRST, %1)")
                .arg(key),
            QStringLiteral("CREATE INDEX IF NOT EXISTS \"Complaints File Number\" ON "
                           "\"Complaints\" (lower(\"File Number\") NULLS FIRST, "
                           "\"Grievance Number\")"),
        };
        for (const QString &sql : statements) {
            if (q.exec(sql))
                continue;
            if (q.lastError().nativeErrorCode() == QLatin1String("42501"))
                throw DataError(DataErrors::CannotOpen,
                                QStringLiteral("The shared database has no case tables yet, and "
                                               "this user may not create them. A server "
                                               "administrator creates them once (%1).")
                                    .arg(q.lastError().databaseText().trimmed()));
            throw DataError(DataErrors::CannotOpen,
                            QStringLiteral("The case tables cannot be created on the server "
                                           "(%1).")
                                .arg(q.lastError().databaseText().trimmed()));
        }
    };
    // The deadline tables: on a server from before them, made at the first
    // opening by a user who may (the owner); until then the steward's role
    // works without them.
    DeadlineSchema::Words words;
    words.grievanceNumber = QStringLiteral("bigint");
    words.text = QStringLiteral("varchar(%1) COLLATE \"C\"");
    words.before = {QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockId)};
    words.presentSql = QStringLiteral(
        "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
        "n.nspname = current_schema() AND c.relname IN (?, ?, ?, ?, ?, ?)");
    words.error = [](const QSqlError &e) {
        if (e.nativeErrorCode() == QLatin1String("42501"))
            return DataError(DataErrors::ReadOnly, e.databaseText().trimmed());
        return DataError(DataErrors::General, e.databaseText().trimmed());
    };
    words.fileNumber = QStringLiteral("varchar(%1) COLLATE \"C\"");
    words.fileNumberKey = QStringLiteral("lower(%1)");
    words.columnPresentSql = QStringLiteral(
        "SELECT count(*) FROM information_schema.columns WHERE table_schema = current_schema() "
        "AND table_name = ? AND column_name = ?");
    words.indexesPresentSql = QStringLiteral(
        "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
        "n.nspname = current_schema() AND c.relkind = 'i' AND c.relname IN (?, ?)");
    // A status takes its complaint's file number as it is written; a
    // complaint's new file number reaches its status.
    words.followFileNumbers = {
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION \"Grievance Status File Number\"() RETURNS trigger "
            "LANGUAGE plpgsql AS $f$BEGIN NEW.\"File Number\" := (SELECT c.\"File Number\" FROM "
            "\"Complaints\" c WHERE c.\"Grievance Number\" = NEW.\"Grievance Number\"); RETURN "
            "NEW; END$f$"),
        onceTrigger(QStringLiteral("Grievance Status File Number"),
                    QStringLiteral("BEFORE INSERT ON \"Grievance Status\" FOR EACH ROW")),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION \"Complaints File Number Status\"() RETURNS trigger "
            "LANGUAGE plpgsql AS $f$BEGIN UPDATE \"Grievance Status\" SET \"File Number\" = "
            "NEW.\"File Number\" WHERE \"Grievance Number\" = NEW.\"Grievance Number\"; RETURN "
            "NULL; END$f$"),
        onceTrigger(QStringLiteral("Complaints File Number Status"),
                    QStringLiteral("AFTER UPDATE OF \"File Number\" ON \"Complaints\" FOR EACH ROW "
                                   "WHEN (OLD.\"File Number\" IS DISTINCT FROM NEW.\"File "
                                   "Number\")")),
    };
    // Last: a role that may not make them leaves the others as they are.
    return {
        tables,
        DeadlineSchema::step(words),
        DeadlineSchema::fileNumberStep(words),
        savesStep(),
        PostgresFind::step(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockId)),
        ChangeLog::postgresStep(
            QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockId))};
}

} // namespace PostgresSchema
