// Safekeeping at full size: a backup of the case database of N employees and
// N complaints (about 750 MB at a million each), and the export of the N
// employees to CSV, each against the sqlite3 shell doing the same on the
// same file in the same loop:
//
//   backup:  OnlineBackup::copy (copy, integrity_check, counts, sync,
//            rename) against  sqlite3 SRC ".backup DST"  (copy and sync),
//            and against that followed by  sqlite3 DST "PRAGMA
//            integrity_check"  (the same work as ours);
//            OnlineBackup::copy with quick_check against ".backup" too;
//   export:  CsvExport::toFile of Employee against
//            sqlite3 -header -csv SRC "SELECT * FROM Employee" > file.
//
// The peak memory of an export is measured in a fresh child process (this
// program run again with --child-export): its peak resident size (VmHWM)
// minus its resident size before the export began.
#include "records/CaseSchema.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/OnlineBackup.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>

namespace
{

CaseShape caseShape()
{
    CaseShape shape;
    for (const char *t : {CaseSchema::EmployeeTable, CaseSchema::ComplaintsTable}) {
        TableShape table{QString::fromLatin1(t), {}};
        for (const CaseSchema::Column &c :
             QString::fromLatin1(t) == QLatin1String(CaseSchema::EmployeeTable)
                 ? CaseSchema::employeeColumns()
                 : CaseSchema::complaintsColumns())
            table.fields << QString::fromUtf8(c.name);
        shape << table;
    }
    return shape;
}

// Runs the sqlite3 shell; its standard output to `out` when given.
bool shell(const QStringList &args, const QString &out, std::string &error)
{
    QProcess p;
    if (!out.isEmpty())
        p.setStandardOutputFile(out);
    p.start(QStringLiteral("sqlite3"), args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = "sqlite3 " + args.join(QLatin1Char(' ')).toStdString() +
                " failed: " + p.readAllStandardError().trimmed().toStdString();
        return false;
    }
    return true;
}

void BM_Backup(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QString source = BenchApp::database(rows, rows);
    const std::string n = std::to_string(rows);
    Comparison full("backup with integrity_check, " + n + "+" + n, {0, 1.5, ".backup"});
    Comparison fullAgainstChecked("backup with integrity_check, " + n + "+" + n + " (b)",
                                  {0, 1.5, ".backup+check"});
    Comparison quick("backup with quick_check, " + n + "+" + n, {0, 1.5, ".backup"});
    const CaseShape shape = caseShape();
    QTemporaryDir dir(QFileInfo(source).absolutePath() + QStringLiteral("/bench-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("backup.db"));
    const QString shellTarget = dir.filePath(QStringLiteral("shell.db"));
    std::string error;
    for (auto _ : state) {
        BackupResult r;
        BackupOptions options;
        const double ours =
            full.window([&] { r = OnlineBackup::copy(source, target, shape, options); });
        if (!r.ok || r.rows != QList<qint64>{rows, rows}) {
            state.SkipWithError(("the backup failed: " + r.error.toStdString()).c_str());
            return;
        }
        // One backup's size on the disk: what the Backups folder takes per copy.
        state.counters["backup_MB"] = double(r.bytes) / 1e6;
        QFile::remove(target);
        state.SetIterationTime(ours);
        fullAgainstChecked.addWindow(ours);

        options.check = CaseFileCheck::Depth::Quick;
        quick.window([&] { r = OnlineBackup::copy(source, target, shape, options); });
        QFile::remove(target);

        bool ok = true;
        const double copy = full.baseline([&] {
            ok = shell({source, QStringLiteral(".backup '%1'").arg(shellTarget)}, {}, error);
        });
        quick.addBaseline(copy);
        QElapsedTimer check;
        check.start();
        ok = ok && shell({shellTarget, QStringLiteral("PRAGMA integrity_check")}, {}, error);
        fullAgainstChecked.addBaseline(copy + double(check.nsecsElapsed()) / 1e9);
        QFile::remove(shellTarget);
        if (!ok) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    full.publish(&state);
    fullAgainstChecked.publish(nullptr);
    quick.publish(nullptr);
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field)))
                .trimmed()
                .split(' ')
                .first()
                .toLongLong();
    }
    return -1;
}

// The child: exports the employees and prints
// "EXPORT <seconds> <rows> <resident kB before> <peak resident kB after>".
int childExport(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const CsvExportResult r = CsvExport::toFile(QString::fromLocal8Bit(argv[2]),
                                                CsvExport::tableQuery(QStringLiteral("Employee")),
                                                {}, QString::fromLocal8Bit(argv[3]));
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (!r.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return 1;
    }
    std::printf("EXPORT %.9f %lld %lld %lld\n", seconds, r.rows, before, statusKb("VmHWM:"));
    return 0;
}

void BM_ExportEmployees(benchmark::State &state)
{
    const std::int64_t rows = state.range(0);
    const QString source = BenchApp::database(rows, rows);
    Comparison c("export employees to CSV, " + std::to_string(rows), {0, 1.5, "sqlite3 -csv"});
    Comparison memory("export peak memory growth (MB as ms), " + std::to_string(rows), {100, 0});
    QTemporaryDir dir(QFileInfo(source).absolutePath() + QStringLiteral("/bench-XXXXXX"));
    const QString ours = dir.filePath(QStringLiteral("Employees.csv"));
    const QString theirs = dir.filePath(QStringLiteral("shell.csv"));
    std::string error;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-export"), source, ours});
        child.waitForFinished(-1);
        const QList<QByteArray> w = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitCode() != 0 || w.size() != 5 || w.at(0) != "EXPORT" ||
            w.at(2).toLongLong() != rows) {
            state.SkipWithError(
                ("the export failed: " + child.readAllStandardError().toStdString()).c_str());
            return;
        }
        const double seconds = w.at(1).toDouble();
        c.addWindow(seconds);
        state.SetIterationTime(seconds);
        // Megabytes, shown in the summary's millisecond column.
        memory.addWindow(double(w.at(4).toLongLong() - w.at(3).toLongLong()) / 1024 / 1e3);
        QFile::remove(ours);

        bool ok = true;
        c.baseline([&] {
            ok = shell({QStringLiteral("-header"), QStringLiteral("-csv"), source,
                        QStringLiteral("SELECT * FROM Employee")},
                       theirs, error);
        });
        QFile::remove(theirs);
        if (!ok) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    c.publish(&state);
    memory.publish(nullptr);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_Backup", BM_Backup)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ExportEmployees", BM_ExportEmployees)
        ->Arg(rows)
        ->ArgName("rows")
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child-export") == 0)
        return childExport(argc, argv);
    return BenchApp::run(argc, argv, registerAll);
}
