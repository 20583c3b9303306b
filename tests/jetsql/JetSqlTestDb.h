#pragma once

// A real SQLite case database in a temporary folder, with the columns the
// translator resolves against, for checking what translated SQL selects.

#include "jetsql/JetSql.h"
#include "jetsql/SqliteDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

class JetSqlTestDb
{
  public:
    static QStringList employeeColumns()
    {
        return {"Name",           "Department", "Shift Start Time",  "File Number",
                "Home Phone",     "Work Phone", "Company Seniority", "Class Seniortity",
                "Classification", "Address",    "Days Off"};
    }
    static QStringList complaintColumns()
    {
        return {"File Number",
                "Case Facts3",
                "Case Facts2",
                "Case Facts1",
                "Supervisor's Oral Answer Date",
                "Contact Date",
                "Supervisor First Contacted",
                "Remedy Sought",
                "Date of Violation",
                "Contract Provinsions"};
    }

    static ColumnResolver resolverFor(const QStringList &columns)
    {
        return [columns](const QString &name) {
            for (const QString &c : columns) {
                if (c.compare(name, Qt::CaseInsensitive) == 0)
                    return c;
            }
            return QString();
        };
    }
    static TableResolver tables()
    {
        return [](const QString &name) -> std::optional<TableInfo> {
            if (name.compare("Employee", Qt::CaseInsensitive) == 0)
                return TableInfo{"Employee", resolverFor(employeeColumns())};
            if (name.compare("Complaints", Qt::CaseInsensitive) == 0)
                return TableInfo{"Complaints", resolverFor(complaintColumns())};
            return std::nullopt;
        };
    }

    JetSqlTestDb() : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_name);
        db.setDatabaseName(m_dir.filePath("case.db"));
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        run("PRAGMA synchronous = OFF"); // a throw-away file needs no flush per insert
        create("Employee", employeeColumns(), {});
        create("Complaints", complaintColumns(), {"\"Grievance Number\" INTEGER PRIMARY KEY"});
    }
    ~JetSqlTestDb()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    QSqlQuery run(const QString &sql, const QVariantList &params = {}) const
    {
        QSqlQuery query(db());
        EXPECT_TRUE(query.prepare(sql))
            << sql.toStdString() << ": " << query.lastError().text().toStdString();
        for (const QVariant &p : params)
            query.addBindValue(p);
        EXPECT_TRUE(query.exec()) << sql.toStdString() << ": "
                                  << query.lastError().text().toStdString();
        return query;
    }

    void insert(const QString &table, const QStringList &columns, const QVariantList &values) const
    {
        QStringList quoted, marks;
        for (const QString &c : columns) {
            quoted << JetSql::quoteIdentifier(c);
            marks << "?";
        }
        run(QString("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, quoted.join(", "), marks.join(", ")),
            values);
    }

    // The values of `column` of the rows that pass `where`, in rowid order.
    QStringList select(const QString &table, const SqlCondition &where, const QString &column) const
    {
        QString sql = QString("SELECT %1 FROM %2").arg(JetSql::quoteIdentifier(column), table);
        if (!where.sql.isEmpty())
            sql += " WHERE " + where.sql;
        QSqlQuery query = run(sql + " ORDER BY rowid", where.params);
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }

    int count(const QString &table) const
    {
        QSqlQuery query = run("SELECT count(*) FROM " + table);
        return query.next() ? query.value(0).toInt() : -1;
    }

  private:
    void create(const QString &table, const QStringList &columns, QStringList definitions)
    {
        for (const QString &c : columns)
            definitions << JetSql::quoteIdentifier(c) + " TEXT COLLATE NOCASE";
        run(QString("CREATE TABLE %1 (%2)").arg(table, definitions.join(", ")));
        run(QString("CREATE INDEX %1FileNumber ON %1 (\"File Number\")").arg(table));
    }

    QTemporaryDir m_dir;
    QString m_name;
};
