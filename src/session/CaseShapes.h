#pragma once

#include "safekeeping/CaseShape.h"
#include "safekeeping/CsvImport.h"

#include <QString>
#include <QStringList>

// The case database as the safekeeping jobs see it, taken from the data
// layer's schema: what a file must hold to count as a case database, and
// what an import may fill.
namespace CaseShapes
{

CaseShape caseShape();
// The two tables, employee first.
QStringList tables();
// Every field of the table but its automatically numbered key, with the
// length its box holds.
QList<CsvColumn> importColumns(const QString &table);
// Rows per table in a report of a check, as "employees" and "complaints".
qint64 employees(const QList<qint64> &rows);
qint64 complaints(const QList<qint64> &rows);

} // namespace CaseShapes
