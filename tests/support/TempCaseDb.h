#pragma once

#include "records/CaseDatabase.h"
#include "support/PgTestServer.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

// A fresh temporary case database per test, with helpers to fill and read
// it through a separate connection (so the program's own connection is not
// what checks its work).
//
// On the server, the helpers take the statements as written for SQLite:
// the case tables' and fields' names are quoted as stored and rowid becomes
// the table's key, so one test reads the same on both.
class TempCaseDb
{
  public:
    explicit TempCaseDb(CaseBackend backend = testBackend());
    ~TempCaseDb();
    // The database location (a file path or a postgresql:// URI).
    QString path() const;
    CaseBackend backend() const { return m_backend; }
    bool onServer() const { return m_backend == CaseBackend::Postgres; }
    // The schema of its own on the server; empty for a file.
    const QString &schema() const { return m_schema; }
    // Empty when the database can be used; otherwise why not (no server).
    const QString &unavailable() const { return m_unavailable; }
    // Opens the schema through the program's own code.
    std::shared_ptr<CaseDatabase> open();

    qint64 insert(const QString &table, const QVariantMap &values);
    int count(const QString &table, const QString &where = {}, const QVariantList &params = {});
    QVariantMap row(const QString &table, const QString &where, const QVariantList &params = {});
    QSqlQuery query(const QString &sql, const QVariantList &params = {});
    // A statement written for SQLite, as this back end reads it.
    QString adapted(const QString &sql) const;

  private:
    CaseBackend m_backend;
    QTemporaryDir m_dir;
    QString m_checker;
    QString m_schema;
    QString m_unavailable;
    bool m_created = false;
};

// Skips the test, saying why, when its back end cannot be had.
#define SKIP_WITHOUT_BACKEND(db)                                                                   \
    if (!(db).unavailable().isEmpty())                                                             \
    GTEST_SKIP() << (db).unavailable().toStdString()
