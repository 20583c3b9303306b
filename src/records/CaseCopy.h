#pragma once

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <functional>

class DatabaseBackend;

struct CaseCopyCounts {
    qint64 employees = 0;
    qint64 complaints = 0;
};

struct CaseCopyOptions {
    // Deletes what the target's case tables hold, inside the copy's
    // transaction; without it a target that holds rows is refused.
    bool replace = false;
    const std::atomic<bool> *cancel = nullptr;
    // Rows copied and checked so far, of `total`.
    std::function<void(qint64 done, qint64 total)> progress;
};

// Copies both case tables from one case database into another, e.g. a
// steward's file onto the office's server or the server's tables into a new
// file for a laptop. The original is read in one snapshot, so a steward
// saving meanwhile changes nothing of what is copied; the copy is written in
// one transaction and, before it is committed, read back and compared with
// what was read, row count and checksum of every row; anything else rolls it
// all back. Grievance Numbers keep their values; the server numbers new
// complaints after the highest one copied. Employee's hidden key is the
// target's own. Throws DataError, the target then as it was.
class CaseCopy
{
  public:
    // Rows read and inserted per statement: the copy holds no more than
    // this many rows in memory at a time.
    static constexpr int ReadRows = 2000;
    static constexpr int InsertRows = 100;

    // The rows the case tables of `database` hold now; none when it has no
    // case tables yet.
    static CaseCopyCounts rowsIn(const DatabaseBackend &database);

    // Into a database that exists (a server): its case tables are made when
    // it has none.
    static CaseCopyCounts copy(const DatabaseBackend &source, const DatabaseBackend &target,
                               const CaseCopyOptions &options = {});

    // Into a new SQLite file at `path`, never over a file of that name: the
    // copy is built beside it under a name of its own and takes the name
    // only once it is committed.
    static CaseCopyCounts toNewFile(const DatabaseBackend &source, const QString &path,
                                    const CaseCopyOptions &options = {});
};
