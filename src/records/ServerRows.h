#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class CaseDatabase;

// The rows a SELECT reads from a shared server, streamed to the caller as
// the server writes them in text (a whole number in decimal, text as
// stored), without a QVariant per field: what an export of a million rows
// needs. Read on a connection of its own through COPY, the server's own
// stream (the statement's values written into it as quoted literals), so
// the rows are the records as they were at one moment and never all in
// memory. May run on a thread other than the database's own (only where
// the server is is read from `db`).
namespace ServerRows
{

// One field of a row: UTF-8 bytes, or NULL when `data` is null.
struct Field {
    const char *data = nullptr;
    int size = 0;
};

// Runs `select` (the server's dialect, a `?` for each of `params`, in
// order): the result's column names go to `header` first, then each row to
// `row`, which returns false to stop there. Empty when every row was read
// (or `row` stopped), otherwise the reason; on a database file it reads
// nothing and says so.
QString read(const CaseDatabase &db, const QString &select, const QVariantList &params,
             const std::function<void(const QStringList &columns)> &header,
             const std::function<bool(const Field *fields, int count)> &row);

// `sql` with each `?` outside quotes numbered as libpq's $1, $2, ...
QString numbered(const QString &sql);

} // namespace ServerRows
