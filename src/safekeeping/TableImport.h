#pragma once

#include "safekeeping/CsvImport.h"

#include <QIODevice>
#include <QString>
#include <atomic>
#include <functional>

// A CSV import into one table of a case database, on a connection of its
// own and in one write transaction: every row of the file is added, or
// (at the first refused row, a cancel, a full disk) none is. The result's
// rows are those handed on before the end; only when ok were they added
// (all but the skipped ones).
//
// Rows whose value of one field a row of the table already held before the
// import (an employee's file number) are counted as skipped: left out when
// asked to, or, with `count`, only counted without writing anything, so
// that the steward can be asked first whether to add them.
struct TableImportOptions {
    const std::atomic<bool> *cancel = nullptr;
    std::function<void(qint64 rows)> progress;
    QString field; // rows whose value of it is held already: skipped
    bool count = false;
};

class TableImport
{
  public:
    using Options = TableImportOptions;

    static CsvImportResult run(const QString &databasePath, const QString &table,
                               const QList<CsvColumn> &fields, QIODevice &file,
                               const Options &options = {});
};
