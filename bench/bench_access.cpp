// The import of an Access file through its real path (the reader program,
// its frames, the survey, the backup, one transaction through the back-end
// seam), beside the CSV import of the same rows in the same run, with the
// peak memory of each as the rows grow. No Jet file can be written here:
// the largest sample table the case tables hold whole is read over and over
// by the reader program (AccessReader::Options::repeat), so the rows are
// real Jet rows all the way.
//
//   bench_access [--benchmark_filter=...]   (the sizes are fixed below)
#include "support/BenchApp.h"
#include "support/Comparison.h"

#include "access/AccessReader.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/DatabaseBackend.h"
#include "safekeeping/AccessImport.h"
#include "safekeeping/CsvWriter.h"
#include "safekeeping/TableImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <sys/resource.h>

namespace
{

const char *const Sample = QUILLMARK_ACCESS_SAMPLES "/overflowTestV1997.mdb";
const QString Table = QStringLiteral("Table1");

// Its nine text columns into nine fields of the employees.
AccessMapping mapping()
{
    const QStringList fields{
        "Name",       "Department",        "Shift Start Time", "Home Phone",
        "Work Phone", "Company Seniority", "Class Seniortity", "Classification",
        "Address"};
    const QStringList columns{"data1", "data3", "data4", "data5", "data6",
                              "data7", "data8", "data9", "data10"};
    AccessMapping m{Table, QStringLiteral("Employee"), {}};
    for (int i = 0; i < fields.size(); ++i)
        m.columns.insert(columns[i], fields[i]);
    return m;
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field)))
                .trimmed()
                .split(' ')
                .first()
                .toLongLong();
    return -1;
}

qint64 readerPeakKb()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_maxrss;
}

void report(const char *what, double seconds, qint64 rows, qint64 before)
{
    std::printf("%s %.9f %lld %lld %lld %lld\n", what, seconds, rows, before, statusKb("VmHWM:"),
                readerPeakKb());
}

// The children: one import each into a new case file, printing
// "<WHAT> <seconds> <rows> <resident kB before> <peak kB> <reader's peak kB>".
int childAccess(char **argv)
{
    const QString db = QString::fromLocal8Bit(argv[3]);
    CaseDatabase(db).open();
    const auto backend = DatabaseBackend::forLocation(db);
    AccessReader::Options o;
    o.repeat = QByteArray(argv[2]).toInt();
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const AccessImport importer(QString::fromLatin1(Sample), *backend, o);
    AccessImportChoices choices;
    choices.mappings = {mapping()};
    const AccessSurvey survey = importer.survey(choices);
    const AccessImportResult r = importer.run(choices, survey);
    if (!r.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return 1;
    }
    report("ACCESS", double(t.nsecsElapsed()) / 1e9, r.employees, before);
    return 0;
}

// The CSV import as File > Import runs it for employees: the rows counted
// against the file numbers there first, then added.
int childCsv(char **argv)
{
    const QString db = QString::fromLocal8Bit(argv[3]);
    CaseDatabase(db).open();
    QList<CsvColumn> fields;
    for (const CaseSchema::Column &c : CaseSchema::employeeColumns())
        fields.append({QString::fromUtf8(c.name), c.length});
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    QFile file(QString::fromLocal8Bit(argv[2]));
    TableImport::Options count;
    count.field = QStringLiteral("File Number");
    count.count = true;
    CsvImportResult r;
    for (const TableImport::Options &o : {count, TableImport::Options()}) {
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        r = TableImport::run(db, QStringLiteral("Employee"), fields, file, o);
        file.close();
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
            return 1;
        }
    }
    report("CSV", double(t.nsecsElapsed()) / 1e9, r.rows, before);
    return 0;
}

