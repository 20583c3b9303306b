// Copying the case database between a file and the server: every row
// arrives exactly as it was (NULL and empty text apart, text beyond the BMP,
// Grievance Numbers with gaps), the server numbers new complaints after the
// copied ones, a target that holds rows is replaced only when asked, and a
// copy that fails half way leaves the target as it was.
#include "support/PgTestServer.h"
#include "support/TempCaseDb.h"

#include "records/CaseCopy.h"
#include "records/CaseCopyDigest.h"
#include "records/DatabaseBackend.h"
#include "records/DeadlineStore.h"
#include "records/PostgresBackend.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");

// Every row of both tables of a case file, in key order, as read back.
QList<QVariantList> everyRow(const QString &file)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        for (const QString &sql : {QStringLiteral("SELECT * FROM Employee ORDER BY rowid"),
                                   QStringLiteral("SELECT * FROM Complaints ORDER BY 1")}) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << (q.value(i).isNull() ? QVariant() : QVariant(q.value(i).toString()));
                rows << row;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rows"));
    return rows;
}

// A text of `n` characters, every other one outside the BMP.
QString wide(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += i % 2 ? QStringLiteral("\U0001D11E") : QStringLiteral("é");
    return s;
}

class CaseCopyTest : public ::testing::Test
{
  protected:
    void SetUp() override { SKIP_WITHOUT_BACKEND(server); }

    // A case file with the rows that trip a careless copy.
    void fillFile()
    {
        file.insert(Employee, {{"Name", "O'Brien, Seán"},
                               {"File Number", "000123"},
                               {"Department", QString("")},
                               {"Home Phone", QVariant()},
                               {"Days Off", "Sat\nSun \U0001F600"}});
        file.insert(Employee, {{"Name", QVariant()}, {"File Number", QString("")}});
        file.query(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) "
            "INSERT INTO Employee (Name, \"File Number\") SELECT 'Employee ' || i, "
            "printf('%06d', i) FROM n"));
        file.insert(Complaints, {{"Grievance Number", 3},
                                 {"File Number", "000123"},
                                 {"Case Facts1", wide(255)},
                                 {"Case Facts2", QString("")},
                                 {"Remedy Sought", "Back pay; ''quoted''"}});
        file.insert(Complaints, {{"Grievance Number", 17}, {"File Number", QVariant()}});
        file.insert(Complaints, {{"Grievance Number", Q_INT64_C(4000000000)}});
        // A number handed out and deleted: never handed out again.
        file.insert(Complaints, {{"Grievance Number", Q_INT64_C(4000000007)}});
        file.query(
            QStringLiteral("DELETE FROM Complaints WHERE \"Grievance Number\" = 4000000007"));
    }

    std::unique_ptr<DatabaseBackend> backend(const QString &location)
    {
        return DatabaseBackend::forLocation(location);
    }

    QString laptop(const QString &name = QStringLiteral("Laptop.db"))
    {
        return QDir(folder.path()).filePath(name);
    }

    TempCaseDb file{CaseBackend::Sqlite};
    TempCaseDb server{CaseBackend::Postgres};
    QTemporaryDir folder;
};

} // namespace

TEST(CaseCopyDigestTest, TellsApartWhatACopyCouldGetWrong)
{
    const QVariantList a{QStringLiteral("x"), QVariant()};
    auto digest = [](const QList<QVariantList> &rows) {
        CaseCopyDigest d;
        for (const QVariantList &r : rows)
            d.add(r);
        return d;
    };
    const QVariantList empty{QStringLiteral("x"), QString()};
    const QVariantList b{QStringLiteral("y"), QVariant()};
    EXPECT_FALSE(digest({a}) == digest({empty})) << "NULL and the empty text";
    EXPECT_FALSE(digest({{QStringLiteral("ab"), QString()}}) ==
                 digest({{QStringLiteral("a"), QStringLiteral("b")}}))
        << "a character moved to the next field";
    EXPECT_FALSE(digest({a, a}) == digest({b, b})) << "rows doubled";
    EXPECT_TRUE(digest({a, b}) == digest({b, a})) << "the engines order rows differently";
    EXPECT_TRUE(digest({{qint64(42)}}) == digest({{quint64(42)}})) << "the two drivers' keys";
}

