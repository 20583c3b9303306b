#pragma once

// A real SQLite case database in a temporary folder, with the columns the
// translator resolves against, for checking what translated SQL selects.

#include "jetsql/JetSql.h"
#include "jetsql/SqliteDialect.h"
#include "support/PgTestServer.h"

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

// The same two tables in a schema of their own on the PostgreSQL test
// server, with text columns as the server back end declares them (COLLATE
// "C"); rows are read back in the order they were added.
class JetSqlServerDb
{
  public:
    JetSqlServerDb()
    {
        const PgTestServer *server = PgTestServer::instance();
        if (!server)
            return;
        m_schema = server->createSchema();
        m_db = server->admin("jetsql-server", server->value("QUILLMARK_PG_STEWARD_DATABASE"));
        create("Employee", JetSqlTestDb::employeeColumns(), {});
        create("Complaints", JetSqlTestDb::complaintColumns(),
               {"\"Grievance Number\" bigint GENERATED BY DEFAULT AS IDENTITY"});
    }
    ~JetSqlServerDb()
    {
        if (!m_schema.isEmpty())
            PgTestServer::instance()->dropSchema(m_schema);
    }
    bool available() const { return !m_schema.isEmpty(); }

    void insert(const QString &table, const QStringList &columns, const QVariantList &values) const
    {
        QStringList quoted, marks;
        for (const QString &c : columns) {
            quoted << JetSql::quoteIdentifier(c);
            marks << "?";
        }
        run(QString("INSERT INTO %1.\"%2\" (%3) VALUES (%4)")
                .arg(m_schema, table, quoted.join(", "), marks.join(", ")),
            values);
    }

    QStringList select(const QString &table, const SqlCondition &where, const QString &column) const
    {
        QString sql = QString("SELECT %1 FROM %2.\"%3\"")
                          .arg(JetSql::quoteIdentifier(column), m_schema, table);
        if (!where.sql.isEmpty())
            sql += " WHERE " + where.sql;
        QSqlQuery query = run(sql + " ORDER BY qm_order", where.params);
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }

    QSqlQuery run(const QString &sql, const QVariantList &params = {}) const
    {
        QSqlQuery q(m_db);
        // The server prepares only statements that read or write rows.
        if (params.isEmpty()) {
            EXPECT_TRUE(q.exec(sql))
                << sql.toStdString() << ": " << q.lastError().text().toStdString();
            return q;
        }
        EXPECT_TRUE(q.prepare(sql))
            << sql.toStdString() << ": " << q.lastError().text().toStdString();
        for (const QVariant &p : params)
            q.addBindValue(p);
        EXPECT_TRUE(q.exec()) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }

  private:
    void create(const QString &table, const QStringList &columns, QStringList definitions)
    {
        definitions.prepend("qm_order bigint GENERATED ALWAYS AS IDENTITY");
        for (const QString &c : columns)
            definitions << JetSql::quoteIdentifier(c) + " varchar(255) COLLATE \"C\"";
        run(QString("CREATE TABLE %1.\"%2\" (%3)").arg(m_schema, table, definitions.join(", ")));
    }

    QString m_schema;
    QSqlDatabase m_db;
};
