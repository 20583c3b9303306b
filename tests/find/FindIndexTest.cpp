// The search behind Find and the index that serves it: what a search finds,
// the index following every kind of writer, and files from before Find.
#include "support/HeldToPermissions.h"
#include "support/TempCaseDb.h"

#include "records/CaseSearch.h"
#include "records/FindIndex.h"
#include "records/FindIndexBuild.h"
#include "records/RecordSet.h"
#include "safekeeping/CsvImport.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QSqlError>
#include <fcntl.h>
#include <unistd.h>

[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");

// 255 characters, so that the word after it starts the second piece.
const QString FirstPiece = QString(250, QLatin1Char('x')) + QStringLiteral(" over");

void fill(TempCaseDb &db)
{
    const char *staff[][3] = {{"José Núñez", "000123", "Shop"},
                              {"Ann Smithers", "000124", "IT"},
                              {"Bob Jones", "004512", "Paint"},
                              {"Eve \"Quote\" O'Hara", "A-17", "Yard"}};
    for (const auto &s : staff)
        db.insert(Employee, {{QStringLiteral("Name"), QString::fromUtf8(s[0])},
                             {QStringLiteral("File Number"), QString::fromUtf8(s[1])},
                             {QStringLiteral("Department"), QString::fromUtf8(s[2])}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("000123")},
                           {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")},
                           {QStringLiteral("Contract Provinsions"), QStringLiteral("Art. 12")},
                           {QStringLiteral("Case Facts1"), FirstPiece},
                           {QStringLiteral("Case Facts2"), QStringLiteral("time denied")}});
    db.insert(Complaints, {{QStringLiteral("File Number"), QStringLiteral("999999")},
                           {QStringLiteral("Remedy Sought"), QStringLiteral("Make whole")},
                           {QStringLiteral("Case Facts1"), QStringLiteral("Shift swapped")}});
}

QStringList names(const CaseSearch::Result &r)
{
    QStringList out;
    for (const EmployeeHit &e : r.employees)
        out << e.name;
    return out;
}

QStringList complaintNumbers(const CaseSearch::Result &r)
{
    QStringList out;
    for (const ComplaintHit &c : r.complaints)
        out << c.fileNumber + QLatin1Char('/') + c.employee;
    return out;
}

struct Search {
    const char *name;
    const char *typed;
    QStringList employees;  // names, in name order
    QStringList complaints; // "file number/employee"
};

class FindSearch : public ::testing::TestWithParam<Search>
{
};

TEST_P(FindSearch, FindsWhatTheTextIsPartOf)
{
    TempCaseDb db;
    fill(db);
    const std::shared_ptr<CaseDatabase> cases = db.open();
    const CaseSearch search(cases);
    ASSERT_TRUE(search.usesIndex());
    const CaseSearch::Result r = search.find(QString::fromUtf8(GetParam().typed));
    EXPECT_EQ(names(r), GetParam().employees);
    EXPECT_EQ(complaintNumbers(r), GetParam().complaints);
    if (!db.onServer())
        return;
    // A server whose administrator has not added the search indexes is
    // scanned, and finds the same.
    db.query(QStringLiteral(
        "DO $d$DECLARE i record; BEGIN FOR i IN SELECT indexname FROM pg_indexes WHERE "
        "schemaname = current_schema() AND indexname LIKE '% Find%' LOOP EXECUTE "
        "format('DROP INDEX %I', i.indexname); END LOOP; END$d$"));
    const CaseSearch scan(cases);
    ASSERT_TRUE(scan.scansServer());
    const CaseSearch::Result s = scan.find(QString::fromUtf8(GetParam().typed));
    EXPECT_EQ(names(s), GetParam().employees);
    EXPECT_EQ(complaintNumbers(s), GetParam().complaints);
}

const QString Jose = QStringLiteral("José Núñez");
const QString Ann = QStringLiteral("Ann Smithers");
const QString Bob = QStringLiteral("Bob Jones");
const QString Eve = QStringLiteral("Eve \"Quote\" O'Hara");

INSTANTIATE_TEST_SUITE_P(
    Texts, FindSearch,
    ::testing::Values(
        Search{"PartOfName", "mith", {Ann}, {}}, Search{"CaseDoesNotMatter", "SMITH", {Ann}, {}},
        Search{"AccentedAsTyped", "núñ", {Jose}, {}},
        Search{"AccentedCapitals", "NÚÑEZ", {Jose}, {}},
        Search{"AccentsAreNotDropped", "nunez", {}, {}},
        Search{"MiddleOfFileNumber", "451", {Bob}, {}},
        Search{"SeveralInNameOrder", "0001", {Ann, Jose}, {}},
        Search{"Department", "pain", {Bob}, {}},
        Search{"QuotesAndApostrophes", "\"Quote\" O'", {Eve}, {}},
        Search{"WordAcrossCaseFactsPieces", "overtime", {}, {QStringLiteral("000123/") + Jose}},
        Search{"Remedy", "back pay", {}, {QStringLiteral("000123/") + Jose}},
        Search{"ContractProvisions", "art. 1", {}, {QStringLiteral("000123/") + Jose}},
        Search{"ComplaintWithoutEmployee", "swapped", {}, {QStringLiteral("999999/")}},
        Search{"ShortTextIsTheBeginning", "Bo", {Bob}, {}},
        Search{"ShortTextIsNotTheMiddle", "ob", {}, {}},
        Search{"ShortFileNumberAndDepartment", "IT", {Ann}, {}},
        Search{"ShortTextLeavesComplaints", "Ba", {}, {}},
        Search{"PatternCharactersAreText", "%", {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FindSearch, SaysWhenMoreMatchThanAreListed)
{
    TempCaseDb db;
    for (int i = 1; i <= CaseSearch::Limit + 5; ++i)
        db.insert(Employee, {{QStringLiteral("Name"), QStringLiteral("Person %1").arg(i)},
                             {QStringLiteral("File Number"),
                              QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))}});
    const CaseSearch search(db.open());
    for (const char *typed : {"Person", "Pe"}) {
        const CaseSearch::Result r = search.find(QString::fromLatin1(typed));
        EXPECT_EQ(r.employees.size(), CaseSearch::Limit) << typed;
        EXPECT_TRUE(r.moreEmployees) << typed;
    }
}

// What the index finds must be what the table holds, after each writer.
class IndexInStep : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fill(db);
        cases = db.open();
        search = std::make_unique<CaseSearch>(cases);
    }
    QStringList find(const char *typed) { return names(search->find(QString::fromUtf8(typed))); }

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cases;
    std::unique_ptr<CaseSearch> search;
};

