// The case database on the PostgreSQL test server, where it differs from a
// file: made on first use with a key no one sees, text compared through an
// index without regard to case, row locks that end in the "in use" error,
// a lost server that the next command reaches again (also a server really
// stopped and started again), and the ways a server refuses a connection.
#include "support/OwnPgCluster.h"
#include "support/PgTestServer.h"
#include "support/TempCaseDb.h"

#include "jetsql/KeysetQuery.h"
#include "jetsql/PostgresDialect.h"
#include "records/DatabaseBackend.h"
#include "records/RecordSet.h"

#include <QDeadlineTimer>
#include <QSqlError>
#include <QTest>
#include <QThread>
#include <atomic>
#include <libpq-fe.h>
#include <thread>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString FileNumber = QStringLiteral("File Number");

class PostgresCase : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(db);
        cdb = db.open();
    }
    static QVariant field(const RecordSet &rs, const QString &name)
    {
        return rs.value(rs.fieldIndex(name));
    }
    // The process id of the program's own server session.
    int sessionOf(const std::shared_ptr<CaseDatabase> &c)
    {
        QSqlQuery q(c->connection());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT pg_backend_pid()")) && q.next());
        return q.value(0).toInt();
    }

    TempCaseDb db{CaseBackend::Postgres};
    std::shared_ptr<CaseDatabase> cdb;
};

DataError refusal(const QString &location)
{
    CaseDatabase c(location);
    try {
        c.open();
    } catch (const DataError &e) {
        EXPECT_FALSE(c.isOpen());
        return e;
    }
    ADD_FAILURE() << "opened " << location.toStdString();
    return DataError(0, {});
}

} // namespace

TEST_F(PostgresCase, TablesAreMadeOnFirstUseWithTheFieldNamesAndAKeyNoOneSees)
{
    QSqlQuery q = db.query(QStringLiteral(
        "SELECT attname FROM pg_attribute WHERE attrelid = '\"Employee\"'::regclass AND attnum > 0 "
        "ORDER BY attnum"));
    QStringList stored;
    while (q.next())
        stored << q.value(0).toString();
    ASSERT_EQ(stored.value(0), QStringLiteral("qm!key"));
    RecordSet employees(cdb, Employee);
    EXPECT_EQ(employees.fieldNames(), stored.mid(1));
    EXPECT_EQ(employees.fieldIndex(QStringLiteral("qm!key")), -1);
    // A filter cannot reach it either.
    EXPECT_THROW(RecordSet(cdb, QStringLiteral("SELECT * FROM Employee WHERE [qm!key] = 1")),
                 DataError);
    RecordSet complaints(cdb, QStringLiteral("Complaints"));
    EXPECT_EQ(complaints.fieldName(0), QStringLiteral("Grievance Number"));

    // Opened again, nothing is made twice and the key keeps numbering.
    const qint64 first = db.insert(Employee, {{FileNumber, QStringLiteral("1")}});
    CaseDatabase again(db.path());
    again.open();
    EXPECT_GT(db.insert(Employee, {{FileNumber, QStringLiteral("2")}}), first);
}

