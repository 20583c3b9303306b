#include "support/CaseDataGenerator.h"

#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/FindIndex.h"
#include "support/CaseRowMaker.h"
#include "support/RawDatabase.h"
#include "support/RawStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace
{

template <std::size_t N>
std::string insertStatement(const char *table, const std::array<const char *, N> &fields)
{
    std::string columns, marks;
    for (const char *f : fields) {
        if (!columns.empty()) {
            columns += ", ";
            marks += ", ";
        }
        columns += '"';
        columns += f;
        columns += '"';
        marks += '?';
    }
    return std::string("INSERT INTO ") + table + " (" + columns + ") VALUES (" + marks + ")";
}

template <typename Row> void insert(RawStatement &s, const Row &row)
{
    for (std::size_t i = 0; i < row.size(); ++i)
        s.bindText(int(i) + 1, row[i], true);
    s.step();
    s.reset();
}

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

CaseDataGenerator::CaseDataGenerator(std::int64_t employees, std::int64_t complaints)
    : m_employees(employees), m_complaints(complaints)
{
    if (employees < 0 || employees > MaxEmployees)
        throw std::invalid_argument("Employees must number 0 to 1000000 (six-digit file numbers).");
    if (complaints < 0 || (complaints > 0 && employees == 0))
        throw std::invalid_argument("Complaints need at least one employee to refer to.");
}

QString CaseDataGenerator::cacheFolder()
{
    const QString env = qEnvironmentVariable("QUILLMARK_BENCH_CACHE");
    return env.isEmpty() ? QDir::tempPath() + QStringLiteral("/quillmark-bench") : env;
}

QString CaseDataGenerator::cacheFileName() const
{
    return QStringLiteral("casedb-v%1-e%2-c%3.db")
        .arg(FormatVersion)
        .arg(m_employees)
        .arg(m_complaints);
}

QString CaseDataGenerator::cachedDatabase() const
{
    const QString path = cacheFolder() + QLatin1Char('/') + cacheFileName();
    if (QFile::exists(path))
        return path;
    if (!QDir().mkpath(cacheFolder()))
        throw std::runtime_error("Cannot create " + cacheFolder().toStdString());
    QElapsedTimer timer;
    timer.start();
    std::fprintf(stderr, "Generating %lld employees and %lld complaints into %s ...\n",
                 static_cast<long long>(m_employees), static_cast<long long>(m_complaints),
                 qPrintable(path));
    generate(path);
    std::fprintf(stderr, "Generated in %.1f s; later runs reuse it.\n",
                 double(timer.elapsed()) / 1000.0);
    return path;
}

void CaseDataGenerator::generate(const QString &path) const
{
    if (QFile::exists(path))
        throw std::runtime_error(path.toStdString() + " exists already; it is left as it is.");
    // The process number keeps two runs that generate at once apart.
    const QString partial =
        path + QStringLiteral(".partial-%1").arg(QCoreApplication::applicationPid());
    removeDatabaseFiles(partial);
    try {
        {
            CaseDatabase schema(partial);
            schema.open();
        }
        {
            // The rows go in without the find index, which is then built in
            // one pass: far quicker than its triggers row by row.
            RawDatabase db(partial, RawDatabase::ReadWrite);
            for (const QString &sql : FindIndex::dropStatements())
                db.exec(sql.toStdString());
        }
        fill(partial);
        {
            RawDatabase db(partial, RawDatabase::ReadWrite);
            db.exec("BEGIN IMMEDIATE");
            for (const QString &sql : FindIndex::createStatements())
                db.exec(sql.toStdString());
            db.exec("COMMIT");
        }
        {
            // Opens as the program would, so a file it would refuse is never cached.
            CaseDatabase check(partial);
            check.open();
        }
    } catch (...) {
        removeDatabaseFiles(partial);
        throw;
    }
    if (!QFile::rename(partial, path)) {
        removeDatabaseFiles(partial);
        if (!QFile::exists(path))
            throw std::runtime_error("Cannot name the generated file " + path.toStdString());
        // Another run finished the same file first; it holds the same rows.
    }
}

void CaseDataGenerator::fill(const QString &path) const
{
    RawDatabase db(path, RawDatabase::ReadWrite);
    // Nothing of a half-written file is kept (it never gets its name), so
    // no journal and no syncing while it fills; the program's own journal
    // mode comes back at the end.
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("PRAGMA cache_size=-262144");
    db.exec("BEGIN");

    CaseRowMaker maker(FixedStart);
    // A partial shuffle draws the file numbers without repeats and puts
    // them in random order at once.
    std::vector<int> numbers(MaxEmployees);
    std::iota(numbers.begin(), numbers.end(), 0);
    for (std::int64_t i = 0; i < m_employees; ++i)
        std::swap(
            numbers[std::size_t(i)],
            numbers[std::size_t(i + std::int64_t(maker.below(std::uint64_t(MaxEmployees - i))))]);
    numbers.resize(std::size_t(m_employees));

    {
        RawStatement add(db,
                         insertStatement(CaseSchema::EmployeeTable, CaseRowMaker::EmployeeFields));
        CaseRowMaker::EmployeeRow row;
        for (int number : numbers) {
            maker.employee(CaseRowMaker::fileNumber(number), row);
            insert(add, row);
        }
    }
    {
        // Employees past the first 70% never complain; the first one in ten
        // thousand file often, taking 2% of all complaints.
        const std::int64_t active = std::max<std::int64_t>(1, m_employees * 7 / 10);
        const std::int64_t frequent = std::max<std::int64_t>(1, m_employees / 10000);
        RawStatement add(
            db, insertStatement(CaseSchema::ComplaintsTable, CaseRowMaker::ComplaintFields));
        CaseRowMaker::ComplaintRow row;
        for (std::int64_t c = 0; c < m_complaints; ++c) {
            const std::uint64_t who = maker.chance(2) ? maker.below(std::uint64_t(frequent))
                                                      : maker.below(std::uint64_t(active));
            maker.complaint(CaseRowMaker::fileNumber(numbers[who]), row);
            insert(add, row);
        }
    }
    db.exec("COMMIT");
    if (db.text("PRAGMA journal_mode=WAL") != "wal")
        throw std::runtime_error("Cannot put " + path.toStdString() + " back into WAL mode");
}
