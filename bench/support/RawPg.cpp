#include "support/RawPg.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <memory>
#include <stdexcept>

namespace
{

// One KEY=VALUE per line, the value running to the end of the line (paths
// may hold blanks, so nothing is unquoted or split).
QHash<QString, QString> readEnvFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("No PostgreSQL test server: " + path.toStdString() +
                                 " cannot be read (scripts/start-postgres.sh writes it)");
    QHash<QString, QString> values;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

// Where allRows() leaves what it read, so that reading is not left out.
volatile std::size_t benchmark_sink = 0;

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

} // namespace

QHash<QString, QString> RawPg::envValues(const QString &envFile)
{
    return readEnvFile(envFile);
}

QString RawPg::defaultEnvFile()
{
    const QString env = qEnvironmentVariable("QUILLMARK_PG_ENV");
    if (!env.isEmpty())
        return env;
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                     : QStringLiteral("build");
    return dir + QStringLiteral("/postgres.env");
}

RawPg::RawPg(const QString &database, const QString &role, const QString &envFile)
{
    const QHash<QString, QString> env = readEnvFile(envFile);
    const std::string host = env.value(QStringLiteral("PGHOST")).toStdString();
    const std::string port = env.value(QStringLiteral("PGPORT")).toStdString();
    const std::string user =
        (role.isEmpty() ? env.value(QStringLiteral("PGUSER")) : role).toStdString();
    const std::string dbname = database.toStdString();
    const std::string passfile = env.value(QStringLiteral("PGPASSFILE")).toStdString();
    const char *const keywords[] = {"host", "port", "user", "dbname", "passfile", nullptr};
    const char *const values[] = {host.c_str(),   port.c_str(),     user.c_str(),
                                  dbname.c_str(), passfile.c_str(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 0);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw std::runtime_error("Connecting to " + dbname + " as " + user + ": " + message);
    }
}

RawPg::~RawPg()
{
    PQfinish(m_conn);
}

void RawPg::fail(std::string_view what) const
{
    throw std::runtime_error(std::string(what) + ": " + PQerrorMessage(m_conn));
}

void RawPg::exec(std::string_view sql)
{
    const std::string text(sql);
    const Result r(PQexec(m_conn, text.c_str()));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(text);
}

long long RawPg::scalar(std::string_view sql)
{
    const std::string value = text(sql);
    if (value.empty())
        throw std::runtime_error(std::string(sql) + ": no row");
    return std::stoll(value);
}

std::string RawPg::text(std::string_view sql)
{
    const std::string statement(sql);
    const Result r(PQexec(m_conn, statement.c_str()));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK)
        fail(statement);
    return PQntuples(r.get()) > 0 ? std::string(PQgetvalue(r.get(), 0, 0)) : std::string();
}

void RawPg::prepare(const std::string &name, std::string_view sql)
{
    const std::string text(sql);
    const Result r(PQprepare(m_conn, name.c_str(), text.c_str(), 0, nullptr));
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        fail("Preparing " + text);
}

PGresult *RawPg::run(const std::string &name, const std::vector<Param> &params)
{
    std::vector<const char *> values;
    values.reserve(params.size());
    for (const Param &p : params)
        values.push_back(p ? p->c_str() : nullptr);
    PGresult *r = PQexecPrepared(m_conn, name.c_str(), int(values.size()), values.data(), nullptr,
                                 nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        PQclear(r);
        fail("Running " + name);
    }
    return r;
}

std::size_t RawPg::firstRow(const std::string &name, const std::vector<Param> &params)
{
    const Result r(run(name, params));
    if (PQntuples(r.get()) == 0)
        return 0;
    std::size_t bytes = 0;
    for (int c = 0, n = PQnfields(r.get()); c < n; ++c)
        bytes += std::size_t(PQgetlength(r.get(), 0, c)) + 1; // + 1: a NULL still costs a look
    return bytes;
}

std::size_t RawPg::allRows(const std::string &name, const std::vector<Param> &params)
{
    const Result r(run(name, params));
    const int rows = PQntuples(r.get());
    std::size_t bytes = 0;
    for (int row = 0; row < rows; ++row)
        for (int c = 0, n = PQnfields(r.get()); c < n; ++c)
            bytes += std::strlen(PQgetvalue(r.get(), row, c));
    benchmark_sink = bytes;
    return std::size_t(rows);
}

std::vector<long long> RawPg::keys(const std::string &name, const std::vector<Param> &params)
{
    const Result r(run(name, params));
    const int rows = PQntuples(r.get());
    std::vector<long long> keys;
    keys.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row)
        keys.push_back(std::strtoll(PQgetvalue(r.get(), row, 0), nullptr, 10));
    return keys;
}

double RawPg::timeFirstRow(const std::string &name, const std::vector<Param> &params)
{
    const auto start = std::chrono::steady_clock::now();
    firstRow(name, params);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