TEST_F(IndexInStep, AfterRecordSetAddEditAndDelete)
{
    RecordSet rs(cases, Employee);
    rs.addNew();
    rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("Walter Added"));
    rs.update();
    EXPECT_EQ(find("walter"), QStringList{QStringLiteral("Walter Added")});

    rs.setBookmark(rs.lastModified());
    rs.edit();
    rs.setValue(rs.fieldIndex(QStringLiteral("Name")), QStringLiteral("Walt Renamed"));
    rs.update();
    EXPECT_EQ(find("walter"), QStringList());
    EXPECT_EQ(find("renamed"), QStringList{QStringLiteral("Walt Renamed")});

    rs.deleteCurrent();
    EXPECT_EQ(find("renamed"), QStringList());
}

TEST_F(IndexInStep, AfterAGridRowWriteAndAComplaintEdit)
{
    // The grid writes a row through the record set it shares.
    RecordSet rs(cases, QStringLiteral("SELECT * FROM Employee"));
    rs.fetchAll();
    const int row = rs.rowOfKey(db.row(Employee, QStringLiteral("\"Name\" = 'Bob Jones'"))
                                    .value(QStringLiteral("rowid"), 3)
                                    .toLongLong());
    ASSERT_GE(row, 0);
    QVariantList changed = rs.rowValues(row);
    changed[rs.fieldIndex(QStringLiteral("Department"))] = QStringLiteral("Welding");
    rs.updateRow(row, rs.rowValues(row), changed);
    EXPECT_EQ(find("weld"), QStringList{Bob});
    EXPECT_EQ(find("paint"), QStringList());

    RecordSet complaints(cases, Complaints);
    complaints.edit();
    complaints.setValue(complaints.fieldIndex(QStringLiteral("Case Facts2")),
                        QStringLiteral("lunch refused"));
    complaints.update();
    EXPECT_TRUE(search->find(QStringLiteral("overtime")).complaints.isEmpty());
    EXPECT_EQ(search->find(QStringLiteral("lunch")).complaints.size(), 1);
}

