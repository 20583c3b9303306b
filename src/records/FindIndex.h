#pragma once

#include <QStringList>

class CaseDatabase;
class QSqlDatabase;

// The full-text index behind Find: SQLite FTS5 tables with the trigram
// tokenizer (case-insensitive substring search, accents kept as typed) over
// the employees' name, file number and department and over the complaints'
// remedy, contract provisions and case facts (the three pieces joined, so a
// word cut at a piece boundary is still found). Triggers on the two tables
// keep it in step with every writer: the panes, the grids, an import and
// any other program that writes the file. Both indexes read their text from
// the tables themselves (external content), so the file holds no second copy
// of it; the indexes on Name and Department serve searches too short for
// trigrams.
//
// This is the SQLite back end's index. A server back end keeps its own kind
// (pg_trgm indexes on the same columns) and answers the same searches.
namespace FindIndex
{

extern const char *const EmployeeIndex;  // the FTS5 table over Employee
extern const char *const ComplaintIndex; // the FTS5 table over Complaints

// Creates every part on a database that holds the two tables, filling the
// indexes from the rows already there. Runs inside the caller's transaction.
QStringList createStatements();
// Removes every part (the tables' rows stay).
QStringList dropStatements();

// Whether every part is in the file.
bool isPresent(const QSqlDatabase &db);

// Gives an existing case database the index when it lacks it (or holds only
// part of it), in one transaction. A file that cannot be written now (read
// only, or locked by another program past the busy timeout) is left as it
// is: Find then searches without the index. Returns whether it is present.
bool upgrade(CaseDatabase &db);

} // namespace FindIndex