TEST_F(CaseCopyTest, RoundTripThroughTheServerKeepsEveryRowAndTheNumbering)
{
    fillFile();
    const auto original = backend(file.path());
    const auto shared = backend(server.path());
    qint64 lastDone = 0, lastTotal = 0;
    CaseCopyOptions options;
    options.progress = [&](qint64 done, qint64 total) { lastDone = done, lastTotal = total; };
    const CaseCopyCounts up = CaseCopy::copy(*original, *shared, options);
    EXPECT_EQ(up.employees, 2502);
    EXPECT_EQ(up.complaints, 3);
    // With the deadline settings row and the seven steps of the time limits.
    EXPECT_EQ(lastTotal, 2502 + 3 + 1 + 7);
    EXPECT_LE(lastDone, lastTotal);
    EXPECT_GT(lastDone, 0);

    // The server's own key for employees, and its numbering carries on
    // after the highest number the file ever gave.
    EXPECT_EQ(server.count(Employee), 2502);
    QSqlQuery next = server.query(QStringLiteral("INSERT INTO \"Complaints\" (\"File Number\") "
                                                 "VALUES ('new') RETURNING \"Grievance Number\""));
    ASSERT_TRUE(next.next());
    EXPECT_EQ(next.value(0).toLongLong(), Q_INT64_C(4000000008));
    server.query(QStringLiteral("DELETE FROM \"Complaints\" WHERE \"File Number\" = 'new'"));

    const CaseCopyCounts down = CaseCopy::toNewFile(*shared, laptop());
    EXPECT_EQ(down.employees, 2502);
    EXPECT_EQ(down.complaints, 3);
    const QList<QVariantList> before = everyRow(file.path());
    const QList<QVariantList> after = everyRow(laptop());
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        ASSERT_EQ(after.at(i), before.at(i)) << "row " << i;
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Laptop.db")});

    // The new file is a case database the program opens, with Find's index
    // over the copied rows.
    {
        QSqlDatabase raw =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("find"));
        raw.setDatabaseName(laptop());
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        ASSERT_TRUE(q.exec(QStringLiteral(
            "SELECT count(*) FROM \"Employee Find\" WHERE \"Employee Find\" MATCH 'brien'")))
            << q.lastError().text().toStdString();
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("find"));
    CaseDatabase opened(laptop());
    EXPECT_NO_THROW(opened.open());
}

TEST_F(CaseCopyTest, ATargetThatHoldsRowsIsReplacedOnlyWhenAsked)
{
    fillFile();
    server.insert(Employee, {{"Name", "Already here"}});
    const auto original = backend(file.path());
    const auto shared = backend(server.path());
    const CaseCopyCounts there = CaseCopy::rowsIn(*shared);
    EXPECT_EQ(there.employees, 1);
    EXPECT_EQ(there.complaints, 0);
    try {
        CaseCopy::copy(*original, *shared);
        ADD_FAILURE() << "copied over a table that holds rows";
    } catch (const DataError &e) {
        EXPECT_TRUE(e.description().contains(QLatin1String("1 employees and 0 complaints")))
            << e.description().toStdString();
    }
    EXPECT_EQ(server.count(Employee), 1);

    CaseCopyOptions replace;
    replace.replace = true;
    CaseCopy::copy(*original, *shared, replace);
    EXPECT_EQ(server.count(Employee), 2502);
    EXPECT_EQ(server.count(Employee, QStringLiteral("\"Name\" = 'Already here'")), 0);
}