// The same rows as a CSV file with the fields' names for its header.
bool writeCsv(const QString &path, int repeat, qint64 *rows)
{
    QList<AccessRow> table;
    const AccessReadResult r = AccessReader(QString::fromLatin1(Sample))
                                   .rows(Table, [&](const AccessRow &row, qint64, QString *) {
                                       table << row;
                                       return true;
                                   });
    QFile f(path);
    if (!r.ok || !f.open(QIODevice::WriteOnly))
        return false;
    CsvWriter w(&f);
    const AccessMapping m = mapping();
    const QStringList columns{"data1", "data3", "data4", "data5", "data6",
                              "data7", "data8", "data9", "data10"};
    for (const QString &c : columns)
        w.field(m.columns.value(c));
    w.endRow();
    for (int i = 0; i < repeat; ++i)
        for (const AccessRow &row : std::as_const(table)) {
            for (int c = 0; c < row.size(); ++c) {
                if (row[c].null)
                    w.null();
                else
                    w.field(row[c].text);
            }
            w.endRow();
        }
    *rows = qint64(repeat) * table.size();
    return w.flush();
}

struct Measured {
    double seconds = 0;
    qint64 rows = 0;
    double growthMb = 0;
    double readerMb = 0;
};

bool child(const QStringList &arguments, Measured *m, std::string *error)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), arguments);
    p.waitForFinished(-1);
    const QList<QByteArray> w = p.readAllStandardOutput().trimmed().split(' ');
    if (p.exitCode() != 0 || w.size() != 6) {
        *error = "the import failed: " + p.readAllStandardError().toStdString();
        return false;
    }
    *m = {w[1].toDouble(), w[2].toLongLong(), double(w[4].toLongLong() - w[3].toLongLong()) / 1024,
          double(w[5].toLongLong()) / 1024};
    return true;
}

void BM_AccessImport(benchmark::State &state)
{
    if (!QFile::exists(QString::fromLatin1(Sample))) {
        state.SkipWithError("the Access sample files are not beside the project");
        return;
    }
    const int repeat = int(state.range(0));
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("same rows.csv"));
    qint64 rows = 0;
    if (!writeCsv(csv, repeat, &rows)) {
        state.SkipWithError("the sample table could not be read");
        return;
    }
    const std::string size = std::to_string(rows);
    Comparison speed("Access import (survey + import), " + size + " rows", {0, 2.0, "CSV import"});
    Comparison memory("Access import peak memory growth (MB as ms), " + size + " rows",
                      {0, 0, "CSV import"});
    Measured a, c;
    std::string error;
    for (auto _ : state) {
        const QString one = dir.filePath(QStringLiteral("access.db"));
        const QString two = dir.filePath(QStringLiteral("csv.db"));
        if (!child({"--child-access", QString::number(repeat), one}, &a, &error) ||
            !child({"--child-csv", csv, two}, &c, &error) || a.rows != rows || c.rows != rows) {
            state.SkipWithError(error.empty() ? "row counts differ" : error.c_str());
            return;
        }
        speed.addWindow(a.seconds);
        speed.addBaseline(c.seconds);
        memory.addWindow(a.growthMb / 1e3);
        memory.addBaseline(c.growthMb / 1e3);
        state.SetIterationTime(a.seconds);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        writeCsv(csv, repeat, &rows);
    }
    state.counters["access_rows_per_s"] = double(rows) / a.seconds;
    state.counters["csv_rows_per_s"] = double(rows) / c.seconds;
    state.counters["access_growth_MB"] = a.growthMb;
    state.counters["csv_growth_MB"] = c.growthMb;
    state.counters["reader_peak_MB"] = a.readerMb;
    speed.publish(&state);
    memory.publish(nullptr);
}

void registerAll(std::int64_t)
{
    for (int repeat : {2000, 20000})
        benchmark::RegisterBenchmark("BM_AccessImport", BM_AccessImport)
            ->Arg(repeat)
            ->ArgName("times")
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child-access") == 0) {
        QCoreApplication app(argc, argv);
        return childAccess(argv);
    }
    if (argc == 4 && std::strcmp(argv[1], "--child-csv") == 0) {
        QCoreApplication app(argc, argv);
        return childCsv(argv);
    }
    return BenchApp::run(argc, argv, registerAll);
}