TEST_F(IndexInStep, AfterAnImportAndAnotherProgramsWrites)
{
    QBuffer file;
    file.setData("\"Name\",\"File Number\",\"Department\"\r\nIngrid Imported,000777,Dock\r\n");
    file.open(QIODevice::ReadOnly);
    cases->write([&](QSqlQuery &q) {
        ASSERT_TRUE(q.prepare(QStringLiteral(
            "INSERT INTO Employee (\"Name\", \"File Number\", \"Department\") VALUES (?, ?, ?)")));
        const CsvImportResult result =
            CsvImport({{QStringLiteral("Name"), 50},
                       {QStringLiteral("File Number"), 10},
                       {QStringLiteral("Department"), 10}})
                .run(file, [&](const QStringList &, const QVariantList &values, QString *error) {
                    for (int i = 0; i < values.size(); ++i)
                        q.bindValue(i, values.at(i));
                    if (!q.exec())
                        *error = q.lastError().text();
                    return error->isEmpty();
                });
        ASSERT_TRUE(result.ok) << result.error.toStdString();
    });
    EXPECT_EQ(find("ingrid"), QStringList{QStringLiteral("Ingrid Imported")});

    // The triggers live in the file: a writer that knows nothing of Find
    // keeps the index in step as well.
    db.query(QStringLiteral("UPDATE Employee SET \"Name\" = 'Jo Other' WHERE \"File Number\" = "
                            "'000123'"));
    db.query(QStringLiteral("DELETE FROM Employee WHERE \"File Number\" = '000777'"));
    EXPECT_EQ(find("núñ"), QStringList());
    EXPECT_EQ(find("other"), QStringList{QStringLiteral("Jo Other")});
    EXPECT_EQ(find("ingrid"), QStringList());
}

// A file made before Find holds no index: opening it leaves the file as it
// is, and the build beside the steward's work makes one from the rows there;
// a file that cannot be written is searched without it.
class FileFromBeforeFind : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fill(db);
        for (const QString &sql : FindIndex::dropStatements())
            db.query(sql);
        db.query(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    TempCaseDb db;
};

TEST_F(FileFromBeforeFind, GetsTheIndexInTheBackground)
{
    auto cases = db.open();
    EXPECT_EQ(FindIndex::state(cases->connection()), FindIndex::State::Absent);
    FindIndexBuild build(db.path());
    QSignalSpy finished(&build, &FindIndexBuild::finished);
    build.start();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(FindIndex::isPresent(cases->connection()));
    const CaseSearch search(cases);
    EXPECT_TRUE(search.usesIndex());
    EXPECT_EQ(names(search.find(QStringLiteral("mith"))), QStringList{Ann});
    EXPECT_EQ(search.find(QStringLiteral("overtime")).complaints.size(), 1);
}

TEST_F(FileFromBeforeFind, ThatIsReadOnlyIsSearchedWithoutIt)
{
    ASSERT_TRUE(QFile::setPermissions(db.path(), QFile::ReadOwner));
    {
        HeldToPermissions held;
        const int fd = ::open(QFile::encodeName(db.path()).constData(), O_WRONLY);
        if (fd >= 0)
            ::close(fd);
        ASSERT_LT(fd, 0) << "the file could not be made read-only for this test";
        auto cases = db.open();
        EXPECT_FALSE(FindIndex::isPresent(cases->connection()));
        const CaseSearch search(cases);
        EXPECT_FALSE(search.usesIndex());
        EXPECT_EQ(names(search.find(QStringLiteral("mith"))), QStringList{Ann});
        EXPECT_EQ(search.find(QStringLiteral("overtime")).complaints.size(), 1);
        EXPECT_EQ(names(search.find(QStringLiteral("Bo"))), QStringList{Bob});
    }
    QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace
