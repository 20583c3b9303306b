#pragma once

#include "records/SchemaStep.h"

#include <QList>

// The steps that make a case database in a SQLite file: the two tables,
// their text compared without regard to case by declaration, and the file
// number indexes the lookup walks.
namespace SqliteSchema
{
QList<SchemaStep> steps();
}
