// What the database back end gives the rest of the program beyond record
// sets: a database that must exist, a second connection for a background
// copy, opening again after the file was replaced, and schema steps that a
// later version adds to databases made before it.
#include "support/TempCaseDb.h"

#include "records/DatabaseBackend.h"
#include "records/RecordSet.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>

namespace
{

QString nameOf(const std::shared_ptr<RecordSet> &rs)
{
    return rs->value(rs->fieldIndex(QStringLiteral("Name"))).toString();
}

// A step as a later version might add one: a table beside the case tables.
SchemaStep extraTable(int *runs)
{
    SchemaStep step;
    step.name = QStringLiteral("notes");
    step.present = [](const QSqlDatabase &db) {
        return db.tables().contains(QStringLiteral("Notes"), Qt::CaseInsensitive);
    };
    step.create = [runs](QSqlQuery &q) {
        ++*runs;
        if (!q.exec(QStringLiteral("CREATE TABLE Notes (Body TEXT)")))
            throw CaseDatabase::errorFrom(q.lastError());
    };
    return step;
}

bool hasNotesTable(TempCaseDb &db)
{
    return db.count(QStringLiteral("sqlite_master"), QStringLiteral("name = 'Notes'")) == 1;
}

} // namespace

TEST(DatabaseBackendExisting, AMissingOrFolderLocationIsRefusedAndNothingIsLeftBehind)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder.db"));
    for (const QString &name : {QStringLiteral("missing.db"), QStringLiteral("folder.db"),
                                QStringLiteral("no/such/folder/x.db")}) {
        SCOPED_TRACE(name.toStdString());
        CaseDatabase cdb(dir.path() + u'/' + name);
        try {
            cdb.openExisting();
            FAIL() << "opened a database that does not exist";
        } catch (const DataError &e) {
            EXPECT_EQ(e.number(), DataErrors::CannotOpen);
        }
        EXPECT_FALSE(cdb.isOpen());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("folder.db")});
}

TEST(DatabaseBackendExisting, AnExistingCaseDatabaseOpensAsItIs)
{
    TempCaseDb db;
    db.insert(QStringLiteral("Employee"), {{QStringLiteral("Name"), QStringLiteral("Ada")}});
    auto cdb = std::make_shared<CaseDatabase>(db.path());
    cdb->openExisting();
    auto rs = std::make_shared<RecordSet>(cdb, QStringLiteral("Employee"));
    EXPECT_EQ(nameOf(rs), QStringLiteral("Ada"));
    EXPECT_EQ(cdb->filePath(), db.path());
}

TEST(DatabaseBackendConnections, ASecondConnectionIsIndependentOfTheFirst)
{
    TempCaseDb db;
    auto cdb = db.open();
    const QString name = QStringLiteral("second-connection");
    {
        QSqlDatabase second = cdb->backend().openIndependentConnection(name);
        ASSERT_TRUE(second.isOpen());
        EXPECT_NE(second.connectionName(), cdb->connection().connectionName());
        // A read transaction held open on the second connection does not
        // stop the first from saving (WAL), and sees the database as it was.
        QSqlQuery hold(second);
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(hold.exec(QStringLiteral("SELECT COUNT(*) FROM Employee")));
        ASSERT_TRUE(hold.next());
        EXPECT_EQ(hold.value(0).toInt(), 0);
        hold.finish();
        auto rs = std::make_shared<RecordSet>(cdb, QStringLiteral("Employee"));
        rs->addNew();
        rs->setValue(rs->fieldIndex(QStringLiteral("Name")), QStringLiteral("Ada"));
        rs->update();
        ASSERT_TRUE(hold.exec(QStringLiteral("SELECT COUNT(*) FROM Employee")));
        ASSERT_TRUE(hold.next());
        EXPECT_EQ(hold.value(0).toInt(), 0) << "the second connection's snapshot moved";
        hold.finish();
        ASSERT_TRUE(hold.exec(QStringLiteral("COMMIT")));
        ASSERT_TRUE(hold.exec(QStringLiteral("SELECT COUNT(*) FROM Employee")));
        ASSERT_TRUE(hold.next());
        EXPECT_EQ(hold.value(0).toInt(), 1);
        second.close();
    }
    QSqlDatabase::removeDatabase(name);
    EXPECT_TRUE(cdb->connection().isOpen()) << "closing the second closed the first";
}

