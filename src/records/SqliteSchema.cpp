#include "records/SqliteSchema.h"

#include "jetsql/JetSql.h"
#include "records/CaseSchema.h"
#include "records/ChangeLog.h"
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
    words.fileNumber = QStringLiteral("VARCHAR(%1) COLLATE NOCASE");
    words.fileNumberKey = QStringLiteral("%1");
    words.columnPresentSql =
        QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE name = ?");
    words.indexesPresentSql = QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN (?, ?)");
    // A status takes its complaint's file number as it is written; a
    // complaint's new file number reaches its status.
    words.followFileNumbers = {
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"Grievance Status File Number\" AFTER "
                       "INSERT ON \"Grievance Status\" BEGIN UPDATE \"Grievance Status\" SET "
                       "\"File Number\" = (SELECT c.\"File Number\" FROM Complaints c WHERE "
                       "c.\"Grievance Number\" = NEW.\"Grievance Number\") WHERE \"Grievance "
                       "Number\" = NEW.\"Grievance Number\"; END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"Complaints File Number Status\" AFTER "
                       "UPDATE OF \"File Number\", \"Grievance Number\" ON Complaints BEGIN "
                       "UPDATE \"Grievance Status\" SET \"File Number\" = NEW.\"File Number\" "
                       "WHERE \"Grievance Number\" = NEW.\"Grievance Number\"; END"),
    };
    return {tables,
            indexes,
            find,
            DeadlineSchema::step(words),
            DeadlineSchema::fileNumberStep(words),
            ChangeLog::sqliteStep()};
}

} // namespace SqliteSchema
