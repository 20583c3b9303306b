#pragma once

// What the Jet fuzz targets share: the case tables' columns, resolvers over
// them, and checks that translated SQL holds nothing but the translator's own
// text and runs on a real SQLite database.

#include "jetsql/DataError.h"
#include "jetsql/JetSql.h"
#include "jetsql/SqliteDialect.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace JetFuzz
{

[[noreturn]] inline void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline const QStringList &employeeColumns()
{
    static const QStringList columns = {
        "Name",           "Department", "Shift Start Time",  "File Number",
        "Home Phone",     "Work Phone", "Company Seniority", "Class Seniortity",
        "Classification", "Address",    "Days Off"};
    return columns;
}

inline const QStringList &complaintColumns()
{
    static const QStringList columns = {"Grievance Number",    "File Number",
                                        "Case Facts3",         "Case Facts2",
                                        "Case Facts1",         "Supervisor's Oral Answer Date",
                                        "Contact Date",        "Supervisor First Contacted",
                                        "Remedy Sought",       "Date of Violation",
                                        "Contract Provinsions"};
    return columns;
}

inline ColumnResolver resolverFor(const QStringList &columns)
{
    return [&columns](const QString &name) {
        for (const QString &c : columns) {
            if (c.compare(name, Qt::CaseInsensitive) == 0)
                return c;
        }
        return QString();
    };
}

inline TableResolver tables()
{
    return [](const QString &name) -> std::optional<TableInfo> {
        if (name.compare("Employee", Qt::CaseInsensitive) == 0)
            return TableInfo{"Employee", resolverFor(employeeColumns())};
        if (name.compare("Complaints", Qt::CaseInsensitive) == 0)
            return TableInfo{"Complaints", resolverFor(complaintColumns())};
        return std::nullopt;
    };
}

inline bool isColumn(const QString &name)
{
    return employeeColumns().contains(name) || complaintColumns().contains(name);
}

// The SQL may hold quoted names of real columns, placeholders, keywords and
// operators, and nothing else: no character of the input text gets through.
inline void checkSqlText(const SqlCondition &condition)
{
    const QString &sql = condition.sql;
    qsizetype placeholders = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] == u'"') {
            QString name;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == u'"' && (i + 1 >= sql.size() || sql[i + 1] != u'"'))
                    break;
                if (sql[i] == u'"')
                    ++i;
                name += sql[i];
            }
            if (!isColumn(name))
                fail("identifier that is not a column", sql);
            continue;
        }
        if (sql[i] == u'?')
            ++placeholders;
        // "+" only as the no-op unary plus in front of a GLOB pattern.
        else if (sql[i] == u'+' && sql.mid(i - 6, 7) == QLatin1String(" GLOB +"))
            continue;
        else if (!QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ ()<>=,").contains(sql[i]))
            fail("foreign character in SQL", sql);
    }
    if (placeholders != condition.params.size())
        fail("placeholders and parameters differ in number", sql);
}

// One in-memory database with both tables and a few rows, kept for the whole run.
inline sqlite3 *database()
{
    static sqlite3 *db = [] {
        sqlite3 *handle = nullptr;
        if (sqlite3_open(":memory:", &handle) != SQLITE_OK)
            fail("cannot open SQLite", QString());
        QString script;
        for (const auto &[table, columns] : {std::pair{"Employee", employeeColumns()},
                                             std::pair{"Complaints", complaintColumns()}}) {
            QStringList definitions;
            for (const QString &c : columns)
                definitions << JetSql::quoteIdentifier(c) + " TEXT COLLATE NOCASE";
            script +=
                QString(
                    "CREATE TABLE %1 (%2); CREATE INDEX %1FileNumber ON %1 (\"File Number\");"
                    "INSERT INTO %1 (\"File Number\") VALUES ('000123'), ('abc'), (''), (NULL);")
                    .arg(table, definitions.join(", "));
        }
        if (sqlite3_exec(handle, script.toUtf8().constData(), nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            fail("cannot create the tables", sqlite3_errmsg(handle));
        return handle;
    }();
    return db;
}

// The condition must prepare with exactly its parameters and run to the end.
inline void run(const QString &table, const SqlCondition &condition)
{
    QString sql = "SELECT rowid FROM " + table;
    if (!condition.sql.isEmpty())
        sql += " WHERE " + condition.sql;
    sqlite3 *db = database();
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) !=
        SQLITE_OK)
        fail("SQLite rejects the SQL", sql + "\n" + sqlite3_errmsg(db));
    if (sqlite3_bind_parameter_count(statement) != condition.params.size())
        fail("parameter count differs", sql);
    for (int i = 0; i < condition.params.size(); ++i) {
        const QVariant &p = condition.params[i];
        switch (p.typeId()) {
        case QMetaType::QString: {
            const QByteArray value = p.toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, value.constData(), int(value.size()),
                              SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::LongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(statement, i + 1, p.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(statement, i + 1, p.toDouble());
            break;
        default:
            if (!p.isNull())
                fail("parameter of an unexpected type", sql);
            sqlite3_bind_null(statement, i + 1);
        }
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail("SQLite fails running the SQL", sql + "\n" + sqlite3_errmsg(db));
    sqlite3_finalize(statement);
}

} // namespace JetFuzz
