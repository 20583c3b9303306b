#pragma once

#include "records/SchemaStep.h"

#include <QList>

// The steps that make a case database on a PostgreSQL server: both tables
// with every text column COLLATE "C", Employee's hidden key, and the file
// number indexes on lower() that the lookup and the keyset paging walk.
namespace PostgresSchema
{
QList<SchemaStep> steps();
}
