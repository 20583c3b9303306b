#pragma once

#include <cstddef>
#include <string_view>

class RawDatabase;
struct sqlite3_stmt;

// One statement prepared once on a RawDatabase and run as often as needed:
// the cheapest way SQLite can answer it, which the benchmarks compare the
// window's work with.
class RawStatement
{
  public:
    RawStatement(RawDatabase &db, std::string_view sql);
    ~RawStatement();
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    // Parameters count from 1. Empty text binds NULL when emptyIsNull is set,
    // as the window stores an emptied box.
    void bindText(int index, std::string_view text, bool emptyIsNull = false);
    void bindInt(int index, long long value);

    // Steps once; true when a row came. Throws on an error.
    bool step();
    // Ready to run again, parameters cleared.
    void reset();

    int columnCount() const;
    std::string_view text(int column) const;
    long long integer(int column) const;

    // Runs the statement (again) with its bound parameters and reads every
    // column of the first row as text, the way a record set loads its
    // current record; returns the bytes read, 0 when there was no row. The
    // row stays readable through text() until the next run or reset().
    std::size_t firstRow();

  private:
    RawDatabase &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};
