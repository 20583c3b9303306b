#pragma once

#include "safekeeping/CsvImport.h"

#include <QIODevice>
#include <QString>
#include <atomic>
#include <functional>

class DatabaseBackend;

// A CSV import into one case table of either back end, through the data
// layer's import writer: on a connection of its own and in one write
// transaction, every row of the file is added, or (at the first refused
// row, a cancel, a full disk, a lost server) none is. The result's rows are
// those handed on before the end; only when ok were they added (all but the
// skipped ones). Imported complaints are numbered after every Grievance
// Number the database ever handed out, and its numbering continues after
// them. On a server the case tables are the import's alone while it writes:
// what it found held is still so when the row is written.
//
// Rows whose value of one field a row of the table already held before the
// import (an employee's file number) are looked for: with `count`, only
// counted without writing anything, so that the steward can be asked first
// whether to add them; writing, left out (counted as skipped), or with
// `addKnown` added all the same.
struct TableImportOptions {
    const std::atomic<bool> *cancel = nullptr;
    std::function<void(qint64 rows)> progress;
    QString field; // rows whose value of it is held already: skipped
    bool count = false;
    // Writing: the rows whose value of `field` is held are added, not
    // skipped, but only as many as `knownCounted` (what the steward was
    // asked about). One more refuses the import: another steward saved such
    // a record since the count.
    bool addKnown = false;
    qint64 knownCounted = 0;
};

class TableImport
{
  public:
    using Options = TableImportOptions;

    static CsvImportResult run(const DatabaseBackend &database, const QString &table,
                               const QList<CsvColumn> &fields, QIODevice &file,
                               const Options &options = {});
    // The same for a database location (a file path or a postgresql:// URI).
    static CsvImportResult run(const QString &location, const QString &table,
                               const QList<CsvColumn> &fields, QIODevice &file,
                               const Options &options = {});
};
