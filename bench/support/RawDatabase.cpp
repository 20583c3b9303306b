#include "support/RawDatabase.h"

#include "support/RawStatement.h"

#include <sqlite3.h>
#include <stdexcept>
#include <string>

RawDatabase::RawDatabase(const QString &path, Mode mode)
{
    const int flags = mode == ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw std::runtime_error("Opening " + path.toStdString() + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 5000);
}

RawDatabase::~RawDatabase()
{
    sqlite3_close(m_db);
}

void RawDatabase::fail(std::string_view what) const
{
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(m_db));
}

void RawDatabase::exec(std::string_view sql)
{
    const std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(text);
}

long long RawDatabase::scalar(std::string_view sql)
{
    RawStatement s(*this, sql);
    if (!s.step())
        throw std::runtime_error(std::string(sql) + ": no row");
    return s.integer(0);
}

std::string RawDatabase::text(std::string_view sql)
{
    RawStatement s(*this, sql);
    return s.step() ? std::string(s.text(0)) : std::string();
}
