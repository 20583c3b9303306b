#include "records/PostgresSchema.h"

#include "jetsql/JetSql.h"
#include "records/CaseSchema.h"
#include "records/DeadlineSchema.h"
#include "records/PostgresBackend.h"

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
    return {tables, DeadlineSchema::step(words)};
}

} // namespace PostgresSchema