TEST_F(PostgresCase, TheLookupWalksTheFileNumberIndexWithoutRegardToCase)
{
    db.query(QStringLiteral("INSERT INTO \"Employee\" (\"File Number\", \"Name\") SELECT lpad((i * "
                            "7919 % 20000)::text, "
                            "6, '0'), 'N' || i FROM generate_series(1, 20000) i"));
    db.insert(Employee, {{FileNumber, QStringLiteral("AbC300007")}});
    db.query(QStringLiteral("ANALYZE \"Employee\""));

    const QString source =
        QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE 'abc3*'");
    RecordSet rs(cdb, source);
    ASSERT_TRUE(rs.hasCurrent());
    EXPECT_EQ(field(rs, FileNumber).toString(), QStringLiteral("AbC300007"));

    // The statement the record set runs, as the server plans it.
    RecordSet probe(cdb,
                    QStringLiteral("SELECT * FROM Employee WHERE [File Number] LIKE '00012*'"));
    KeysetChunk chunk;
    chunk.table = Employee;
    chunk.key = cdb->keyExpression(Employee);
    chunk.order = {{FileNumber, false}};
    const auto resolve = [&](const QString &name) -> std::optional<TableInfo> {
        if (name.compare(Employee, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return TableInfo{Employee, [&](const QString &c) {
                             const int i = probe.fieldIndex(c);
                             return i < 0 ? QString() : probe.fieldName(i);
                         }};
    };
    chunk.where = JetSql::parseRecordSource(probe.source(), resolve, cdb->dialect()).where;
    chunk.limit = 16;
    const SqlStatement statement = keysetQuery(chunk, cdb->dialect());
    // The server explains a statement prepared with its parameters as the
    // driver prepares it, run with the values bound.
    QString numbered;
    int n = 0;
    for (const QChar c : statement.sql)
        numbered += c == u'?' ? QStringLiteral("$%1").arg(++n) : QString(c);
    QStringList literals;
    for (const QVariant &p : statement.params)
        literals << u'\'' + p.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    QSqlQuery explain(cdb->connection());
    ASSERT_TRUE(explain.exec(QStringLiteral("PREPARE lookup_plan AS ") + numbered))
        << explain.lastError().text().toStdString();
    ASSERT_TRUE(explain.exec(
        QStringLiteral("EXPLAIN EXECUTE lookup_plan(%1)").arg(literals.join(QStringLiteral(", ")))))
        << explain.lastError().text().toStdString();
    QString plan;
    while (explain.next())
        plan += explain.value(0).toString() + u'\n';
    EXPECT_TRUE(plan.contains(QLatin1String("Index Cond")) &&
                plan.contains(QLatin1String("\"Employee File Number\"")))
        << plan.toStdString();
    EXPECT_FALSE(plan.contains(QLatin1String("Seq Scan"))) << plan.toStdString();
}

TEST_F(PostgresCase, ARowLockedPastTheTimeoutIsInUseAndTheTypedValuesStay)
{
    const qint64 key = db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ada")}});
    RecordSet rs(cdb, Employee);
    // Another steward's transaction holds the row.
    QSqlQuery other = db.query(QStringLiteral("BEGIN"));
    db.query(QStringLiteral("UPDATE Employee SET Department = 'Held' WHERE rowid = ?"), {key});
    rs.edit();
    rs.setValue(rs.fieldIndex(QStringLiteral("Department")), QStringLiteral("Mine"));
    try {
        rs.update();
        FAIL() << "saved over a locked row";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::Locked) << e.description().toStdString();
    }
    EXPECT_EQ(rs.editMode(), RecordSet::Editing);
    EXPECT_EQ(field(rs, QStringLiteral("Department")).toString(), QStringLiteral("Mine"));
    db.query(QStringLiteral("ROLLBACK"));
    rs.update(); // the lock gone, the same save goes through
    EXPECT_EQ(
        db.row(Employee, QStringLiteral("rowid = ?"), {key}).value(QStringLiteral("Department")),
        QStringLiteral("Mine"));
}

// The server ends the program's session, as a restart does. Ended while
// the program is idle, the next save connects again first and goes through;
// ended in the middle of a save, that save is refused in one line of plain
// words, nothing of it is stored, and the same save tried again goes through.
TEST_F(PostgresCase, ALostSessionIsMadeAgainAndOnlyASaveItBrokeIsUnreachable)
{
    const qint64 key = db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Ada")}});
    RecordSet rs(cdb, Employee);
    const int name = rs.fieldIndex(QStringLiteral("Name"));
    const int idle = sessionOf(cdb);
    db.query(QStringLiteral("SELECT pg_terminate_backend(?)"), {idle});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return db.count("pg_stat_activity", "pid = ?", {idle}) == 0; }));
    rs.edit();
    rs.setValue(name, QStringLiteral("Ada Lovelace"));
    EXPECT_NO_THROW(rs.update());
    EXPECT_EQ(db.row(Employee, QStringLiteral("rowid = ?"), {key}).value(QStringLiteral("Name")),
              QStringLiteral("Ada Lovelace"));

    // Another steward holds the row; the save waits for it, and another
    // thread ends its session while it waits.
    const int session = sessionOf(cdb);
    db.query(QStringLiteral("BEGIN"));
    db.query(QStringLiteral("UPDATE Employee SET Department = 'Held' WHERE rowid = ?"), {key});
    std::atomic<bool> endedWhileWaiting{false};
    std::thread ender([&] {
        const PgTestServer *pg = PgTestServer::instance();
        const std::unique_ptr<PGconn, decltype(&PQfinish)> c(
            PQconnectdb(pg->location(pg->value("PGUSER"), pg->value("PGDATABASE")).toUtf8()),
            &PQfinish);
        const QByteArray end = QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                              "pg_stat_activity WHERE pid = %1 AND "
                                              "wait_event_type = 'Lock'")
                                   .arg(session)
                                   .toUtf8();
        for (QDeadlineTimer deadline(4000); !endedWhileWaiting && !deadline.hasExpired();
             QThread::msleep(5)) {
            PGresult *r = PQexec(c.get(), end.constData());
            endedWhileWaiting = PQntuples(r) == 1;
            PQclear(r);
        }
    });
    rs.edit();
    rs.setValue(name, QStringLiteral("Countess"));
    try {
        rs.update();
        ADD_FAILURE() << "saved on a session the server ended";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::Unreachable) << e.description().toStdString();
        EXPECT_FALSE(e.description().contains(u'\n')) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(cdb->backend().displayName()));
        EXPECT_TRUE(e.description().contains(QLatin1String("still on the screen")));
    }
    ender.join();
    ASSERT_TRUE(endedWhileWaiting);
    db.query(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(field(rs, QStringLiteral("Name")).toString(), QStringLiteral("Countess"));
    EXPECT_EQ(db.row(Employee, QStringLiteral("rowid = ?"), {key}).value(QStringLiteral("Name")),
              QStringLiteral("Ada Lovelace"));
    rs.update(); // connected again by itself
    EXPECT_EQ(db.row(Employee, QStringLiteral("rowid = ?"), {key}).value(QStringLiteral("Name")),
              QStringLiteral("Countess"));
}

