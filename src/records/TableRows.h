#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class CaseDatabase;

// Every row of a case table, read on a connection of its own in one read
// transaction, so that what is read is the records as they were at one
// moment while the window goes on saving. Works on either back end; may run
// on a thread other than the database's own (only the table's shape is
// read from `db`).
namespace TableRows
{

// The table's columns in their stored order (the numbered key among them,
// a server's hidden key not) go to `header` first, then each row, in the
// order of the table's key, to `row`; `row` returns false to stop there.
// Empty when every row was read (or `row` stopped), otherwise the reason.
QString read(const CaseDatabase &db, const QString &table,
             const std::function<void(const QStringList &columns)> &header,
             const std::function<bool(const QVariantList &values)> &row);

} // namespace TableRows
