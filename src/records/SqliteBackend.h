#pragma once

#include "records/DatabaseBackend.h"

// The case database as a SQLite file on this computer: the file checks
// (a missing or empty file becomes a new database, built under a name of its
// own and moved into place; a file that may only be read stays as it is),
// WAL with full sync, BEGIN IMMEDIATE writes that wait for another program's
// lock, the rowid as every table's key and SQLite's result codes.
class SqliteBackend : public DatabaseBackend
{
  public:
    // Milliseconds a writer waits for another program's lock.
    static constexpr int BusyTimeoutMs = 5000;

    explicit SqliteBackend(const QString &path);

    QString filePath() const override { return location(); }
    QList<StoredTable> open(const QString &connectionName, bool mayCreate) override;
    QList<StoredTable> tables(const QSqlDatabase &db) const override;
    QSqlDatabase openIndependentConnection(const QString &connectionName) const override;

    const SqlDialect &dialect() const override;
    QString keyExpression(const QString &table) const override;
    qint64 insertedKey(QSqlQuery &query) const override;
    QString beginWrite() const override;
    DataError errorFrom(const QSqlError &error, const QString &context = {}) const override;
    QString changeLogMissing(const QSqlDatabase &db) const override;
    void startChangeSession(const QSqlDatabase &db, bool listen) const override;

    // SQLite's result codes in the program's catalogue.
    static DataError sqliteError(const QSqlError &error, const QString &context = {});

  private:
    QSqlDatabase connect(const QString &connectionName) const;
    void createFile(QSqlDatabase &db, bool replaceEmptyFile);
    void configure(const QSqlDatabase &db) const;
    void addMissingSteps(QSqlDatabase &db);
};
