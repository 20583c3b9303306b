// Export and import of employees on the PostgreSQL test server
// (scripts/start-postgres.sh), each beside what a client of the server's
// own does with the same rows in the same loop:
//
//   export: a grid window's Export over every employee (the record set's
//           rows in its order, written as CSV) against raw libpq running
//           COPY (the same SELECT) TO STDOUT (FORMAT csv) into a file, as
//           psql's \copy does;
//   count:  the import's first pass, counting the rows of a CSV file whose
//           file number an employee holds already (the file is an export of
//           the employees, so every numbered row counts), against the same
//           count asked one row at a time as the import used to ask it;
//   import: the count, then the import leaving the counted rows out, as
//           File > Import runs it when the steward answers No.
//
//   bench_pg_safekeeping [--rows=N] (default 1,000,000 employees on the server)
//   QUILLMARK_BENCH_IMPORT_ROWS=N: rows in the imported CSV (default 200,000)
#include "records/CaseDatabase.h"
#include "records/CaseImportWriter.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "records/RecordSet.h"
#include "records/ServerRows.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/CsvWriter.h"
#include "safekeeping/TableImport.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/PgBenchServer.h"
#include "support/RawPg.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <libpq-fe.h>

namespace
{

std::int64_t g_importRows = 200000;

// Every employee as a grid opened on the table shows them.
struct Shown {
    std::shared_ptr<CaseDatabase> db;
    QString select;
    QVariantList params;
};

Shown shown(std::int64_t rows)
{
    Shown s;
    s.db = std::make_shared<CaseDatabase>(PgBenchServer::filled(rows));
    s.db->open();
    const RecordSet records(s.db, QStringLiteral("Employee"));
    s.select = records.exportQuery(&s.params);
    return s;
}

// What psql's \copy (SELECT ...) TO 'file' WITH (FORMAT csv, HEADER) does:
// the server writes the CSV, the client copies its lines into the file.
qint64 rawCopyTo(RawPg &raw, const std::string &select, const QString &path)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raw.fail("opening the file");
    PGconn *conn = raw.handle();
    const std::string copy = "COPY (" + select + ") TO STDOUT WITH (FORMAT csv, HEADER)";
    PGresult *started = PQexec(conn, copy.c_str());
    if (PQresultStatus(started) != PGRES_COPY_OUT)
        raw.fail("COPY TO STDOUT");
    PQclear(started);
    char *line = nullptr;
    int n = 0;
    qint64 lines = 0;
    while ((n = PQgetCopyData(conn, &line, 0)) > 0) {
        out.write(line, n);
        PQfreemem(line);
        ++lines;
    }
    while (PGresult *r = PQgetResult(conn)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            raw.fail("COPY TO STDOUT");
        PQclear(r);
    }
    return lines - 1;
}

void BM_ServerGridExport(benchmark::State &state)
{
    Shown s;
    std::unique_ptr<RawPg> raw;
    try {
        s = shown(state.range(0));
        raw = std::make_unique<RawPg>(QString::fromLatin1(PgBenchServer::Database));
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return;
    }
    if (!s.params.isEmpty()) {
        state.SkipWithError("the grid's statement has parameters COPY cannot take");
        return;
    }
    const std::string select = s.select.toStdString();
    QTemporaryDir dir;
    const QString mine = dir.filePath(QStringLiteral("grid.csv"));
    const QString theirs = dir.filePath(QStringLiteral("copy.csv"));
    Comparison c("server: grid export, " + std::to_string(state.range(0)) + " employees",
                 {0, 1.5, "psql \\copy"});
    for (auto _ : state) {
        CsvExportResult r;
        state.SetIterationTime(
            c.window([&] { r = CsvExport::serverSelectToFile(*s.db, s.select, s.params, mine); }));
        if (!r.ok || r.rows != state.range(0)) {
            state.SkipWithError(r.ok ? "the export missed rows" : qPrintable(r.error));
            return;
        }
        qint64 copied = 0;
        c.baseline([&] { copied = rawCopyTo(*raw, select, theirs); });
        if (copied != r.rows) {
            state.SkipWithError("the raw copy read another number of rows");
            return;
        }
    }
    state.counters["mb"] = double(QFile(mine).size()) / 1e6;
    c.publish(&state);
}

