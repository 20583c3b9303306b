#pragma once

#include "records/SchemaStep.h"

#include <QString>

class CaseDatabase;
class QSqlDatabase;

// What Find searches on a PostgreSQL server: the texts folded to lower case
// by ICU's root collation (the columns' own "C" collation folds ASCII
// alone), the indexes that serve the search, and the step that makes them.
// A name, file number or department has a trigram index for a text found
// anywhere in it and a b-tree for a short text that it begins with; a
// complaint's remedy, contract provisions and joined case facts have a
// trigram index each.
namespace PostgresFind
{

// expr folded as every search compares it; the same words as in the index.
QString folded(const QString &expr);

// The case facts of a complaint in one text, its three pieces joined.
QString caseFacts(const QString &alias);

// Whether every index is there in the current schema.
bool indexesPresent(const QSqlDatabase &db);
// The same asked through the open case database as any search asks: on a
// connection opened anew after the server was lost, and a lost server
// reported as such. Throws DataError.
bool indexesPresent(const CaseDatabase &db);

// Makes pg_trgm where the role may and the indexes; without the right the
// step leaves the database as it was and Find scans. lock: the statement
// that makes two programs adding to one database take turns.
SchemaStep step(const QString &lock);

} // namespace PostgresFind
