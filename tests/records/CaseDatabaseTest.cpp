// The case database file: what a new one holds, the settings that keep its
// data safe, and files that must be refused without being touched.
#include "support/TempCaseDb.h"

#include "records/RecordSet.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>

namespace
{

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

QVariant pragma(const std::shared_ptr<CaseDatabase> &cdb, const QString &name)
{
    QSqlQuery q(cdb->connection());
    EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA ") + name)) << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}

class CaseDatabaseFresh : public ::testing::Test
{
  protected:
    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb = db.open();
};

TEST_F(CaseDatabaseFresh, HasBothTablesWithExactlyTheFieldNames)
{
    auto stored = [&](const QString &table) {
        QStringList names;
        QSqlQuery q = db.query(QStringLiteral("PRAGMA table_info(%1)").arg(table));
        while (q.next())
            names << q.value(1).toString();
        return names;
    };
    EXPECT_EQ(
        sorted(stored(QStringLiteral("Employee"))),
        sorted({"Name", "Department", "Shift Start Time", "File Number", "Home Phone", "Work Phone",
                "Company Seniority", "Class Seniortity", "Classification", "Address", "Days Off"}));
    EXPECT_EQ(
        sorted(stored(QStringLiteral("Complaints"))),
        sorted({"Grievance Number", "File Number", "Case Facts3", "Case Facts2", "Case Facts1",
                "Supervisor's Oral Answer Date", "Contact Date", "Supervisor First Contacted",
                "Remedy Sought", "Date of Violation", "Contract Provinsions"}));
    // The record sets see the same names, spelled as stored.
    EXPECT_EQ(sorted(RecordSet(cdb, QStringLiteral("Complaints")).fieldNames()),
              sorted(stored(QStringLiteral("Complaints"))));
}

TEST_F(CaseDatabaseFresh, FileNumberIsIndexedInBothTablesAndTheIndexServesLookups)
{
    for (const QString &table : {QStringLiteral("Employee"), QStringLiteral("Complaints")}) {
        SCOPED_TRACE(table.toStdString());
        QStringList indexed;
        QSqlQuery list = db.query(QStringLiteral("PRAGMA index_list(%1)").arg(table));
        while (list.next()) {
            QSqlQuery info =
                db.query(QStringLiteral("PRAGMA index_info(\"%1\")").arg(list.value(1).toString()));
            while (info.next())
                indexed << info.value(2).toString();
        }
        EXPECT_TRUE(indexed.contains(QStringLiteral("File Number")))
            << indexed.join(',').toStdString();
        // Usable by the text comparison the lookups make.
        QSqlQuery plan(cdb->connection());
        ASSERT_TRUE(plan.exec(
            QStringLiteral("EXPLAIN QUERY PLAN SELECT rowid FROM %1 WHERE \"File Number\" = 'abc'")
                .arg(table)));
        QString detail;
        while (plan.next())
            detail += plan.value(3).toString();
        EXPECT_TRUE(detail.contains(QStringLiteral("INDEX"))) << detail.toStdString();
    }
}

TEST_F(CaseDatabaseFresh, GrievanceNumberIsNumberedAutomaticallyAndNeverReused)
{
    const qint64 first = db.insert(QStringLiteral("Complaints"),
                                   {{QStringLiteral("File Number"), QStringLiteral("1")}});
    const qint64 second = db.insert(QStringLiteral("Complaints"),
                                    {{QStringLiteral("File Number"), QStringLiteral("2")}});
    EXPECT_GT(second, first);
    EXPECT_EQ(db.row(QStringLiteral("Complaints"), QStringLiteral("rowid = ?"), {second})
                  .value(QStringLiteral("Grievance Number"))
                  .toLongLong(),
              second)
        << "the number is the row's own key";
    db.query(QStringLiteral("DELETE FROM Complaints WHERE rowid = ?"), {second});
    const qint64 third = db.insert(QStringLiteral("Complaints"),
                                   {{QStringLiteral("File Number"), QStringLiteral("3")}});
    EXPECT_GT(third, second) << "a deleted grievance's number is not handed out again";
}

TEST_F(CaseDatabaseFresh, TextComparesWithoutRegardToLetterCaseInEveryTextField)
{
    for (const QString &table : {QStringLiteral("Employee"), QStringLiteral("Complaints")}) {
        for (const QString &field : cdb->columns(table)) {
            if (field == QLatin1String("Grievance Number"))
                continue;
            SCOPED_TRACE((table + QLatin1Char('.') + field).toStdString());
            db.query(QStringLiteral("DELETE FROM %1").arg(table));
            db.insert(table, {{field, QStringLiteral("abc")}});
            QSqlQuery q(cdb->connection());
            ASSERT_TRUE(q.prepare(
                QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"%2\" = 'ABC'").arg(table, field)));
            ASSERT_TRUE(q.exec());
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toInt(), 1);
        }
    }
}

TEST_F(CaseDatabaseFresh, RunsInWalModeWithFullSyncAndWaitsForOtherWriters)
{
    EXPECT_EQ(pragma(cdb, QStringLiteral("journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(pragma(cdb, QStringLiteral("synchronous")).toInt(), 2) << "FULL";
    EXPECT_GE(pragma(cdb, QStringLiteral("busy_timeout")).toInt(), 3000);
}

// ---- where the file is --------------------------------------------------------

TEST(CaseDatabaseFile, TheFolderIsCreatedWhenMissing)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/cases/2024/Quillmark.db");
    CaseDatabase cdb(path);
    cdb.open();
    EXPECT_TRUE(cdb.isOpen());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(cdb.columns(QStringLiteral("Employee")).isEmpty());
}

TEST(CaseDatabaseFile, AnEmptyFileIsInitialised)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmark.db");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    CaseDatabase cdb(path);
    cdb.open();
    EXPECT_FALSE(cdb.columns(QStringLiteral("Complaints")).isEmpty());
    EXPECT_GT(QFileInfo(path).size(), 0);
}

TEST(CaseDatabaseFile, AFolderInThePlaceOfTheFileIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmark.db");
    ASSERT_TRUE(QDir().mkpath(path));
    CaseDatabase cdb(path);
    EXPECT_THROW(cdb.open(), DataError);
    EXPECT_FALSE(cdb.isOpen());
    EXPECT_TRUE(QDir(path).isEmpty());
}

} // namespace
