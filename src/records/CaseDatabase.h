#pragma once

#include "jetsql/DataError.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class DatabaseBackend;
class QSqlQuery;
class SqlDialect;

// The case database: where it lives, opening it safely, and the one
// connection through which every record set reads and writes it. What
// differs between database engines is the back end's (DatabaseBackend);
// this class keeps what every engine shares: the connection, the prepared
// statements and the tables as they were found.
//
// A database that does not open as a case database is never changed: no
// table is created in it and nothing that writes is run on it.
class CaseDatabase
{
  public:
    // The database the program uses: $QUILLMARK_DATABASE when set, otherwise
    // Quillmark.db in the per-user application data folder.
    static QString defaultPath();
    // Quillmark.db in the per-user application data folder.
    static QString defaultFile();

    // `location` is where the database is (a file path); the back end for
    // it is chosen here, nothing is opened yet.
    explicit CaseDatabase(const QString &location);
    ~CaseDatabase();
    CaseDatabase(const CaseDatabase &) = delete;
    CaseDatabase &operator=(const CaseDatabase &) = delete;

    // Asked for a password when the server wants one, or refused the one
    // given (`refused`): `reason` is what the server said; false when the
    // steward cancels. Asked again until the server takes one, at open and
    // when the connection is made again after a lost server.
    using PasswordPrompt =
        std::function<bool(const QString &reason, bool refused, QString &password)>;
    void setPasswordPrompt(PasswordPrompt prompt) { m_passwordPrompt = std::move(prompt); }

    // Opens (creating the folder and a new database when there is none).
    // Throws DataError when it cannot be opened as a case database.
    void open();
    // Opens a database that must exist already: a mistyped location leaves
    // nothing new behind. Throws DataError.
    void openExisting();
    // Closes the connection and forgets every prepared statement; record
    // sets opened before must be opened again after the next open.
    void close();
    // Opens again, as it is now: after close(), e.g. once a restore has put
    // another file in place, or to read the tables anew. Throws DataError.
    void reopen();
    bool isOpen() const { return m_open; }
    // The location as given.
    const QString &path() const;
    // The database file, for a back end that keeps one; empty otherwise.
    QString filePath() const;
    QSqlDatabase connection() const;
    DatabaseBackend &backend() const { return *m_backend; }
    // How SQL is written for this database.
    const SqlDialect &dialect() const;

    // Column names of a table in their stored order; empty when unknown.
    QStringList columns(const QString &table) const;
    // Canonical table name for a name given in any case; empty when unknown.
    QString tableName(const QString &name) const;
    // The field the database numbers by itself (the Grievance Number), or
    // empty; it is never written.
    QString autoKeyColumn(const QString &table) const { return m_autoKeys.value(table.toLower()); }
    // The SQL naming a row of the table for good: what record sets keep.
    QString keyExpression(const QString &table) const;
    // The key of the row the insert just run on `query` stored.
    qint64 insertedKey(QSqlQuery &query) const;

    // Runs work inside one write transaction, rolling back when it throws.
    // Failures surface as DataError.
    void write(const std::function<void(QSqlQuery &)> &work);

    // On a server a save carries an identity that the server keeps, written
    // in the save's own transaction beside the row it stored, for a week:
    // a save whose answer was lost with the connection (the commit may or
    // may not have happened) is asked after instead of being written a
    // second time. A file's commit cannot lose its answer; a server whose
    // owner has not opened it with this version yet lacks the table, and
    // its saves go on without.
    bool remembersSaves() const { return m_keepsSaves; }
    // Inside write(), last: keeps save `id`, which stored `row` of `table`
    // as `written` reads now.
    void rememberSave(QSqlQuery &query, const QString &id, const QString &table, qint64 row,
                      const QVariantList &written);
    struct RememberedSave {
        qint64 row = -1;
        QByteArray digest; // rowDigest() of the row as the save left it
    };
    // Save `id`, when the server stored it; from now on it never will, if
    // it has not. Throws DataError, 3027 while the server cannot be
    // reached: the answer is then still unknown.
    std::optional<RememberedSave> rememberedSave(const QString &id);
    static QByteArray rowDigest(const QVariantList &row);

    // Whether the database keeps who changed each row last (ChangeLog) and
    // this user may read it; changeLogMissing() says why not.
    bool tracksChanges() const { return m_open && m_changeLogMissing.isEmpty(); }
    // How many times the session that notes and hears changes was started:
    // more than once after a lost connection was made again.
    int changeSessionStarts() const { return m_changeSessionStarts; }
    QString changeLogMissing() const
    {
        return m_open ? m_changeLogMissing : QStringLiteral("The database is not open.");
    }
    // Inside write(): nothing else may run on the connection meanwhile.
    bool isWriting() const { return m_writing; }

    // Folds the write-ahead log into the database file, as far as no other
    // program is reading it: the file alone then holds every saved record,
    // as it does once the program has closed it. A backup taken after it
    // therefore finds the file unchanged at the next start.
    void checkpoint();

    // A prepared read statement on the connection, kept for reuse. Bind,
    // exec, read, then finish() it: no read transaction stays open.
    QSqlQuery &cachedQuery(const QString &sql) const;
    QSqlQuery prepared(const QString &sql) const;

    // Maps a Qt SQL error of this database to the program's catalogue.
    DataError error(const QSqlError &error, const QString &context = {}) const;
    // The same for an error of a SQLite connection.
    static DataError errorFrom(const QSqlError &error, const QString &context = {});
    void exec(QSqlQuery &query) const;

  private:
    void openConnection(bool mayCreate);
    void ensureConnected() const;
    void closeConnection();
    // The connection's part of the change log, as it (re)connects.
    void startChangeSession() const;
    // True when `failure` asked for a password and the steward gave one
    // (`password`, now the back end's too).
    bool askPassword(const DataError &failure, QString &password) const;
    DataError inSession(const DataError &e) const;

    std::unique_ptr<DatabaseBackend> m_backend;
    QString m_connectionName;
    bool m_open = false;
    mutable bool m_lost = false;           // the server went away; connect before the next command
    bool m_writing = false;                // inside write(): never connect anew half way
    QHash<QString, QStringList> m_columns; // lower-case table name -> columns
    QHash<QString, QString> m_tableNames;  // lower-case -> canonical
    QHash<QString, QString> m_autoKeys;    // lower-case table -> its numbered field
    mutable std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_statements;
    PasswordPrompt m_passwordPrompt;
    bool m_keepsSaves = false;  // saves carry an identity the server keeps
    bool m_prunesSaves = false; // and this user may let the old ones go
    bool m_savesPruned = false; // which was done this session
    QString m_changeLogMissing; // why the change log cannot be read; empty when it can
    mutable int m_changeSessionStarts = 0;
};
