#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <atomic>
#include <functional>

// A field of the table that an import fills.
struct CsvColumn {
    QString name;
    // The most characters it holds, counted as the window's boxes count
    // them (UTF-16 code units, a line break CR LF two); 0: no limit.
    int maxLength = 0;
};

struct CsvPreview {
    bool ok = false;
    QString error;            // for the steward, when not ok
    QStringList header;       // the file's column names, as written
    QStringList matched;      // the fields the file fills, in the file's order
    QStringList ignored;      // the file's columns that match no field
    QStringList missing;      // the fields the file does not have
    QList<QVariantList> rows; // the first rows, values in the order of matched
};

struct CsvImportResult {
    bool ok = false;
    bool cancelled = false;
    QString error;        // for the steward, when not ok
    qint64 rows = 0;      // rows handed to the sink
    qint64 failedRow = 0; // the row at fault (1: the first below the header)
    qint64 skipped = 0;   // rows the sink passed over (not added)
};

// Reads a CSV file (see CsvReader) into a table's fields: the header row
// names the columns, matched to the fields by name whatever the case; a
// column no field has is ignored, a field no column has is left out.
// Every value is checked before it is handed on: valid UTF-8, no NUL, and
// no longer than its field holds, its line breaks counted and handed on as
// CR LF (as the window's boxes hold them). A long value is refused with its
// row, never cut.
//
// Values reach the sink as the file holds them: an empty unquoted field
// as NULL (a null QVariant), "" as empty text, everything else as text.
// The first fault ends the import; no row after it is handed on, and the
// caller, who runs all inserts in one transaction, rolls it back.
class CsvImport
{
  public:
    explicit CsvImport(const QList<CsvColumn> &fields);

    // Gets the fields filled (the same list on every call) and one row's
    // values in their order; false, with the reason, refuses the row.
    using Sink =
        std::function<bool(const QStringList &fields, const QVariantList &values, QString *error)>;

    CsvPreview preview(QIODevice &file, int rows = 10) const;
    CsvImportResult run(QIODevice &file, const Sink &sink,
                        const std::atomic<bool> *cancel = nullptr,
                        const std::function<void(qint64 rows)> &progress = {}) const;

  private:
    QList<CsvColumn> m_fields;
};