TEST(DatabaseBackendConnections, ReopenReadsTheFileThatReplacedTheOldOne)
{
    QTemporaryDir dir;
    TempCaseDb replacement;
    replacement.insert(QStringLiteral("Employee"),
                       {{QStringLiteral("Name"), QStringLiteral("Restored")}});
    replacement.query(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));

    TempCaseDb db;
    auto cdb = db.open();
    auto before = std::make_shared<RecordSet>(cdb, QStringLiteral("Employee"));
    before->addNew();
    before->setValue(before->fieldIndex(QStringLiteral("Name")), QStringLiteral("Before"));
    before->update();
    before->requery();
    EXPECT_EQ(nameOf(before), QStringLiteral("Before"));
    // The last connection's close leaves no journal beside the file.
    cdb->close();
    EXPECT_FALSE(cdb->isOpen());
    EXPECT_FALSE(QFile::exists(db.path() + QStringLiteral("-wal")));

    // A restore puts another file in its place under the same name.
    const QString staged = dir.path() + QStringLiteral("/staged.db");
    ASSERT_TRUE(QFile::copy(replacement.path(), staged));
    ASSERT_EQ(
        ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(db.path()).constData()),
        0);
    cdb->reopen();
    ASSERT_TRUE(cdb->isOpen());
    EXPECT_TRUE(cdb->connection().isOpen());
    EXPECT_EQ(nameOf(std::make_shared<RecordSet>(cdb, QStringLiteral("Employee"))),
              QStringLiteral("Restored"));

    // Replaced by something that is no case database, the database is closed,
    // not half open.
    QFile junk(staged);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    cdb->close();
    ASSERT_EQ(
        ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(db.path()).constData()),
        0);
    EXPECT_THROW(cdb->reopen(), DataError);
    EXPECT_FALSE(cdb->isOpen());
}

TEST(DatabaseBackendSchema, ALaterStepIsMadeInNewAndInExistingDatabasesOnce)
{
    TempCaseDb made;
    {
        int runs = 0;
        CaseDatabase cdb(made.path());
        cdb.backend().addSchemaStep(extraTable(&runs));
        cdb.open();
        EXPECT_EQ(runs, 1);
    }
    EXPECT_TRUE(hasNotesTable(made));

    TempCaseDb older;
    older.open(); // made by a version without the step
    ASSERT_FALSE(hasNotesTable(older));
    int runs = 0;
    for (int i = 0; i < 2; ++i) {
        CaseDatabase cdb(older.path());
        cdb.backend().addSchemaStep(extraTable(&runs));
        cdb.open();
    }
    EXPECT_EQ(runs, 1) << "the step ran again although its table was there";
    EXPECT_TRUE(hasNotesTable(older));
}

TEST(DatabaseBackendSchema, AStepThatFailsLeavesNothingOfItAndTheDatabaseClosed)
{
    TempCaseDb older;
    older.open();
    CaseDatabase cdb(older.path());
    SchemaStep broken;
    broken.name = QStringLiteral("broken");
    broken.present = [](const QSqlDatabase &) { return false; };
    broken.create = [](QSqlQuery &q) {
        if (!q.exec(QStringLiteral("CREATE TABLE Half (x)")))
            throw CaseDatabase::errorFrom(q.lastError());
        throw DataError(DataErrors::General, QStringLiteral("step failed"));
    };
    cdb.backend().addSchemaStep(broken);
    EXPECT_THROW(cdb.open(), DataError);
    EXPECT_FALSE(cdb.isOpen());
    EXPECT_EQ(older.count(QStringLiteral("sqlite_master"), QStringLiteral("name = 'Half'")), 0);
}