TEST(PostgresOpen, RefusalsSayWhyAndLeaveNothingOpen)
{
    const PgTestServer *server = PgTestServer::instance();
    if (!server)
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    // A port where nothing listens (tcpmux, never served here): the server
    // cannot be reached.
    const int closedPort = 1;
    const DataError refused = refusal(
        QStringLiteral("postgresql://qm_steward@127.0.0.1:%1/quillmark_shared").arg(closedPort));
    EXPECT_EQ(refused.number(), DataErrors::Unreachable) << refused.description().toStdString();

    const QString role = server->value("QUILLMARK_PG_PASSWORD_ROLE");
    const QString shared = server->value("QUILLMARK_PG_STEWARD_DATABASE");
    const DataError noPassword = refusal(server->location(role, shared));
    EXPECT_EQ(noPassword.number(), DataErrors::CannotOpen);
    EXPECT_TRUE(noPassword.description().contains(QLatin1String("wants a password")))
        << noPassword.description().toStdString();
    const DataError wrong = refusal(server->tcpLocation(role, shared, QStringLiteral("wrong")));
    EXPECT_EQ(wrong.number(), DataErrors::CannotOpen);
    EXPECT_TRUE(wrong.description().contains(QLatin1String("refused")))
        << wrong.description().toStdString();
    EXPECT_FALSE(wrong.description().contains(QLatin1String("wrong")))
        << "the password is in the message";

    // A role that may connect but not create: the tables are not there and
    // cannot be made; said so, and nothing is left behind.
    const DataError noCreate = refusal(server->location(
        server->value("QUILLMARK_PG_NOCREATE"), server->value("QUILLMARK_PG_NOCREATE_DATABASE")));
    EXPECT_EQ(noCreate.number(), DataErrors::CannotOpen);
    EXPECT_TRUE(noCreate.description().contains(QLatin1String("may not create")))
        << noCreate.description().toStdString();
}

