#include "support/PgBenchServer.h"

#include "records/CaseDatabase.h"
#include "support/RawPg.h"

#include <QUrl>

namespace PgBenchServer
{

const char *const Database = "quillmark_bench";
const char *const MostComplaints = "000007";

namespace
{

constexpr int ExtraComplaints = 300;

// Employees with a complaint have file numbers below this.
std::int64_t complainants(std::int64_t rows)
{
    return std::max<std::int64_t>(rows / 4, 1);
}

void fill(RawPg &raw, std::int64_t rows)
{
    const std::string n = std::to_string(rows);
    const std::string c = std::to_string(complainants(rows));
    raw.exec("TRUNCATE \"Employee\", \"Complaints\" RESTART IDENTITY CASCADE");
    raw.exec("INSERT INTO \"Employee\" (\"File Number\", \"Name\", \"Department\", \"Address\") "
             "SELECT CASE WHEN i % 100000 = 0 THEN NULL ELSE lpad(((i::bigint * 7919) % " +
             n +
             ")::text, 6, '0') END, CASE i % 3 WHEN 0 THEN 'Müller ' WHEN 1 THEN 'Émile ' "
             "ELSE 'O''Brien ' END || i, 'D' || lpad((i % 100)::text, 2, '0'), "
             "(i % 5000) || ' Main Street' FROM generate_series(1, " +
             n + ") i");
    raw.exec("INSERT INTO \"Complaints\" (\"File Number\", \"Remedy Sought\", \"Case Facts1\") "
             "SELECT lpad(((i::bigint * 104729) % " +
             c + ")::text, 6, '0'), 'Remedy ' || i, 'Facts ' || i FROM generate_series(1, " + n +
             ") i");
    raw.exec("INSERT INTO \"Complaints\" (\"File Number\", \"Case Facts1\") SELECT '" +
             std::string(MostComplaints) + "', 'More facts ' || i FROM generate_series(1, " +
             std::to_string(ExtraComplaints) + ") i");
    raw.exec("VACUUM ANALYZE \"Employee\"");
    raw.exec("VACUUM ANALYZE \"Complaints\"");
}

} // namespace

QString database(const char *name)
{
    {
        RawPg admin(QStringLiteral("postgres"));
        if (admin.scalar("SELECT count(*) FROM pg_database WHERE datname = '" + std::string(name) +
                         "'") == 0)
            admin.exec("CREATE DATABASE " + std::string(name));
    }
    const QHash<QString, QString> env = RawPg::envValues();
    return QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
        .arg(env.value(QStringLiteral("PGUSER")), QString::fromLatin1(name),
             QString::fromLatin1(QUrl::toPercentEncoding(env.value(QStringLiteral("PGHOST")))),
             env.value(QStringLiteral("PGPORT")));
}

QString filled(std::int64_t rows)
{
    const QString location = database(Database);
    CaseDatabase(location).open(); // the program's own tables
    RawPg raw(QString::fromLatin1(Database));
    const long long complaints = rows + ExtraComplaints;
    if (raw.scalar("SELECT count(*) FROM \"Employee\"") != rows ||
        raw.scalar("SELECT count(*) FROM \"Complaints\"") != complaints) {
        std::fprintf(stderr, "filling %s with %lld employees and %lld complaints...\n", Database,
                     static_cast<long long>(rows), complaints);
        fill(raw, rows);
    }
    return location;
}

std::string withoutComplaint(std::int64_t rows)
{
    char text[24];
    std::snprintf(text, sizeof text, "%06lld",
                  static_cast<long long>(std::min(complainants(rows), rows - 1)));
    return text;
}

std::string withAFewComplaints()
{
    return "000011";
}

} // namespace PgBenchServer
