#include "records/CaseCopyDeadlines.h"

#include "records/CaseCopyTexts.h"
#include "records/DatabaseBackend.h"
#include "records/DeadlineSchema.h"

#include <QSqlDatabase>

namespace CaseCopyDeadlines
{

namespace
{

CaseCopyTable table(const char *name)
{
    CaseCopyTable t{name, DeadlineSchema::columns(name), false, {}, {}};
    t.keyColumns = DeadlineSchema::keyColumns(name);
    const QString self = QStringLiteral("\"%1\"").arg(QLatin1String(name));
    if (QLatin1String(name) == QLatin1String(DeadlineSchema::StatusTable))
        t.sourceCondition = QStringLiteral("EXISTS (SELECT 1 FROM \"Complaints\" k WHERE "
                                           "k.\"Grievance Number\" = %1.\"Grievance Number\")")
                                .arg(self);
    else if (QLatin1String(name) == QLatin1String(DeadlineSchema::StepsTable))
        t.sourceCondition = QStringLiteral("EXISTS (SELECT 1 FROM \"%1\" g JOIN \"Complaints\" k "
                                           "ON k.\"Grievance Number\" = g.\"Grievance Number\" "
                                           "WHERE g.\"Grievance Number\" = %2.\"Grievance "
                                           "Number\")")
                                .arg(QLatin1String(DeadlineSchema::StatusTable), self);
    return t;
}

} // namespace

QList<CaseCopyTable> tables()
{
    using namespace DeadlineSchema;
    // Parents first: a server checks every row's complaint as it arrives.
    return {table(SettingsTable), table(LimitsTable), table(HolidaysTable), table(StatusTable),
            table(StepsTable)};
}

bool present(const DatabaseBackend &database, const QSqlDatabase &db)
{
    const QList<StoredTable> found = database.tables(db);
    for (const char *name : DeadlineSchema::tables()) {
        bool there = false;
        for (const StoredTable &t : found)
            there = there || t.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        if (!there)
            return false;
    }
    return true;
}

void prepare(const DatabaseBackend &target, const QSqlDatabase &db, QSqlQuery &q)
{
    for (const SchemaStep &step : target.schemaSteps())
        if (step.holdsCopiedRows && !(step.present && step.present(db))) {
            try {
                step.create(q);
            } catch (const DataError &e) {
                throw DataError(e.number(), QString::fromUtf8(CaseCopyTexts::DeadlineTablesRefused)
                                                .arg(target.displayName(), e.description()));
            }
        }
}

bool followsComplaints(const CaseCopyTable &table)
{
    const QLatin1String name(table.name);
    return name == QLatin1String(DeadlineSchema::StatusTable) ||
           name == QLatin1String(DeadlineSchema::StepsTable);
}

} // namespace CaseCopyDeadlines