TEST(PostgresOpen, TheStewardsRoleWorksWithThePasswordFileAndTheServiceFile)
{
    const PgTestServer *server = PgTestServer::instance();
    if (!server)
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    // The tables made once by the administrator's role, in a schema of their own.
    TempCaseDb made(CaseBackend::Postgres);
    made.open();
    const QString schema = made.path().section(QStringLiteral("search_path%3D"), 1);
    ASSERT_FALSE(schema.isEmpty());
    const QString options = QStringLiteral("options=-c%20search_path%3D") + schema;
    // Over TCP the password comes from libpq's password file; the service
    // file names the same server.
    const QString steward = server->value("QUILLMARK_PG_STEWARD");
    for (const QString &location :
         {server->tcpLocation(steward, server->value("QUILLMARK_PG_STEWARD_DATABASE"), {}) +
              QStringLiteral("?") + options,
          QStringLiteral("postgresql://?service=%1&").arg(server->value("QUILLMARK_PG_SERVICE")) +
              options}) {
        SCOPED_TRACE(location.toStdString());
        auto cdb = std::make_shared<CaseDatabase>(location);
        ASSERT_NO_THROW(cdb->open());
        RecordSet rs(cdb, Employee);
        rs.addNew();
        rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("Steward's own"));
        ASSERT_NO_THROW(rs.update());
        EXPECT_FALSE(cdb->path().contains(server->value("QUILLMARK_PG_STEWARD_PASSWORD")));
    }
    EXPECT_EQ(made.count(Employee, QStringLiteral("Name = 'Steward''s own'")), 2);
}

namespace
{

QString nameOf(const RecordSet &rs)
{
    return rs.value(rs.fieldIndex(QStringLiteral("Name"))).toString();
}

} // namespace

// The server itself goes away and comes back, not only the session: the
// save in between is refused as unreachable with the typed value kept and
// nothing stored, and the same save after the restart goes through on a
// connection the program makes by itself; after a restart while the program
// is idle, the first command goes through.
TEST(PostgresRestart, ASaveWhileTheServerIsDownIsRefusedAndGoesThroughOnceItIsBack)
{
    if (!PgTestServer::instance())
        GTEST_SKIP() << PgTestServer::notStartedMessage().toStdString();
    OwnPgCluster cluster;
    ASSERT_TRUE(cluster.started());
    const QString port = cluster.value(QStringLiteral("PGPORT"));
    auto cdb = std::make_shared<CaseDatabase>(cluster.location());
    ASSERT_NO_THROW(cdb->open());
    RecordSet rs(cdb, Employee);
    rs.addNew();
    rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("Before"));
    ASSERT_NO_THROW(rs.update());
    rs.requery(); // on the record just saved

    ASSERT_TRUE(cluster.stop());
    rs.edit();
    rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("During"));
    try {
        rs.update();
        FAIL() << "saved with the server stopped";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::Unreachable) << e.description().toStdString();
        // One line of plain words that names the server, none of libpq's.
        EXPECT_FALSE(e.description().contains(u'\n')) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(cdb->backend().displayName()));
        EXPECT_FALSE(e.description().contains(QLatin1String("connection to server")));
    }
    EXPECT_EQ(nameOf(rs), QStringLiteral("During"));

    ASSERT_TRUE(cluster.start());
    ASSERT_EQ(cluster.value(QStringLiteral("PGPORT")), port) << "the server came back elsewhere";
    ASSERT_NO_THROW(rs.update());
    rs.requery();
    EXPECT_EQ(nameOf(rs), QStringLiteral("During"));
    // What another program reads: one record, saved once.
    auto other = std::make_shared<CaseDatabase>(cluster.location());
    other->open();
    QSqlQuery count(other->connection());
    ASSERT_TRUE(count.exec(QStringLiteral("SELECT count(*), min(\"Name\") FROM \"Employee\"")) &&
                count.next());
    EXPECT_EQ(count.value(0).toInt(), 1);
    EXPECT_EQ(count.value(1).toString(), QStringLiteral("During"));
    count.finish();

    // Restarted while the program is idle: its first command is not refused.
    ASSERT_TRUE(cluster.stop());
    ASSERT_TRUE(cluster.start());
    rs.edit();
    rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("After"));
    EXPECT_NO_THROW(rs.update());
    EXPECT_NO_THROW(rs.requery());
    EXPECT_EQ(nameOf(rs), QStringLiteral("After"));
}