// The time limits, holidays and each complaint's steps go with the
// complaints, to the server and back into a new file, as they were; a
// status left behind by a deleted complaint stays behind.
TEST_F(CaseCopyTest, StepsAndDeadlinesGoWithTheComplaints)
{
    fillFile();
    {
        CaseDatabase cdb(file.path());
        cdb.open();
        OfficeLimits office = DeadlineStore::readLimits(cdb);
        office.limits[1].step = QStringLiteral("Réponse orale \U0001F600");
        office.limits.append({0, QStringLiteral("Mediation"), StepActor::UnionFiles, 7, false,
                              CountedFrom::PreviousAnswer, false});
        office.holidays = {QDate(2025, 12, 25), QDate(2026, 1, 1)};
        DeadlineStore::saveLimits(cdb, office);
        for (qint64 number : {3, 17}) {
            ComplaintSteps s;
            s.grievanceNumber = number;
            s.violation = QDate(2025, 3, 3);
            s.learned = number == 3 ? QDate(2025, 3, 5) : QDate();
            s.steps = {
                {office.limits.at(0).id, QDate(2025, 3, 10), QStringLiteral("filed"), wide(255)}};
            DeadlineStore::saveComplaint(cdb, s);
        }
    }
    file.query(QStringLiteral("INSERT INTO \"Grievance Status\" (\"Grievance Number\", "
                              "\"Status\", \"Version\") VALUES (4000000007, 0, 1)"));
    auto read = [](const QString &location) {
        CaseDatabase cdb(location);
        cdb.openExisting();
        QList<ComplaintSteps> steps;
        for (qint64 number : {qint64(3), qint64(17), Q_INT64_C(4000000000)})
            steps << DeadlineStore::readComplaint(cdb, number);
        return std::make_pair(DeadlineStore::readLimits(cdb), steps);
    };
    const auto [office, steps] = read(file.path());
    ASSERT_EQ(steps.at(0).steps.size(), 1);
    CaseCopy::copy(*backend(file.path()), *backend(server.path()));
    CaseCopy::toNewFile(*backend(server.path()), laptop());
    for (const QString &copy : {server.path(), laptop()}) {
        const auto [copiedOffice, copiedSteps] = read(copy);
        EXPECT_EQ(copiedOffice.limits, office.limits);
        EXPECT_EQ(copiedOffice.holidays, office.holidays);
        EXPECT_EQ(copiedOffice.version, office.version);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(copiedSteps.at(i).steps, steps.at(i).steps);
            EXPECT_EQ(copiedSteps.at(i).learned, steps.at(i).learned);
            EXPECT_EQ(copiedSteps.at(i).nextDue, steps.at(i).nextDue);
            EXPECT_EQ(copiedSteps.at(i).version, steps.at(i).version);
        }
        // Each status holds its complaint's file number, which the
        // deadlines list filters by.
        CaseDatabase copied(copy);
        copied.openExisting();
        QSqlQuery q(copied.connection());
        ASSERT_TRUE(q.exec(QStringLiteral(
            "SELECT s.\"File Number\", c.\"File Number\" FROM \"Grievance Status\" s JOIN "
            "\"Complaints\" c ON c.\"Grievance Number\" = s.\"Grievance Number\"")));
        int statuses = 0;
        for (; q.next(); ++statuses) {
            EXPECT_EQ(q.value(0).isNull(), q.value(1).isNull());
            EXPECT_EQ(q.value(0).toString(), q.value(1).toString());
        }
        EXPECT_EQ(statuses, 2);
    }
    EXPECT_EQ(server.count(QStringLiteral("\"Grievance Status\"")), 2);
}

// Each way a copy can fail after it started writing: the target keeps what
// it held, row for row.
struct Failure {
    const char *name;
    int number;
    const char *says;
};

class CaseCopyFailureTest : public CaseCopyTest, public ::testing::WithParamInterface<Failure>
{
};

