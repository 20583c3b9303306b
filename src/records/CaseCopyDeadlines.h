#pragma once

#include "records/CaseCopyTable.h"

#include <QList>

class DatabaseBackend;
class QSqlDatabase;
class QSqlQuery;

// The tables of grievance steps and deadlines in a copy between case
// databases: copied after the complaints, parents first, each walked by its
// own key and checked like the case tables. The original's rows that belong
// to no complaint (left by a program that does not keep the tables' links)
// stay behind.
namespace CaseCopyDeadlines
{

// In the order they are written.
QList<CaseCopyTable> tables();

// Whether the database holds every one of them.
bool present(const DatabaseBackend &database, const QSqlDatabase &db);

// Makes them in the target when it lacks them, inside the copy's
// transaction. Throws DataError, e.g. when the server does not let this
// user make tables.
void prepare(const DatabaseBackend &target, const QSqlDatabase &db, QSqlQuery &q);

// Whether a table's rows belong to complaints, and so go when the
// complaints they belong to are replaced.
bool followsComplaints(const CaseCopyTable &table);

} // namespace CaseCopyDeadlines
