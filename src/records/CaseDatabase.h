#pragma once

#include "jetsql/DataError.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <unordered_map>

class QSqlQuery;
class SqlDialect;

// The case database file: where it lives, opening it safely, and the one
// connection through which every record set reads and writes it.
//
// A file that does not open as a case database is never changed: no table
// is created in it and no pragma that writes is run on it.
class CaseDatabase
{
public:
    // The file the program uses: $QUILLMARK_DATABASE when set, otherwise
    // Quillmark.db in the per-user application data folder.
    static QString defaultPath();

    explicit CaseDatabase(const QString &path);
    ~CaseDatabase();
    CaseDatabase(const CaseDatabase &) = delete;
    CaseDatabase &operator=(const CaseDatabase &) = delete;

    // Opens (creating the folder and a new database when there is no file).
    // Throws DataError when the file cannot be opened as a case database.
    void open();
    bool isOpen() const { return m_open; }
    const QString &path() const { return m_path; }
    QSqlDatabase connection() const;
    // How SQL is written for this database.
    const SqlDialect &dialect() const;

    // Column names of a table in their stored order; empty when unknown.
    QStringList columns(const QString &table) const;
    // Canonical table name for a name given in any case; empty when unknown.
    QString tableName(const QString &name) const;
    // The column that is the table's automatically numbered key (the rowid
    // itself), or empty.
    QString autoKeyColumn(const QString &table) const { return m_autoKeys.value(table.toLower()); }

    // Runs work inside BEGIN IMMEDIATE ... COMMIT, rolling back when it
    // throws. Failures surface as DataError.
    void write(const std::function<void(QSqlQuery &)> &work);

    // A prepared read statement on the connection, kept for reuse. Bind,
    // exec, read, then finish() it: no read transaction stays open.
    QSqlQuery &cachedQuery(const QString &sql) const;
    QSqlQuery prepared(const QString &sql) const;

    // Maps a Qt SQL error to the program's catalogue.
    static DataError errorFrom(const class QSqlError &error, const QString &context = {});
    void exec(QSqlQuery &query) const;

    // Milliseconds a writer waits for another program's lock.
    static constexpr int BusyTimeoutMs = 5000;

private:
    void createFile(bool replaceEmptyFile);
    void createSchema();
    void verifySchema();
    void configure();

    QString m_path;
    QString m_connectionName;
    bool m_open = false;
    QHash<QString, QStringList> m_columns; // lower-case table name -> columns
    QHash<QString, QString> m_tableNames;  // lower-case -> canonical
    QHash<QString, QString> m_autoKeys;
    mutable std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_statements;    // lower-case table -> its INTEGER PRIMARY KEY column
};
