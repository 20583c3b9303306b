#pragma once

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

class CaseDatabase;

// What the statements on the deadline tables share: dates stored as
// yyyy-MM-dd text, nulls of the right type, and running a statement through
// the case database with every failure a DataError.
namespace DeadlineSql
{

// The largest number of days a time limit may give.
inline constexpr int MaxDays = 999;

// A table name quoted for SQL.
QString table(const char *name);

// A date as stored; a null for none.
QVariant dateValue(QDate date);
QDate dateOf(const QVariant &stored);
// A text as stored; a null for an empty one.
QVariant textValue(const QString &text);
QVariant nullInteger();

// Prepares, binds in order and runs; throws DataError.
QSqlQuery run(const CaseDatabase &db, const QString &sql, const QVariantList &params = {});
// The first column of the first row as a number.
qint64 count(const CaseDatabase &db, const QString &sql, const QVariantList &params = {});

} // namespace DeadlineSql
