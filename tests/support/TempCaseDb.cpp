#include "support/TempCaseDb.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

TempCaseDb::TempCaseDb(CaseBackend backend)
    : m_backend(backend),
      m_checker(QStringLiteral("checker-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (onServer()) {
        const PgTestServer *server = PgTestServer::instance();
        if (!server)
            m_unavailable = PgTestServer::notStartedMessage();
        else
            m_schema = server->createSchema();
    }
}

TempCaseDb::~TempCaseDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_checker, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_checker);
    if (!m_schema.isEmpty())
        PgTestServer::instance()->dropSchema(m_schema);
}

QString TempCaseDb::path() const
{
    if (!onServer())
        return m_dir.path() + QStringLiteral("/Quillmark.db");
    const PgTestServer *server = PgTestServer::instance();
    if (!server)
        return QStringLiteral("postgresql:///no-test-server");
    return server->location(server->value("PGUSER"), server->value("QUILLMARK_PG_STEWARD_DATABASE"),
                            m_schema);
}

std::shared_ptr<CaseDatabase> TempCaseDb::open()
{
    auto db = std::make_shared<CaseDatabase>(path());
    db->open();
    m_created = true;
    return db;
}

QString TempCaseDb::adapted(const QString &sql) const
{
    if (!onServer())
        return sql;
    // Bare words outside quotes: table and one-word field names are quoted
    // as stored, rowid becomes the key of the statement's table.
    static const QStringList names = {
        QStringLiteral("Employee"),   QStringLiteral("Complaints"),     QStringLiteral("Name"),
        QStringLiteral("Department"), QStringLiteral("Classification"), QStringLiteral("Address")};
    const QString key = sql.contains(QLatin1String("Complaints"))
                            ? QStringLiteral("\"Grievance Number\"")
                            : QStringLiteral("\"qm!key\"");
    QString out;
    // SQLite takes a number for a condition; the server wants a boolean.
    static const QRegularExpression whereOne(QStringLiteral(" WHERE 1( |$)"));
    if (sql.contains(whereOne))
        return adapted(QString(sql).replace(whereOne, QStringLiteral(" WHERE true\\1")));
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {
            const qsizetype end = sql.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? sql.size() : end + 1;
            out += sql.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c.isLetter() || c == u'_') {
            qsizetype j = i;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_'))
                ++j;
            const QString word = sql.mid(i, j - i);
            if (word.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
                out += key;
            else if (names.contains(word))
                out += u'"' + word + u'"';
            else
                out += word;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QSqlQuery TempCaseDb::query(const QString &sql, const QVariantList &params)
{
    if (!QSqlDatabase::contains(m_checker)) {
        // Create the schema through the program's own code first.
        if (onServer() ? !m_created : !QFile::exists(path()))
            open();
        QSqlDatabase db;
        if (onServer()) {
            const PgTestServer *server = PgTestServer::instance();
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_checker);
            db.setHostName(server->value("PGHOST"));
            db.setPort(server->value("PGPORT").toInt());
            db.setUserName(server->value("PGUSER"));
            db.setDatabaseName(server->value("QUILLMARK_PG_STEWARD_DATABASE"));
            db.setConnectOptions(QStringLiteral("options='-c search_path=%1'").arg(m_schema));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_checker);
            db.setDatabaseName(path());
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    const QString statement = adapted(sql);
    QSqlQuery q(QSqlDatabase::database(m_checker));
    // The server prepares only statements that read or write rows.
    if (onServer() && params.isEmpty()) {
        EXPECT_TRUE(q.exec(statement))
            << q.lastError().text().toStdString() << " in " << statement.toStdString();
        return q;
    }
    EXPECT_TRUE(q.prepare(statement))
        << q.lastError().text().toStdString() << " in " << statement.toStdString();
    for (const QVariant &p : params)
        q.addBindValue(p);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString() << " in "
                          << statement.toStdString();
    return q;
}

qint64 TempCaseDb::insert(const QString &table, const QVariantMap &values)
{
    QStringList cols, marks;
    QVariantList params;
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << QLatin1Char('"') + it.key() + QLatin1Char('"');
        marks << QStringLiteral("?");
        params << it.value();
    }
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    if (onServer()) {
        QSqlQuery q = query(sql + QStringLiteral(" RETURNING rowid"), params);
        return q.next() ? q.value(0).toLongLong() : -1;
    }
    QSqlQuery q = query(sql, params);
    return q.lastInsertId().toLongLong();
}

int TempCaseDb::count(const QString &table, const QString &where, const QVariantList &params)
{
    QSqlQuery q =
        query(QStringLiteral("SELECT COUNT(*) FROM %1%2")
                  .arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
              params);
    return q.next() ? q.value(0).toInt() : -1;
}

QVariantMap TempCaseDb::row(const QString &table, const QString &where, const QVariantList &params)
{
    // The first such row in the order rows were added, as SQLite reads them.
    QSqlQuery q =
        query(QStringLiteral("SELECT * FROM %1 WHERE %2%3")
                  .arg(table, where, onServer() ? QStringLiteral(" ORDER BY rowid") : QString()),
              params);
    QVariantMap m;
    if (q.next()) {
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            m.insert(r.fieldName(i), q.value(i));
    }
    return m;
}
