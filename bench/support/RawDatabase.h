#pragma once

#include <QString>
#include <string>
#include <string_view>

struct sqlite3;

// A connection of its own to a database file through the SQLite C API,
// beside the program's Qt SQL connection. The benchmarks' baselines run on
// it (what SQLite alone costs), and the generator fills files through it.
class RawDatabase
{
  public:
    enum Mode { ReadOnly, ReadWrite };

    RawDatabase(const QString &path, Mode mode);
    ~RawDatabase();
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    sqlite3 *handle() const { return m_db; }

    // Runs statements that return nothing the caller needs. Throws
    // std::runtime_error naming the statement.
    void exec(std::string_view sql);
    // The first column of the first row as a whole number; throws when the
    // statement fails or returns no row.
    long long scalar(std::string_view sql);
    // The first column of the first row as text ("" when no row).
    std::string text(std::string_view sql);

    [[noreturn]] void fail(std::string_view what) const;

  private:
    sqlite3 *m_db = nullptr;
};
