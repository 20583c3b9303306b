#include "records/DatabaseBackend.h"

#include "records/CaseSchema.h"
#include "records/PostgresBackend.h"
#include "records/SqliteBackend.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

std::unique_ptr<DatabaseBackend> DatabaseBackend::forLocation(const QString &location)
{
    if (PostgresBackend::isServerLocation(location))
        return std::make_unique<PostgresBackend>(location);
    return std::make_unique<SqliteBackend>(location);
}

DatabaseBackend::DatabaseBackend(QString location)
    : m_location(std::move(location)),
      m_changeSession(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

DatabaseBackend::~DatabaseBackend() = default;

void DatabaseBackend::write(const QSqlDatabase &db,
                            const std::function<void(QSqlQuery &)> &work) const
{
    QSqlQuery q(db);
    if (!q.exec(beginWrite()))
        throw errorFrom(q.lastError());
    auto rollBack = qScopeGuard([&db] {
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
    });
    work(q);
    if (!q.exec(QStringLiteral("COMMIT")))
        throw errorFrom(q.lastError());
    rollBack.dismiss();
}

void DatabaseBackend::requireCaseTables(const QList<StoredTable> &tables) const
{
    auto require = [&](const char *table, const QList<CaseSchema::Column> &expected) {
        const QString name = QString::fromLatin1(table);
        QStringList have;
        for (const StoredTable &t : tables)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                have = t.columns;
        for (const CaseSchema::Column &c : expected) {
            if (!have.contains(QString::fromUtf8(c.name), Qt::CaseInsensitive))
                throw DataError(DataErrors::NotCaseDatabase,
                                QStringLiteral("\"%1\" is not a case database: the table %2 %3.")
                                    .arg(displayName(), name,
                                         have.isEmpty() ? QStringLiteral("is missing")
                                                        : QStringLiteral("has no field \"%1\"")
                                                              .arg(QString::fromUtf8(c.name))));
        }
    };
    require(CaseSchema::EmployeeTable, CaseSchema::employeeColumns());
    require(CaseSchema::ComplaintsTable, CaseSchema::complaintsColumns());
}

void DatabaseBackend::runSchemaSteps(const QSqlDatabase &db, bool newDatabase) const
{
    QList<SchemaStep> due;
    for (const SchemaStep &step : m_steps) {
        if (newDatabase || (!step.newDatabaseOnly && step.present && !step.present(db)))
            due << step;
    }
    if (due.isEmpty())
        return;
    write(db, [&due](QSqlQuery &q) {
        for (const SchemaStep &step : std::as_const(due))
            step.create(q);
    });
}
