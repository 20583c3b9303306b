#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;

// One field of a CSV row as the file has it: its bytes, and whether it was
// written as nothing at all, an empty unquoted field, which CsvWriter
// writes for NULL only ("" is empty text).
struct CsvField {
    QByteArray bytes;
    bool null = false;
    bool operator==(const CsvField &other) const = default;
};
using CsvRow = QList<CsvField>;

// Reads CSV as RFC 4180 has it, with libcsv in its strict mode: commas
// between fields, rows ended by CR LF, LF or CR, fields in double quotes
// may hold commas, quotes (doubled) and line breaks, which are kept as they
// are. Blank lines are skipped; spaces are part of a value, never trimmed;
// a UTF-8 byte order mark at the very start is dropped. A quote inside an
// unquoted field, anything but a comma or a line end after a closing quote,
// or a quote that is never closed is an error, not a guess.
//
// Rows go to the handler one at a time as the bytes come in; the file is
// never held. A value larger than maxFieldBytes ends the reading with an
// error before it can take the memory.
class CsvReader
{
  public:
    // Gets every complete row; returns false to stop the reading.
    using RowHandler = std::function<bool(const CsvRow &row)>;

    static constexpr qsizetype DefaultMaxFieldBytes = 1 << 20;

    explicit CsvReader(RowHandler handler, qsizetype maxFieldBytes = DefaultMaxFieldBytes);
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // False once the reading ended: an error, or the handler said stop.
    bool feed(const char *data, qsizetype size);
    // The end of the input: delivers the last row.
    bool finish();
    // Feeds everything the device holds, then finishes.
    bool read(QIODevice &device);

    // Why the reading ended early; empty when the handler stopped it.
    const QString &error() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }
    // Rows delivered so far (the header row counts).
    qint64 rows() const { return m_rows; }
    // A value was larger than maxFieldBytes.
    bool tooLarge() const { return m_tooLarge; }

  private:
    struct Parser;
    static void onField(void *data, size_t size, void *self);
    static void onRowEnd(int terminator, void *self);
    bool parse(const char *data, size_t size);

    RowHandler m_handler;
    qsizetype m_maxFieldBytes;
    std::unique_ptr<Parser> m_parser;
    CsvRow m_row;
    QByteArray m_start; // the first bytes, until a byte order mark is ruled out
    bool m_started = false;
    bool m_ended = false;
    bool m_tooLarge = false;
    qint64 m_rows = 0;
    QString m_error;
};
