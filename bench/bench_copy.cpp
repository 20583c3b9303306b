// Moving the case database to a shared server and back at full size: the
// generated file of N employees and N complaints copied onto the PostgreSQL
// test server (scripts/start-postgres.sh), replacing what the database
// quillmark_copy_bench holds, then the server's tables copied into a new
// file. Both include reading everything back and comparing checksums. One
// iteration each; the seconds and rows per second are printed, not judged.
#include "records/CaseCopy.h"
#include "records/DatabaseBackend.h"
#include "support/BenchApp.h"
#include "support/PgBenchServer.h"
#include "support/RawPg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <libpq-fe.h>

namespace
{

QString server()
{
    return PgBenchServer::database("quillmark_copy_bench");
}

void report(benchmark::State &state, const char *name, const CaseCopyCounts &counts, double seconds)
{
    const double rows = double(counts.employees + counts.complaints);
    state.counters["rows"] = rows;
    state.counters["rows_per_s"] = rows / seconds;
    std::fprintf(stderr, "%s: %lld employees + %lld complaints in %.1f s\n", name,
                 static_cast<long long>(counts.employees),
                 static_cast<long long>(counts.complaints), seconds);
}

// What psql's \\copy does with the same rows, through libpq on a
// connection of its own: each case table's rows as the server holds them
// after the program's copy, streamed into an empty table of the same shape
// and indexes. Returns the seconds the two streams took.
double rawCopyOfTheSameRows()
{
    RawPg raw(QStringLiteral("quillmark_copy_bench"));
    PGconn *conn = raw.handle();
    double seconds = 0;
    for (const char *table : {"Employee", "Complaints"}) {
        const std::string name = std::string("\"") + table + "\"";
        const std::string scratch = std::string("\"") + table + " raw copy\"";
        raw.exec("DROP TABLE IF EXISTS " + scratch);
        raw.exec("CREATE TABLE " + scratch + " (LIKE " + name + " INCLUDING ALL)");
        std::string rows;
        PGresult *out = PQexec(conn, ("COPY " + name + " TO STDOUT").c_str());
        if (PQresultStatus(out) != PGRES_COPY_OUT)
            raw.fail("COPY TO STDOUT");
        PQclear(out);
        char *line = nullptr;
        int n = 0;
        while ((n = PQgetCopyData(conn, &line, 0)) > 0) {
            rows.append(line, std::size_t(n));
            PQfreemem(line);
        }
        while (PGresult *r = PQgetResult(conn))
            PQclear(r);
        const auto start = std::chrono::steady_clock::now();
        PGresult *in = PQexec(conn, ("COPY " + scratch + " FROM STDIN").c_str());
        if (PQresultStatus(in) != PGRES_COPY_IN)
            raw.fail("COPY FROM STDIN");
        PQclear(in);
        if (PQputCopyData(conn, rows.data(), int(rows.size())) != 1 ||
            PQputCopyEnd(conn, nullptr) != 1)
            raw.fail("sending the rows");
        while (PGresult *r = PQgetResult(conn)) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK)
                raw.fail("COPY FROM STDIN");
            PQclear(r);
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        raw.exec("DROP TABLE " + scratch);
    }
    return seconds;
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark(
        "CopyFileToServer",
        [rows](benchmark::State &state) {
            const auto file = DatabaseBackend::forLocation(BenchApp::database(rows, rows));
            const auto shared = DatabaseBackend::forLocation(server());
            CaseCopyOptions replace;
            replace.replace = true;
            for (auto _ : state) {
                const auto start = std::chrono::steady_clock::now();
                const CaseCopyCounts counts = CaseCopy::copy(*file, *shared, replace);
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                state.SetIterationTime(took.count());
                report(state, "CopyFileToServer", counts, took.count());
                const double raw = rawCopyOfTheSameRows();
                state.counters["raw_copy_s"] = raw;
                state.counters["x_raw_copy"] = took.count() / raw;
                std::fprintf(stderr, "the same rows through libpq's COPY: %.1f s (%.2fx)\n", raw,
                             took.count() / raw);
            }
        })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark(
        "CopyServerToNewFile",
        [](benchmark::State &state) {
            const auto shared = DatabaseBackend::forLocation(server());
            QTemporaryDir folder;
            for (auto _ : state) {
                const QString target = QDir(folder.path()).filePath(QStringLiteral("Laptop.db"));
                QFile::remove(target);
                const auto start = std::chrono::steady_clock::now();
                const CaseCopyCounts counts = CaseCopy::toNewFile(*shared, target);
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                state.SetIterationTime(took.count());
                report(state, "CopyServerToNewFile", counts, took.count());
            }
        })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}