TEST_P(CaseCopyFailureTest, LeavesTheTargetAsItWas)
{
    const Failure failure = GetParam();
    fillFile();
    server.insert(Employee, {{"Name", "Kept"}});
    server.insert(Complaints, {{"File Number", "kept"}});
    const QString kept = server.path();
    QString target = kept;
    QSqlDatabase locker;
    const PgTestServer *pg = PgTestServer::instance();
    const QString schema =
        QUrl::fromPercentEncoding(kept.section(QStringLiteral("search_path%3D"), 1).toUtf8());
    if (failure.name == QLatin1String("TooLong")) {
        // Written by another tool: SQLite never checked the length.
        file.insert(Employee, {{"Name", QString(51, u'x')}, {"File Number", "999999"}});
    } else if (failure.name == QLatin1String("Locked")) {
        locker = pg->admin(QStringLiteral("locker"), pg->value("QUILLMARK_PG_STEWARD_DATABASE"));
        QSqlQuery q(locker);
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(q.exec(QStringLiteral("LOCK TABLE %1.\"Complaints\"").arg(schema)));
    } else if (failure.name == QLatin1String("Changed")) {
        // Another tool's trigger on the server changes the names as they arrive.
        server.query(
            QStringLiteral("CREATE FUNCTION shout() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$BEGIN NEW.\"Name\" := upper(NEW.\"Name\"); RETURN NEW; END$$"));
        server.query(QStringLiteral("CREATE TRIGGER shout BEFORE INSERT ON Employee FOR EACH ROW "
                                    "EXECUTE FUNCTION shout()"));
    } else {
        // The steward's role: rows yes, the numbering of complaints no.
        target = pg->location(pg->value("QUILLMARK_PG_STEWARD"),
                              pg->value("QUILLMARK_PG_STEWARD_DATABASE"), schema);
    }
    CaseCopyOptions replace;
    replace.replace = true;
    try {
        CaseCopy::copy(*backend(file.path()), *backend(target), replace);
        ADD_FAILURE() << "the copy succeeded";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), failure.number) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(failure.says)))
            << e.description().toStdString();
    }
    if (locker.isValid()) {
        QSqlQuery(locker).exec(QStringLiteral("ROLLBACK"));
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    }
    EXPECT_EQ(server.count(Employee), 1);
    EXPECT_EQ(server.count(Employee, QStringLiteral("\"Name\" = 'Kept'")), 1);
    EXPECT_EQ(server.count(Complaints), 1);
    EXPECT_EQ(server.count(Complaints, QStringLiteral("\"File Number\" = 'kept'")), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, CaseCopyFailureTest,
    ::testing::Values(
        Failure{"TooLong", DataErrors::General,
                "The employee \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\" "
                "(File Number \"999999\"): \"Name\" holds 51 characters"},
        Failure{"Locked", DataErrors::Locked, "in use by another program"},
        Failure{"Changed", DataErrors::General,
                "The copy of Employee was rolled back: its 2502 rows differ"},
        Failure{"NoNumbering", DataErrors::ReadOnly, "GRANT UPDATE ON SEQUENCE"}),
    [](const ::testing::TestParamInfo<Failure> &info) { return std::string(info.param.name); });

TEST_F(CaseCopyTest, TheStewardsRoleCopiesOnceTheAdministratorGrantedTheNumbering)
{
    fillFile();
    server.open(); // the tables, made by the administrator's role
    const PgTestServer *pg = PgTestServer::instance();
    const QString steward = pg->value("QUILLMARK_PG_STEWARD");
    const QString schema = QUrl::fromPercentEncoding(
        server.path().section(QStringLiteral("search_path%3D"), 1).toUtf8());
    // As the README has the administrator grant it.
    QSqlQuery grant(
        pg->admin(QStringLiteral("pg-test-admin"), pg->value("QUILLMARK_PG_STEWARD_DATABASE")));
    ASSERT_TRUE(grant.exec(
        QStringLiteral("GRANT UPDATE ON SEQUENCE %1.\"Complaints_Grievance Number_seq\" TO %2")
            .arg(schema, steward)))
        << grant.lastError().text().toStdString();
    const auto asSteward =
        backend(pg->location(steward, pg->value("QUILLMARK_PG_STEWARD_DATABASE"), schema));
    const CaseCopyCounts copied = CaseCopy::copy(*backend(file.path()), *asSteward);
    EXPECT_EQ(copied.employees, 2502);
    EXPECT_EQ(server.count(Complaints), 3);
}

