#pragma once

#include "safekeeping/CaseShape.h"

#include <QList>
#include <QString>

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
// leaves the old ones as they were. The backup is checked whole before a
// page is written; a damaged or foreign file changes nothing.
class CaseRestore
{
  public:
    static RestoreResult replace(const QString &backup, const QString &database,
                                 const CaseShape &shape);
};
