#pragma once

#include "safekeeping/CaseShape.h"

#include <QList>
#include <QPair>
#include <QString>

struct sqlite3;

struct RestoreResult {
    bool ok = false;
    QString error;      // for the steward, when not ok
    QList<qint64> rows; // rows per table of the shape, in the file restored
};

// Puts the records of a backup in place of those of a case database that
// may be open in this and in other programs.
//
// The file is not swapped under anybody: SQLite's backup API writes the
// backup's pages into the database through a connection of its own, in one
// write transaction, so every other connection sees either the old records
// or the restored ones, and a failure (a lock held too long, a full disk)
// leaves the old ones as they were. What is written is a private copy of
// the backup, checked whole before a page is written (a damaged or foreign
// file changes nothing), whose numbering is first raised to the highest
// number the database has ever handed out: a grievance number printed
// before the restore is never handed out again.
class CaseRestore
{
  public:
    static RestoreResult replace(const QString &backup, const QString &database,
                                 const CaseShape &shape);

    // Per numbered table, the highest key it ever handed out.
    using Numbering = QList<QPair<QString, qint64>>;
    // Raises the numbering of `into` to at least that of `from`, for a file
    // put in place of another by other means (the damaged one kept aside).
    static bool carryNumbering(const QString &from, const QString &into, QString *error);
    static bool carryNumbering(sqlite3 *into, const Numbering &numbering, QString *error);
};
