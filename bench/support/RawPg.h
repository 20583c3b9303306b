#pragma once

#include <QHash>
#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;

// A connection of its own to the test server through libpq, beside the
// program's Qt SQL connection: the cheapest way PostgreSQL can answer a
// query, which the server benchmarks compare the window's work with. It
// finds the server through the env file that scripts/start-postgres.sh
// writes.
class RawPg
{
  public:
    // A bound value; std::nullopt binds NULL. Values travel as text, as the
    // program's driver sends them.
    using Param = std::optional<std::string>;

    // $QUILLMARK_PG_ENV when set, otherwise postgres.env beside the running
    // program (the build folder, where the benchmarks live).
    static QString defaultEnvFile();
    // Every KEY=VALUE of an env file. Throws std::runtime_error when it
    // cannot be read.
    static QHash<QString, QString> envValues(const QString &envFile = defaultEnvFile());

    // Connects to database as role (the env file's superuser when empty).
    // Throws std::runtime_error when the env file is missing or the server
    // refuses.
    explicit RawPg(const QString &database, const QString &role = {},
                   const QString &envFile = defaultEnvFile());
    ~RawPg();
    RawPg(const RawPg &) = delete;
    RawPg &operator=(const RawPg &) = delete;

    pg_conn *handle() const { return m_conn; }

    // Runs statements that return nothing the caller needs. Throws
    // std::runtime_error naming the statement.
    void exec(std::string_view sql);
    // The first column of the first row as a whole number; throws when the
    // statement fails or returns no row.
    long long scalar(std::string_view sql);
    // The first column of the first row as text ("" when no row).
    std::string text(std::string_view sql);

    // Prepares sql, with $1, $2 ... for its parameters, under name on the
    // server; it stays prepared as long as the connection lives.
    void prepare(const std::string &name, std::string_view sql);
    // Runs a prepared statement and reads every column of its first row as
    // text, the way a record set loads its current record; returns the bytes
    // read, 0 when there was no row.
    std::size_t firstRow(const std::string &name, const std::vector<Param> &params);
    // Runs a prepared statement and reads every column of every row as
    // text, the way a grid fills its first screen; returns the rows read.
    std::size_t allRows(const std::string &name, const std::vector<Param> &params);
    // Runs a prepared statement and reads every row's first column as a
    // key, the way a record set reads a chunk of keys.
    std::vector<long long> keys(const std::string &name, const std::vector<Param> &params);
    // Seconds one firstRow() takes, for a quick look outside a benchmark loop.
    double timeFirstRow(const std::string &name, const std::vector<Param> &params);

    [[noreturn]] void fail(std::string_view what) const;

  private:
    struct pg_result *run(const std::string &name, const std::vector<Param> &params);

    pg_conn *m_conn = nullptr;
};
