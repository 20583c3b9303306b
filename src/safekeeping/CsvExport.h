#pragma once

#include "safekeeping/PrivateOutput.h"

#include <QString>
#include <QVariantList>
#include <atomic>
#include <functional>

class CaseDatabase;

struct CsvExportOptions {
    // Set from another thread (the progress dialog's Cancel) to stop.
    const std::atomic<bool> *cancel = nullptr;
    // Rows written so far, every few thousand rows and at the end.
    std::function<void(qint64 rows)> progress;
    PrivateOutput::Replace replace = PrivateOutput::Replace::Allowed;
};

struct CsvExportResult {
    bool ok = false;
    bool cancelled = false;
    QString error; // for the steward, when not ok
    QString path;
    qint64 rows = 0; // rows below the header
};

// Writes records to a CSV file (see CsvWriter for the format), straight
// from SQLite to the file: one row at a time, never the table in memory.
class CsvExport
{
  public:
    // The whole table in its stored order.
    static QString tableQuery(const QString &table);

    // Runs `select` with `values` bound to its parameters on a read-only
    // connection of its own, in one read transaction (so the file is the
    // records as they were at one moment, while the window goes on
    // saving), and writes the header (the result's column names) and the
    // rows to `target`. The file is private and takes its name only when
    // it is complete: a failed or cancelled export leaves whatever had the
    // name before as it was.
    static CsvExportResult toFile(const QString &databasePath, const QString &select,
                                  const QVariantList &values, const QString &target,
                                  const CsvExportOptions &options = {});

    // The same file for a whole table read through the data layer, on any
    // back end (a shared server too): its columns in their stored order,
    // its rows in the order of its key, all in one read transaction of a
    // connection of its own. `db` gives only where the records are and the
    // table's shape, read here; the rows are read on the calling thread.
    static CsvExportResult tableToFile(const CaseDatabase &db, const QString &table,
                                       const QString &target, const CsvExportOptions &options = {});

    // The same file for what `select` (the server's dialect, `values` bound
    // to its parameters) reads from a shared server, in one read
    // transaction of a connection of its own: a grid's rows, with its
    // filter and in its order. The header is the result's column names.
    static CsvExportResult serverSelectToFile(const CaseDatabase &db, const QString &select,
                                              const QVariantList &values, const QString &target,
                                              const CsvExportOptions &options = {});
};
