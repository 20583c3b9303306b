// libFuzzer target for the CSV reader and writer that export and import the
// case records. Any bytes must be read the same however they arrive (whole
// or in chunks), and any table of values, NULLs among them, must come back
// from the writer's file exactly as it went in.
#include "safekeeping/CsvImport.h"
#include "safekeeping/CsvReader.h"
#include "safekeeping/CsvWriter.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr qsizetype SmallLimit = 100; // so that the too-large path runs too

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what);
    std::abort();
}

struct Reading {
    QList<CsvRow> rows;
    bool ok = false;
    bool tooLarge = false;
};

Reading read(const QByteArray &bytes, qsizetype chunk)
{
    Reading r;
    CsvReader reader(
        [&](const CsvRow &row) {
            r.rows << row;
            return true;
        },
        SmallLimit);
    bool fed = true;
    for (qsizetype at = 0; fed && at < bytes.size(); at += chunk)
        fed = reader.feed(bytes.constData() + at, std::min(chunk, bytes.size() - at));
    r.ok = fed && reader.finish();
    r.tooLarge = reader.tooLarge();
    if (r.ok == reader.failed())
        fail("finish() and failed() disagree");
    return r;
}

// The bytes as a table: rows split at 0x1E, fields at 0x1F, a field that is
// one 0x00 byte is NULL.
QList<CsvRow> table(const QByteArray &bytes)
{
    QList<CsvRow> rows;
    for (const QByteArray &line : bytes.split('\x1e')) {
        CsvRow row;
        for (const QByteArray &value : line.split('\x1f'))
            row.append(value == QByteArray(1, '\0') ? CsvField{{}, true} : CsvField{value, false});
        // One NULL field alone is a blank line, which no reader keeps.
        if (row.size() == 1 && row.first().null)
            continue;
        rows << row;
    }
    return rows;
}

void roundTrip(const QByteArray &bytes)
{
    const QList<CsvRow> in = table(bytes);
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    CsvWriter writer(&file);
    for (const CsvRow &row : in) {
        for (const CsvField &f : row) {
            if (f.null)
                writer.null();
            else
                writer.field(f.bytes.constData(), f.bytes.size());
        }
        writer.endRow();
    }
    if (!writer.flush())
        fail("the writer failed on a buffer");
    QList<CsvRow> out;
    CsvReader reader([&](const CsvRow &row) {
        out << row;
        return true;
    });
    QBuffer back(&file.buffer());
    back.open(QIODevice::ReadOnly);
    if (!reader.read(back))
        fail("the writer's own file was not read");
    if (out != in)
        fail("a value did not come back as it was written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype chunk = 1 + data[0] % 16;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const Reading whole = read(bytes, bytes.size() + 1);
    const Reading pieces = read(bytes, chunk);
    if (whole.ok != pieces.ok || whole.tooLarge != pieces.tooLarge || whole.rows != pieces.rows)
        fail("the reading depends on how the bytes arrive");

    roundTrip(bytes);

    // The import's checks on the same bytes: whatever it says, it says it
    // without crashing; a row the caller refuses ends it, and nothing is
    // handed on after that.
    QByteArray copy = bytes;
    QBuffer file(&copy);
    file.open(QIODevice::ReadOnly);
    qint64 calls = 0;
    const CsvImport import({{QStringLiteral("Name"), 50}, {QStringLiteral("File Number"), 10}});
    const CsvImportResult r = import.run(
        file, [&](const QStringList &fields, const QVariantList &values, QString *error) {
            if (++calls > 3 || values.size() != fields.size())
                fail("a row handed on after a refusal, or one that does not fit");
            *error = QStringLiteral("refused");
            return calls < 3;
        });
    if (r.ok == !r.error.isEmpty())
        fail("an import both failed and succeeded");
    if (calls == 3 && (r.ok || r.failedRow != 3 || r.rows != 2))
        fail("the refused row is not the one reported");
    return 0;
}
