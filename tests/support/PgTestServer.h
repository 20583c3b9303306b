#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>

// Where a test's case database lives: a SQLite file, or a schema of its own
// on the private PostgreSQL test server.
// The test command runs the database tests once per back end: this one
// from QUILLMARK_TEST_BACKEND ("postgres" or, by default, SQLite).
enum class CaseBackend { Sqlite, Postgres };
CaseBackend testBackend();

// The private PostgreSQL cluster that scripts/start-postgres.sh starts for
// the tests, found through the postgres.env it writes beside the test
// programs. Tests that need it skip, saying so, when it was not started.
class PgTestServer
{
  public:
    // Nullptr when no cluster was started for this build.
    static const PgTestServer *instance();
    static QString notStartedMessage();

    QString value(const char *key) const { return m_values.value(QString::fromLatin1(key)); }
    // A libpq URI over the Unix socket (trusted) for a role and database;
    // `schema`, when given, is the only one the session sees.
    QString location(const QString &user, const QString &database,
                     const QString &schema = {}) const;
    // The same over TCP, where every role gives its password.
    QString tcpLocation(const QString &user, const QString &database,
                        const QString &password) const;
    // A connection of the superuser to a database, for setting up and checking.
    QSqlDatabase admin(const QString &connectionName, const QString &database) const;

    // A fresh schema in the shared database, owned by the superuser, that
    // every test role may use; dropped with everything in it by dropSchema().
    QString createSchema() const;
    void dropSchema(const QString &schema) const;

  private:
    QHash<QString, QString> m_values;
};
