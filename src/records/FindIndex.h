#pragma once

#include <QStringList>

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
// A new file gets the index with its tables. A file from before Find gets
// it in the background, in steps (FindIndexBuild): while it is built, the
// file holds a table saying how far each index reaches, and the triggers
// touch only the rows below that mark, so a row is indexed exactly once,
// by the triggers or by the build, and a build stopped anywhere resumes.
//
// This is the SQLite back end's index. A server back end keeps its own kind
// (pg_trgm indexes on the same columns) and answers the same searches.
namespace FindIndex
{

extern const char *const EmployeeIndex;  // the FTS5 table over Employee
extern const char *const ComplaintIndex; // the FTS5 table over Complaints
// While a build is under way: one row per table, the highest row key the
// index holds (every row at or below it is indexed, none above it).
extern const char *const BuildTable;

enum class State {
    Absent,   // no index (or a stray part of one): searches scan the tables
    Building, // the index reaches part of the rows
    Ready,    // the index holds every row
};
State state(const QSqlDatabase &db);
// Whether every part is in the file and complete.
bool isPresent(const QSqlDatabase &db);

// Creates every part on a database that holds the two tables, filling the
// indexes from the rows already there in one go. Runs inside the caller's
// transaction: for a new file, or a tool that fills a file in one pass.
QStringList createStatements();
// Removes every part (the tables' rows stay).
QStringList dropStatements();

// The steps of a build (FindIndexBuild runs them, each in a transaction of
// its own). The parts without their b-tree indexes and with triggers that
// stop at the build's mark, and the mark below every row.
QStringList beginBuildStatements();
// The b-tree indexes, one statement each: on a large file each takes a
// second or so, so each is a step of its own.
QStringList btreeIndexStatements();
// Once the mark is past every row of both tables: the triggers for good,
// and the mark gone.
QStringList finishBuildStatements();

} // namespace FindIndex