// The numbering of new complaints never moves back: a copy carries the
// higher of both sides' numbering, whichever way it goes, and a role that
// may not read the server's numbering makes no file that would lose it.
TEST_F(CaseCopyTest, TheNumberingNeverMovesBackInEitherDirection)
{
    file.insert(Complaints, {{"Grievance Number", 3}});
    file.insert(Complaints, {{"Grievance Number", 5}});
    // The server handed out 1 to 20, and 12 to 20 were deleted since.
    for (int i = 1; i <= 20; ++i)
        server.insert(Complaints, {{"File Number", QString::number(i)}});
    server.query(QStringLiteral("DELETE FROM \"Complaints\" WHERE \"Grievance Number\" > 11"));
    CaseCopyOptions replace;
    replace.replace = true;
    CaseCopy::copy(*backend(file.path()), *backend(server.path()), replace);
    QSqlQuery next = server.query(QStringLiteral("INSERT INTO \"Complaints\" DEFAULT VALUES "
                                                 "RETURNING \"Grievance Number\""));
    EXPECT_TRUE(next.next() && next.value(0).toLongLong() == 21) << next.value(0).toLongLong();

    // Rows 3 and 5 and 21 on the server: a file copied from it goes on at 22.
    CaseCopy::toNewFile(*backend(server.path()), laptop());
    {
        CaseDatabase copied(laptop());
        copied.open();
        QSqlQuery q(copied.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO Complaints DEFAULT VALUES")));
        EXPECT_EQ(q.lastInsertId().toLongLong(), 22);
    }

    const PgTestServer *pg = PgTestServer::instance();
    const QString schema = QUrl::fromPercentEncoding(
        server.path().section(QStringLiteral("search_path%3D"), 1).toUtf8());
    const auto asSteward = backend(pg->location(
        pg->value("QUILLMARK_PG_STEWARD"), pg->value("QUILLMARK_PG_STEWARD_DATABASE"), schema));
    try {
        CaseCopy::toNewFile(*asSteward, laptop(QStringLiteral("Steward.db")));
        ADD_FAILURE() << "copied without reading the numbering";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::ReadOnly);
        EXPECT_TRUE(e.description().contains(QLatin1String("GRANT SELECT ON SEQUENCE")))
            << e.description().toStdString();
    }
    EXPECT_FALSE(QFile::exists(laptop(QStringLiteral("Steward.db"))));
}

TEST_F(CaseCopyTest, ARoleThatMayNotCreateTheTablesIsRefusedPlainly)
{
    fillFile();
    const PgTestServer *pg = PgTestServer::instance();
    const auto fresh = backend(pg->location(pg->value("QUILLMARK_PG_NOCREATE"),
                                            pg->value("QUILLMARK_PG_NOCREATE_DATABASE")));
    try {
        CaseCopy::copy(*backend(file.path()), *fresh);
        ADD_FAILURE() << "copied without the right to create the tables";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::CannotOpen);
        EXPECT_TRUE(e.description().contains(QLatin1String("may not create")))
            << e.description().toStdString();
    }
    EXPECT_EQ(CaseCopy::rowsIn(*fresh).employees, 0);
}

TEST_F(CaseCopyTest, ANewFileNeverReplacesOneAndLeavesNothingWhenItFails)
{
    fillFile();
    const auto original = backend(file.path());
    QFile existing(laptop());
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the steward's own");
    existing.close();
    EXPECT_THROW(CaseCopy::toNewFile(*original, laptop()), DataError);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("the steward's own"));

    std::atomic<bool> cancel{true};
    CaseCopyOptions options;
    options.cancel = &cancel;
    EXPECT_THROW(CaseCopy::toNewFile(*original, laptop(QStringLiteral("Other.db")), options),
                 DataError);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Laptop.db")});
}
