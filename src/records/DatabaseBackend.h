#pragma once

#include "jetsql/DataError.h"
#include "records/SchemaStep.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QSqlError;
class QSqlQuery;
class SqlDialect;

// A table as a back end reports it: the fields the steward sees, in their
// stored order, and the one the database numbers by itself.
struct StoredTable {
    QString name;
    QStringList columns; // never a key the program keeps hidden
    QString autoKey;     // the automatically numbered field, or empty
};

// One database engine behind the case database: how it is reached, what
// its SQL looks like, how its tables are found and made, how a write is
// framed and how its errors read. Everything engine-specific the record
// sets need goes through here, so a second engine is one more subclass.
class DatabaseBackend
{
  public:
    // The back end for a database location: a postgresql:// URI names a
    // server, anything else a SQLite file. Opens nothing.
    static std::unique_ptr<DatabaseBackend> forLocation(const QString &location);

    explicit DatabaseBackend(QString location);
    virtual ~DatabaseBackend();
    DatabaseBackend(const DatabaseBackend &) = delete;
    DatabaseBackend &operator=(const DatabaseBackend &) = delete;

    // Where the database is, as the steward gave it.
    const QString &location() const { return m_location; }
    // The database as messages name it: never a password.
    virtual QString displayName() const { return m_location; }
    // The database file, for a back end that keeps one; empty otherwise.
    virtual QString filePath() const { return {}; }

    // Connects under `connectionName` (a QSqlDatabase name the caller owns
    // and removes) and makes the case tables when the database is new.
    // `mayCreate` false refuses a database that does not exist yet instead.
    // Returns the tables found. Throws DataError; a database that is not a
    // case database is left as it was.
    virtual QList<StoredTable> open(const QString &connectionName, bool mayCreate) = 0;
    // The tables the database holds now, read through `db`.
    virtual QList<StoredTable> tables(const QSqlDatabase &db) const = 0;
    // A second connection to the same database under `connectionName`,
    // independent of the first (a background copy reads through it). Makes
    // nothing; the caller closes and removes it. Throws DataError.
    virtual QSqlDatabase openIndependentConnection(const QString &connectionName) const = 0;

    virtual const SqlDialect &dialect() const = 0;
    // The SQL that names a row of `table` for good: the key a record set
    // keeps. Never one of the steward's fields unless the table numbers its
    // rows by one.
    virtual QString keyExpression(const QString &table) const = 0;
    // The key of the row the insert just run on `query` stored.
    virtual qint64 insertedKey(QSqlQuery &query) const = 0;
    // The statement that starts a write transaction.
    virtual QString beginWrite() const = 0;

    // Whether a refused connection is a matter of a password: the server
    // asked for one and none was given, or refused the one given.
    enum class PasswordNeed { None, Missing, Refused };
    // Asks the server again after `failure` (a refused open); `reason` gets
    // what the server said. A back end without passwords answers None.
    virtual PasswordNeed passwordNeed(const DataError &failure, QString *reason) const
    {
        (void)failure;
        (void)reason;
        return PasswordNeed::None;
    }
    // A password for this session only: kept in memory, never stored.
    virtual void setPassword(const QString &password) { (void)password; }

    // Whether `db`, open and idle, is known to be of no use any more: the
    // server ended the session (a restart, say) and said so. Costs no round
    // trip; a connection that merely went quiet is not known broken.
    virtual bool connectionBroken(const QSqlDatabase &db) const
    {
        (void)db;
        return false;
    }

    // Whether saves through `db` may carry an identity that the database
    // keeps beside the row they wrote (see CaseDatabase::remembersSaves),
    // and whether this user may prune the old ones.
    struct SaveLedger {
        bool keep = false;
        bool prune = false;
    };
    virtual SaveLedger saveLedger(const QSqlDatabase &db) const
    {
        (void)db;
        return {};
    }

    // Who changed what (ChangeLog): the marker the changes made through
    // this back end's connections carry, one per case database opened.
    const QString &changeSession() const { return m_changeSession; }
    // Empty when `db` keeps who changed its rows and this user may read
    // it; otherwise why not, for the steward. Throws DataError.
    virtual QString changeLogMissing(const QSqlDatabase &db) const = 0;
    // Run on each connection as it opens or connects again: its changes
    // name this user and carry the marker; with `listen`, the server's
    // notices of other sessions' changes come to it. Throws DataError.
    virtual void startChangeSession(const QSqlDatabase &db, bool listen) const
    {
        (void)db;
        (void)listen;
    }
    // The change notices the server sent to `db` since the last call;
    // reads only what has arrived, never waits.
    virtual QStringList takeChangeNotices(const QSqlDatabase &db) const
    {
        (void)db;
        return {};
    }

    // A Qt SQL error in the program's catalogue.
    virtual DataError errorFrom(const QSqlError &error, const QString &context = {}) const = 0;

    // Runs work inside one write transaction on `db`, rolling back when it
    // throws. Failures surface as DataError.
    void write(const QSqlDatabase &db, const std::function<void(QSqlQuery &)> &work) const;

    // The steps that make a case database in this engine, in order; a later
    // feature adds its own with addSchemaStep().
    const QList<SchemaStep> &schemaSteps() const { return m_steps; }
    void addSchemaStep(const SchemaStep &step) { m_steps << step; }

  protected:
    // Throws NotCaseDatabase unless both case tables are there with every
    // field (in any letter case; extra fields are fine).
    void requireCaseTables(const QList<StoredTable> &tables) const;
    // Runs every schema step (a new database) or only the missing ones that
    // an existing database may gain, in one write transaction.
    void runSchemaSteps(const QSqlDatabase &db, bool newDatabase) const;

    QList<SchemaStep> m_steps;

  private:
    QString m_location;
    QString m_changeSession;
};
