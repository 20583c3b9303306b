// Who changed what: random saves and deletes by this program, by another
// program's connection (another role on a server) and by a plain client
// that knows nothing of the program, checked against a model of what each
// row's last change was. The side table names the right writer and keeps
// the changes in order; this program's watch sees the others' changes and
// never its own, also those made while the server had ended its session;
// the case tables keep exactly their fields.
#include "support/RunRandomness.h"
#include "support/TempCaseDb.h"

#include "records/CaseSchema.h"
#include "records/ChangeLog.h"
#include "records/DatabaseBackend.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <optional>
#include <random>

namespace
{

enum Writer { Program, Other, Plain };

struct Expected {
    QString kind;
    QString by; // empty: the writer did not say
    int writer = Plain;
};

QStringList storedColumns(TempCaseDb &db, const QString &table)
{
    QStringList columns;
    QSqlQuery q =
        db.onServer()
            ? db.query(QStringLiteral("SELECT column_name FROM information_schema.columns "
                                      "WHERE table_schema = current_schema() AND "
                                      "table_name = '%1' ORDER BY ordinal_position")
                           .arg(table))
            : db.query(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
    while (q.next())
        columns << q.value(0).toString();
    return columns;
}

} // namespace

TEST(ChangeLog, NamesEachRowsLastWriterAndTellsTheOthersChangesOnly)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    std::mt19937 random(randomness);

    std::shared_ptr<CaseDatabase> program = db.open();
    ASSERT_TRUE(program->tracksChanges()) << program->changeLogMissing().toStdString();
    const QStringList employeeBefore = storedColumns(db, QStringLiteral("Employee"));
    const QStringList complaintsBefore = storedColumns(db, QStringLiteral("Complaints"));

    // The other program: another steward's role on a server, the same
    // operating system user on a file (the same computer).
    QString otherLocation = db.path();
    QString programBy = ChangeLog::osUser();
    QString otherBy = programBy;
    QString plainBy; // a file's other programs do not say who they are
    if (db.onServer()) {
        const PgTestServer *server = PgTestServer::instance();
        otherLocation =
            server->location(server->value("QUILLMARK_PG_STEWARD"),
                             server->value("QUILLMARK_PG_STEWARD_DATABASE"), db.schema());
        programBy = server->value("PGUSER");
        otherBy = server->value("QUILLMARK_PG_STEWARD");
        plainBy = server->value("PGUSER"); // the checker's connection
    }
    auto other = std::make_shared<CaseDatabase>(otherLocation);
    other->open();
    ASSERT_TRUE(other->tracksChanges()) << other->changeLogMissing().toStdString();
    ASSERT_NE(program->backend().changeSession(), other->backend().changeSession());

    // On a server, another office's case tables in another schema of the
    // same database: its changes come on the same channel and are no news.
    std::optional<TempCaseDb> neighbour;
    std::shared_ptr<CaseDatabase> neighbourProgram;
    if (db.onServer()) {
        neighbour.emplace();
        neighbourProgram = neighbour->open();
    }

    ChangeLog::Watch watch(*program);
    const QStringList tables = {QStringLiteral("Employee"), QStringLiteral("Complaints")};
    QHash<QString, QHash<qint64, Expected>> model; // table -> row -> its last change
    QHash<QString, QList<qint64>> live;

    auto run = [&](int writer, const QString &sql, const QVariantList &params, bool insert) {
        qint64 key = -1;
        const QString statement = db.adapted(
            sql + (insert && db.onServer() ? QStringLiteral(" RETURNING rowid") : QString()));
        if (writer == Plain) {
            QSqlQuery q = db.query(statement, params);
            key = insert ? (db.onServer() ? (q.next() ? q.value(0).toLongLong() : -1)
                                          : q.lastInsertId().toLongLong())
                         : -1;
            return key;
        }
        CaseDatabase &to = writer == Program ? *program : *other;
        to.write([&](QSqlQuery &q) {
            if (!q.prepare(statement))
                throw to.error(q.lastError());
            for (const QVariant &p : params)
                q.addBindValue(p);
            if (!q.exec())
                throw to.error(q.lastError());
            if (insert)
                key = to.insertedKey(q);
        });
        return key;
    };

