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

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
