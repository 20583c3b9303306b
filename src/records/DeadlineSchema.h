#pragma once

#include "jetsql/DataError.h"
#include "records/CaseSchema.h"
#include "records/SchemaStep.h"

#include <QString>
#include <QStringList>
#include <functional>

class QSqlError;

// The tables of grievance steps and deadlines, beside the two case tables
// (which they never change):
//  - "Deadline Settings": one row; its Version grows with every change of
//    the time limits or holidays, and a save of them or of a complaint's
//    steps locks it first, so both are written in turn on a server too;
//  - "Time Limits": the office's steps in order ("Limit" names a step for
//    good, "Position" orders them);
//  - "Holidays": dates, as yyyy-MM-dd;
//  - "Grievance Status": per complaint (its Grievance Number) the status,
//    the dates its steps count from, and the next deadline as it follows
//    from the time limits ("Next Due", indexed for the deadlines list);
//  - "Grievance Steps": per complaint and step the day it was taken, the
//    outcome and a note.
// "Grievance Status" also holds its complaint's "File Number", kept by the
// engine (on every insert of a status and every change of a complaint's
// file number) so that the deadlines list filters by employee without
// reading each complaint; two indexes hold it, one in deadline order.
// Dates are text in ISO order on both engines, so they compare, sort and
// copy alike. A complaint deleted takes its status and steps with it.
namespace DeadlineSchema
{

extern const char *const SettingsTable;
extern const char *const LimitsTable;
extern const char *const HolidaysTable;
extern const char *const StatusTable;
extern const char *const StepsTable;
extern const char *const NextDueIndex;
extern const char *const FileNumberColumn;
extern const char *const DueFileNumberIndex;
extern const char *const FileNumberIndex;

inline constexpr int StepLength = 50;
inline constexpr int OutcomeLength = 50;
inline constexpr int NoteLength = 255;
inline constexpr int DateLength = 10;

// The columns of a table in stored order, with the longest text each holds
// (0 for a number).
const QList<CaseSchema::Column> &columns(const char *table);
// Every table, parents before the tables that refer to them.
QList<const char *> tables();
// How many of a table's first columns make its key.
int keyColumns(const char *table);

// How an engine spells what the tables need.
struct Words {
    QString grievanceNumber;                           // a column holding a Grievance Number
    QString text;                                      // a text of at most %1 characters
    QStringList before;                                // statements run first (a lock, say)
    QString presentSql;                                // counts which of the names bound as ? exist
    std::function<DataError(const QSqlError &)> error; // the engine's error in the catalogue
    // The status's copy of the file number:
    QString fileNumber;            // its column, compared as the complaints' column is
    QString fileNumberKey;         // the value its indexes hold (%1: the column)
    QString columnPresentSql;      // counts the columns named ? of the table named ?
    QString indexesPresentSql;     // counts which of the two indexes bound as ? exist
    QStringList followFileNumbers; // the triggers that keep it, made anew
};

// The step that makes the tables (with the default time limits) in a
// database that lacks them: a new one, or one from before deadlines, which
// gains them at its first opening by a user who may make tables.
SchemaStep step(const Words &words);

// The step that gives "Grievance Status" its copy of the file number, its
// indexes and the triggers that keep it, after `step`: in a new database
// and in one from before them, whose rows gain their file numbers.
SchemaStep fileNumberStep(const Words &words);

} // namespace DeadlineSchema
