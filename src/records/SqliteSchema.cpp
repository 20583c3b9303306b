#include "records/SqliteSchema.h"

#include "jetsql/JetSql.h"
#include "records/CaseSchema.h"
#include "records/DeadlineSchema.h"
#include "records/FindIndex.h"
#include "records/SqliteBackend.h"

#include <QSqlError>
#include <QSqlQuery>

namespace
{

// The numbered key is the rowid itself; AUTOINCREMENT never hands out the
// number of a deleted grievance again.
QString columnDefinitions(const QList<CaseSchema::Column> &columns)
{
    return CaseSchema::columnDefinitions(columns,
                                         QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
                                         QStringLiteral("VARCHAR(%1) COLLATE NOCASE"));
}

void run(QSqlQuery &q, const QStringList &statements)
{
    for (const QString &sql : statements) {
        if (!q.exec(sql))
            throw SqliteBackend::sqliteError(q.lastError(), QStringLiteral("Creating the tables"));
    }
}

} // namespace

namespace SqliteSchema
{

QList<SchemaStep> steps()
{
    SchemaStep tables;
    tables.name = QStringLiteral("case tables");
    tables.newDatabaseOnly = true;
    tables.create = [](QSqlQuery &q) {
        run(q, {QStringLiteral("CREATE TABLE Employee (%1)")
                    .arg(columnDefinitions(CaseSchema::employeeColumns())),
                QStringLiteral("CREATE TABLE Complaints (%1)")
                    .arg(columnDefinitions(CaseSchema::complaintsColumns()))});
    };
    SchemaStep indexes;
    indexes.name = QStringLiteral("file number indexes");
    indexes.newDatabaseOnly = true;
    indexes.create = [](QSqlQuery &q) {
        run(q,
            {QStringLiteral("CREATE INDEX \"Employee File Number\" ON Employee (\"File Number\")"),
             QStringLiteral(
                 "CREATE INDEX \"Complaints File Number\" ON Complaints (\"File Number\")")});
    };
    // The full-text index behind Find, made with a new file. A file from
    // before Find gets it in the background once the steward works on it
    // (FindIndexBuild): opening a file never waits for it, and a file only
    // tested or reloaded is never written.
    SchemaStep find;
    find.name = QStringLiteral("find index");
    find.newDatabaseOnly = true;
    find.create = [](QSqlQuery &q) { run(q, FindIndex::createStatements()); };
    DeadlineSchema::Words words;
    // An INTEGER PRIMARY KEY is the row's own key, as the complaints' is.
    words.grievanceNumber = QStringLiteral("INTEGER");
    words.text = QStringLiteral("VARCHAR(%1)");
    words.presentSql = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                                      "(?, ?, ?, ?, ?, ?)");
    words.error = [](const QSqlError &e) { return SqliteBackend::sqliteError(e); };
    return {tables, indexes, find, DeadlineSchema::step(words)};
}

} // namespace SqliteSchema
