#pragma once

#include "safekeeping/CsvImport.h"

#include <QIODevice>
#include <QString>
#include <atomic>
#include <functional>

// A CSV import into one table of a case database, on a connection of its
// own and in one write transaction: every row of the file is added, or
// (at the first refused row, a cancel, a full disk) none is. The result's
// rows are those handed on before the end; only when ok were they added.
class TableImport
{
  public:
    static CsvImportResult run(const QString &databasePath, const QString &table,
                               const QList<CsvColumn> &fields, QIODevice &file,
                               const std::atomic<bool> *cancel = nullptr,
                               const std::function<void(qint64 rows)> &progress = {});
};
