#include "support/RawStatement.h"

#include "support/RawDatabase.h"

#include <sqlite3.h>
#include <string>

RawStatement::RawStatement(RawDatabase &db, std::string_view sql) : m_db(db)
{
    if (sqlite3_prepare_v3(db.handle(), sql.data(), int(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_stmt, nullptr) != SQLITE_OK)
        db.fail("Preparing " + std::string(sql));
}

RawStatement::~RawStatement()
{
    sqlite3_finalize(m_stmt);
}

void RawStatement::bindText(int index, std::string_view text, bool emptyIsNull)
{
    const int rc =
        emptyIsNull && text.empty()
            ? sqlite3_bind_null(m_stmt, index)
            : sqlite3_bind_text(m_stmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        m_db.fail("Binding a value");
}

void RawStatement::bindInt(int index, long long value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_db.fail("Binding a value");
}

bool RawStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail(std::string("Running ") + sqlite3_sql(m_stmt));
}

void RawStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int RawStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

std::string_view RawStatement::text(int column) const
{
    const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return t ? std::string_view(t, std::size_t(sqlite3_column_bytes(m_stmt, column)))
             : std::string_view();
}

long long RawStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::size_t RawStatement::firstRow()
{
    sqlite3_reset(m_stmt); // the bindings stay
    std::size_t bytes = 0;
    if (step()) {
        for (int c = 0, n = columnCount(); c < n; ++c)
            bytes += text(c).size() + 1; // + 1: a NULL still costs a look
    }
    return bytes;
}