    // The server ends the program's session while it is idle, as a restart
    // does: the notice of the next change goes to nobody. Another office's
    // change is told to the program's session just before its end, as
    // notices keep coming in an office at work.
    auto cutProgramsSession = [&] {
        neighbour->query(QStringLiteral("INSERT INTO \"Employee\" (\"File Number\") VALUES ('x')"));
        QThread::msleep(50);
        QSqlQuery q(program->connection());
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT pg_backend_pid()")) && q.next());
        const int pid = q.value(0).toInt();
        q.finish();
        db.query(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        for (int i = 0; i < 1000 && db.count("pg_stat_activity", "pid = ?", {pid}) > 0; ++i)
            QThread::msleep(10);
    };

    QDateTime previousAt;
    for (int step = 0; step < 120; ++step) {
        SCOPED_TRACE(step);
        const int writer = int(random() % 3);
        const QString table = tables.at(int(random() % 2));
        QList<qint64> &rows = live[table];
        const int what = rows.isEmpty() ? 0 : int(random() % 3);
        const int startsBefore = program->changeSessionStarts();
        const bool cut = db.onServer() && random() % 6 == 0;
        if (cut)
            cutProgramsSession();
        qint64 row = -1;
        QString kind;
        if (what == 0) {
            row = run(writer,
                      QStringLiteral("INSERT INTO %1 (\"File Number\") VALUES (?)").arg(table),
                      {QStringLiteral("n%1").arg(step)}, true);
            ASSERT_GE(row, 0);
            rows << row;
            kind = QStringLiteral("insert");
        } else {
            row = rows.at(int(random() % rows.size()));
            if (what == 1) {
                run(writer,
                    QStringLiteral("UPDATE %1 SET \"File Number\" = ? WHERE rowid = ?").arg(table),
                    {QStringLiteral("d%1").arg(step), row}, false);
                kind = QStringLiteral("update");
            } else {
                run(writer, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table), {row},
                    false);
                rows.removeOne(row);
                kind = QStringLiteral("delete");
            }
        }
        if (neighbour)
            neighbour->query(
                QStringLiteral("INSERT INTO \"Employee\" (\"File Number\") VALUES ('x')"));
        const QString by = writer == Program ? programBy : writer == Other ? otherBy : plainBy;
        model[table][row] = Expected{kind, by, writer};

        // The side table as the model has it, for this row.
        QSqlQuery q = db.query(QStringLiteral("SELECT \"Change\", \"By\", \"At\", \"Session\" FROM "
                                              "\"Quillmark Changes\" WHERE \"Table\" = ? AND "
                                              "\"Row\" = ?"),
                               {table, row});
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), kind);
        EXPECT_EQ(q.value(1).toString(), by);
        const QString session = q.value(3).toString();
        EXPECT_EQ(session, writer == Program ? program->backend().changeSession()
                           : writer == Other ? other->backend().changeSession()
                                             : QString());
        const std::optional<ChangeLog::Change> read = ChangeLog::last(*program, table, row);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->by, by);
        EXPECT_EQ(read->kind, kind);
        EXPECT_TRUE(read->at.isValid());
        if (previousAt.isValid()) {
            EXPECT_GE(read->at, previousAt) << "changes noted out of time order";
        }
        previousAt = read->at;
        if (cut) {
            // Connected again (by the save, or by this read of the last change).
            EXPECT_GT(program->changeSessionStarts(), startsBefore);
        }

        // The program hears of the others' change, never of its own.
        QList<ChangeLog::Change> heard = watch.poll();
        QElapsedTimer waited;
        waited.start();
        while (writer != Program && heard.isEmpty() && waited.elapsed() < 10000) {
            QThread::msleep(5);
            heard = watch.poll();
        }
        if (writer == Program) {
            QThread::msleep(db.onServer() ? 20 : 0); // a notice of its own would be here by now
            heard += watch.poll();
            EXPECT_TRUE(heard.isEmpty()) << "its own change told as another's";
            continue;
        }
        ASSERT_EQ(heard.size(), 1);
        EXPECT_EQ(heard.first().table, table);
        EXPECT_EQ(heard.first().row, row);
        EXPECT_EQ(heard.first().kind, kind);
        EXPECT_EQ(heard.first().by, by);
    }

    // Every row's last change, as a whole, and one per row changed.
    for (const QString &table : tables) {
        const QHash<qint64, Expected> &rows = model.value(table);
        EXPECT_EQ(db.count(QStringLiteral("\"Quillmark Changes\""), QStringLiteral("\"Table\" = ?"),
                           {table}),
                  rows.size());
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            const std::optional<ChangeLog::Change> c = ChangeLog::last(*other, table, it.key());
            ASSERT_TRUE(c.has_value());
            EXPECT_EQ(c->kind, it->kind) << table.toStdString() << " " << it.key();
            EXPECT_EQ(c->by, it->by) << table.toStdString() << " " << it.key();
        }
    }
    // The case tables keep exactly their fields.
    EXPECT_EQ(storedColumns(db, QStringLiteral("Employee")), employeeBefore);
    EXPECT_EQ(storedColumns(db, QStringLiteral("Complaints")), complaintsBefore);
    QStringList shown;
    for (const CaseSchema::Column &c : CaseSchema::complaintsColumns())
        shown << QString::fromLatin1(c.name);
    EXPECT_EQ(program->columns(QStringLiteral("Complaints")), shown);
}