// The first g_importRows employees of the server, exported as a CSV file.
QString importFile(const QTemporaryDir &dir, const Shown &s)
{
    const QString path = dir.filePath(QStringLiteral("import.csv"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    CsvWriter writer(&f);
    qint64 rows = 0;
    const QString limited = s.select + QStringLiteral(" LIMIT %1").arg(g_importRows);
    const QString failed = ServerRows::read(
        *s.db, limited, s.params,
        [&](const QStringList &columns) {
            for (const QString &c : columns)
                writer.field(c);
            writer.endRow();
        },
        [&](const ServerRows::Field *fields, int count) {
            for (int c = 0; c < count; ++c)
                fields[c].data ? writer.field(fields[c].data, fields[c].size) : writer.null();
            writer.endRow();
            return ++rows > 0;
        });
    return failed.isEmpty() && writer.flush() ? path : QString();
}

QList<CsvColumn> employeeFields()
{
    QList<CsvColumn> fields;
    for (const CaseSchema::Column &c : CaseSchema::employeeColumns())
        fields.append({QString::fromUtf8(c.name), c.length});
    return fields;
}

// The count as the import asked it before: one question per row.
qint64 countedRowByRow(const DatabaseBackend &backend, const QString &path)
{
    qint64 known = 0;
    QList<CsvColumn> fields = employeeFields();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    CaseImportWriter writer(backend);
    writer.run(CaseImportWriter::Mode::Survey, [&] {
        const QString field = QStringLiteral("File Number");
        CsvImport(fields).run(
            file, [&](const QStringList &names, const QVariantList &values, QString *) {
                const QVariant &v = values.at(names.indexOf(field));
                if (!v.isNull() && writer.held(QStringLiteral("Employee"), field, v.toString()))
                    ++known;
                return true;
            });
    });
    return known;
}

void BM_ServerImportCount(benchmark::State &state, bool alsoImport)
{
    Shown s;
    try {
        s = shown(state.range(0));
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return;
    }
    QTemporaryDir dir;
    const QString path = importFile(dir, s);
    if (path.isEmpty()) {
        state.SkipWithError("the CSV file could not be written");
        return;
    }
    const DatabaseBackend &backend = s.db->backend();
    const QList<CsvColumn> fields = employeeFields();
    const auto run = [&](const TableImport::Options &o) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return CsvImportResult();
        return TableImport::run(backend, QStringLiteral("Employee"), fields, file, o);
    };
    TableImport::Options count;
    count.field = QStringLiteral("File Number");
    count.count = true;
    const std::string size = std::to_string(g_importRows) + " rows against " +
                             std::to_string(state.range(0)) + " employees";
    Comparison c(alsoImport ? "server: import leaving known rows out, " + size
                            : "server: import's count of known rows, " + size,
                 {0, 0, alsoImport ? "count one row at a time" : "one row at a time"});
    for (auto _ : state) {
        CsvImportResult counted, imported;
        state.SetIterationTime(c.window([&] {
            counted = run(count);
            if (alsoImport && counted.ok) {
                TableImport::Options leaveOut;
                leaveOut.field = count.field;
                imported = run(leaveOut);
            }
        }));
        qint64 oneByOne = -1;
        c.baseline([&] { oneByOne = countedRowByRow(backend, path); });
        if (!counted.ok || counted.skipped != oneByOne ||
            (alsoImport && (!imported.ok || imported.skipped != counted.skipped))) {
            state.SkipWithError(!counted.ok                  ? qPrintable(counted.error)
                                : alsoImport && !imported.ok ? qPrintable(imported.error)
                                                             : "the two counts differ");
            return;
        }
        state.counters["known"] = double(oneByOne);
    }
    c.publish(&state);
}

void registerAll(std::int64_t rows)
{
    if (const QByteArray given = qgetenv("QUILLMARK_BENCH_IMPORT_ROWS"); !given.isEmpty())
        g_importRows = given.toLongLong();
    benchmark::RegisterBenchmark("BM_ServerGridExport", BM_ServerGridExport)
        ->Arg(rows)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ServerImportCount", BM_ServerImportCount, false)
        ->Arg(rows)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ServerImportLeavingKnownOut", BM_ServerImportCount, true)
        ->Arg(rows)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
