#pragma once

#include "records/DatabaseBackend.h"

#include <QHash>
#include <QSet>

struct pg_conn;

// The case database on a PostgreSQL server, reached through a libpq
// connection URI or key=value string (postgresql://steward@server/quillmark,
// service=office). The tables are made on first use when the user may make
// them; Employee gets a key of its own that no screen shows ("qm!key": a
// field name of the case database can never hold a "!"). Text columns are
// COLLATE "C", compared through lower() (PostgresDialect); a write waits at
// most LockTimeoutMs for another steward's row lock; a lost server is its
// own error, after which the next command connects again.
class PostgresBackend : public DatabaseBackend
{
  public:
    static constexpr int LockTimeoutMs = 5000;
    // The name of Employee's key; hidden from every field list.
    static const char *const HiddenKey;

    // Whether a location names a server rather than a file.
    static bool isServerLocation(const QString &location);

    explicit PostgresBackend(const QString &location);

    // A password for this session only (asked of the steward); never stored.
    void setPassword(const QString &password) override { m_password = password; }
    // Connects once more through libpq itself, which tells a server that
    // wants a password apart from one that refused the password given (Qt's
    // driver keeps neither).
    PasswordNeed passwordNeed(const DataError &failure, QString *reason) const override;

    QList<StoredTable> open(const QString &connectionName, bool mayCreate) override;
    QList<StoredTable> tables(const QSqlDatabase &db) const override;
    QSqlDatabase openIndependentConnection(const QString &connectionName) const override;

    const SqlDialect &dialect() const override;
    QString keyExpression(const QString &table) const override;
    qint64 insertedKey(QSqlQuery &query) const override;
    QString beginWrite() const override;
    QString changeLogMissing(const QSqlDatabase &db) const override;
    void startChangeSession(const QSqlDatabase &db, bool listen) const override;
    QStringList takeChangeNotices(const QSqlDatabase &db) const override;
    DataError errorFrom(const QSqlError &error, const QString &context = {}) const override;
    bool connectionBroken(const QSqlDatabase &db) const override;
    SaveLedger saveLedger(const QSqlDatabase &db) const override;

    // The server and database, for messages: never a password.
    QString describe() const;
    QString displayName() const override { return describe(); }

  private:
    // Moves the change notices libpq has read to m_notices; how many.
    int keepNotices(pg_conn *conn) const;
    QSqlDatabase connect(const QString &connectionName) const;
    DataError openFailure(const QSqlDatabase &db) const;
    // A connection libpq could not make, from what it said.
    DataError connectFailure(const QString &libpqText) const;

    QString m_connectOptions; // libpq keywords for QPSQL, the password left out
    QList<QPair<QByteArray, QByteArray>> m_keywords; // the same, for libpq itself
    QString m_password;
    QString m_describe;
    QString m_parseError;
    QString m_connectionName;
    mutable QHash<QString, QString> m_keys; // lower-case table -> key expression
    mutable QStringList m_notices;          // change notices read, not yet taken
    // Sessions (connection, server process) whose end the server announced
    // while their notices were read: the next look finds them broken.
    mutable QSet<QPair<quintptr, int>> m_endedSessions;
};
