#pragma once

#include "safekeeping/CaseShape.h"

#include <QList>
#include <QString>

struct sqlite3;

// What a look into a file found: whether it is a good case database, and
// if so how many rows each table of the shape holds.
struct CaseFileReport {
    bool good = false;
    QString problem;    // for the steward, when not good
    QList<qint64> rows; // per table, in the shape's order; empty when not good
    qint64 bytes = 0;   // the file's size
    // SQLite itself found the file damaged (not a database, a page or an
    // index that does not read back): not merely locked, unreadable or
    // another program's database. `reason` is SQLite's own word for it.
    bool damaged = false;
    QString reason;
};

// Whether a file is a good case database: a backup before it counts, a file
// offered for restore before it replaces anything. The file is only read,
// and nothing is created beside it (no journal, no lock file) unless it
// already has a journal of its own that must be honoured.
class CaseFileCheck
{
  public:
    enum class Depth {
        Counts, // the tables, their fields and their rows, no page check
        Quick,  // PRAGMA quick_check as well: every page and record readable
        Full,   // PRAGMA integrity_check: also every index against its table
    };

    static CaseFileReport check(const QString &path, const CaseShape &shape,
                                Depth depth = Depth::Full);

    // The same on a connection already open to the file (a backup being
    // made); `name` is the file as the steward knows it.
    static CaseFileReport check(sqlite3 *db, const QString &name, const CaseShape &shape,
                                Depth depth);

    // What the first hundred bytes and the size of the file say, without
    // opening it as a database: empty when it may be a whole SQLite file.
    static QString headerProblem(const QString &path, qint64 *bytes = nullptr,
                                 bool *damaged = nullptr);
};
