#include "support/PgTestServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <gtest/gtest.h>

namespace
{

QString envFile()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/postgres.env");
}

QString encoded(const QString &s)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

} // namespace

CaseBackend testBackend()
{
    return qEnvironmentVariable("QUILLMARK_TEST_BACKEND") == QLatin1String("postgres")
               ? CaseBackend::Postgres
               : CaseBackend::Sqlite;
}

const PgTestServer *PgTestServer::instance()
{
    static const PgTestServer *server = []() -> const PgTestServer * {
        QFile f(envFile());
        if (!f.open(QIODevice::ReadOnly))
            return nullptr;
        auto *s = new PgTestServer;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const int eq = line.indexOf('=');
            if (eq > 0)
                s->m_values.insert(QString::fromUtf8(line.left(eq)),
                                   QString::fromUtf8(line.mid(eq + 1)));
        }
        // libpq's own files, as a steward's machine would have them.
        qputenv("PGPASSFILE", s->value("PGPASSFILE").toUtf8());
        qputenv("PGSERVICEFILE", s->value("PGSERVICEFILE").toUtf8());
        return s;
    }();
    return server;
}

QString PgTestServer::notStartedMessage()
{
    return QStringLiteral("no PostgreSQL test server: %1 is missing (scripts/start-postgres.sh "
                          "starts one; scripts/test.sh does so itself)")
        .arg(envFile());
}

QString PgTestServer::location(const QString &user, const QString &database,
                               const QString &schema) const
{
    QString uri =
        QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
            .arg(encoded(user), encoded(database), encoded(value("PGHOST")), value("PGPORT"));
    if (!schema.isEmpty())
        uri += QStringLiteral("&options=") + encoded(QStringLiteral("-c search_path=") + schema);
    return uri;
}

QString PgTestServer::tcpLocation(const QString &user, const QString &database,
                                  const QString &password) const
{
    QString uri = QStringLiteral("postgresql://%1%2@%3:%4/%5")
                      .arg(encoded(user), password.isEmpty() ? QString() : u':' + encoded(password),
                           value("QUILLMARK_PG_TCP_HOST"), value("PGPORT"), encoded(database));
    return uri;
}

QSqlDatabase PgTestServer::admin(const QString &connectionName, const QString &database) const
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (db.isOpen())
        return db;
    db.setHostName(value("PGHOST"));
    db.setPort(value("PGPORT").toInt());
    db.setUserName(value("PGUSER"));
    db.setDatabaseName(database);
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    QSqlQuery(db).exec(QStringLiteral("SET client_min_messages = warning"));
    return db;
}

QString PgTestServer::createSchema() const
{
    const QString schema =
        QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    const QString steward = value("QUILLMARK_PG_STEWARD");
    {
        QSqlDatabase db =
            admin(QStringLiteral("pg-test-admin"), value("QUILLMARK_PG_STEWARD_DATABASE"));
        QSqlQuery q(db);
        for (const QString &sql :
             {QStringLiteral("CREATE SCHEMA %1").arg(schema),
              QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, steward),
              // What the administrator grants a steward on the tables the
              // program makes (see the README).
              QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT SELECT, INSERT, "
                             "UPDATE, DELETE ON TABLES TO %2")
                  .arg(schema, steward)})
            EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    return schema;
}

void PgTestServer::dropSchema(const QString &schema) const
{
    QSqlDatabase db =
        admin(QStringLiteral("pg-test-admin"), value("QUILLMARK_PG_STEWARD_DATABASE"));
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema)))
        << q.lastError().text().toStdString();
}
