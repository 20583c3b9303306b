// The import of an Access file into a case database, on both back ends:
// chosen columns matched and previewed, the known employees counted and
// left out or added on request, a value too long or a taken Grievance
// Number refused with nothing added, numbers kept or renumbered with their
// list, the numbering carried on after them, a backup first, a cancel half
// way through.
#include "access/AccessSamples.h"
#include "support/TempCaseDb.h"

#include "records/DatabaseBackend.h"
#include "safekeeping/AccessImport.h"
#include "safekeeping/AccessImportUnattended.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

const QString Employee = QStringLiteral("Employee");
const QString Complaints = QStringLiteral("Complaints");

AccessMapping users()
{
    return {QStringLiteral("users"),
            Employee,
            {{QStringLiteral("c_user_login"), QStringLiteral("File Number")},
             {QStringLiteral("c_user_name"), QStringLiteral("name")}}};
}

AccessMapping unicode(const QString &target, const QString &unicodeTo)
{
    return {QStringLiteral("Table"), target, {{QStringLiteral("unicode"), unicodeTo}}};
}

// The users' names as complaints' case facts, numbered by their ids or not.
AccessMapping userComplaints(bool numbered)
{
    AccessMapping m{QStringLiteral("users"),
                    QStringLiteral("Complaints"),
                    {{QStringLiteral("c_user_name"), QStringLiteral("Case Facts1")}}};
    if (numbered)
        m.columns.insert(QStringLiteral("i_user_id"), QStringLiteral("Grievance Number"));
    return m;
}

class AccessImportTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(db);
        SKIP_WITHOUT_SAMPLES("testUnicodeCompV2003.mdb");
        db.open();
        backend = DatabaseBackend::forLocation(db.path());
    }

    AccessImportResult import(const char *file, const QList<AccessMapping> &mappings,
                              AccessImportChoices choices = {}, AccessReader::Options reader = {})
    {
        choices.mappings = mappings;
        const AccessImport importer(AccessSamples::file(file), *backend, reader);
        survey = importer.survey(choices);
        return importer.run(choices, survey);
    }

    TempCaseDb db;
    std::unique_ptr<DatabaseBackend> backend;
    AccessSurvey survey;
};

TEST_F(AccessImportTest, ChosenColumnsMatchedAndKnownEmployeesAskedAbout)
{
    db.insert(Employee, {{"Name", "Already here"}, {"File Number", "ADMIN"}});
    AccessImportResult r = import("fixedTextTestV2000.mdb", {users()});
    ASSERT_TRUE(survey.ok) << survey.error.toStdString();
    ASSERT_EQ(survey.plans.size(), 1);
    const CsvPreview &p = survey.plans[0].preview;
    EXPECT_EQ(p.matched, QStringList({"File Number", "Name"}));
    EXPECT_EQ(p.ignored.size(), 8);
    EXPECT_TRUE(p.missing.contains(QStringLiteral("Department")));
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_EQ(p.rows[1], QVariantList({QStringLiteral("admin"), QStringLiteral("Admin User")}));
    // "admin" is the file number of the employee there, whatever the case.
    EXPECT_EQ(survey.employees, 2);
    EXPECT_EQ(survey.knownEmployees, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.toStdString(), "1 of the 2 incoming employees have the file number of an "
                                     "employee the case database holds already; nothing was "
                                     "imported.");
    EXPECT_EQ(db.count(Employee), 1);

    AccessImportChoices skip;
    skip.knownEmployees = AccessImportChoices::Known::Skip;
    r = import("fixedTextTestV2000.mdb", {users()}, skip);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.employees, 1);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(db.row(Employee, "\"File Number\" = ?", {"CORE USER"}).value("Name"),
              QVariant("Core User"));
    EXPECT_TRUE(
        db.row(Employee, "\"File Number\" = ?", {"CORE USER"}).value("Department").isNull());

    AccessImportChoices add;
    add.knownEmployees = AccessImportChoices::Known::Add;
    r = import("fixedTextTestV2000.mdb", {users()}, add);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(survey.knownEmployees, 2);
    EXPECT_EQ(r.employees, 2);
    EXPECT_EQ(db.count(Employee), 4);
    if (db.onServer())
        EXPECT_FALSE(r.backupNote.isEmpty());
    else
        EXPECT_TRUE(QFile::exists(r.backup)) << r.backup.toStdString();
}

TEST_F(AccessImportTest, GrievanceNumbersKeptThenRenumberedWithTheirList)
{
    const QStringList names{QStringLiteral("Core User"), QStringLiteral("Admin User")};
    const QList<AccessMapping> numbered = {userComplaints(true)};
    AccessImportResult r = import("fixedTextTestV2000.mdb", numbered);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.complaints, 2);
    EXPECT_EQ(survey.collisions, 0);
    EXPECT_EQ(survey.highestNumber, 2);
    for (int n = 1; n <= 2; ++n)
        EXPECT_EQ(db.row(Complaints, "\"Grievance Number\" = ?", {n}).value("Case Facts1"),
                  QVariant(names[n - 1]));
    EXPECT_EQ(db.insert(Complaints, {{"File Number", "000001"}}), 3) << "numbering carries on";

    // Again: both numbers are taken now.
    r = import("fixedTextTestV2000.mdb", numbered);
    EXPECT_EQ(survey.collisions, 2);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.toStdString(), "2 incoming complaints have Grievance Numbers that the case "
                                     "database holds already (or that the file gives twice); "
                                     "nothing was imported.");
    EXPECT_EQ(db.count(Complaints), 3);

    // Renumbered after every number ever handed out (4 was, and deleted).
    EXPECT_EQ(db.insert(Complaints, {{"File Number", "000001"}}), 4);
    db.query("DELETE FROM Complaints WHERE \"Grievance Number\" = 4");
    AccessImportChoices renumber;
    renumber.collisions = AccessImportChoices::Collisions::Renumber;
    r = import("fixedTextTestV2000.mdb", {userComplaints(true), userComplaints(false)}, renumber);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.renumbered, 2);
    EXPECT_EQ(r.complaints, 4);
    EXPECT_EQ(db.count(Complaints), 7);
    for (int n = 5; n <= 8; ++n)
        EXPECT_EQ(db.row(Complaints, "\"Grievance Number\" = ?", {n}).value("Case Facts1"),
                  QVariant(names[(n - 5) % 2]));
    QFile report(r.report);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << r.report.toStdString();
    EXPECT_EQ(QString::fromUtf8(report.readAll()).toStdString(),
              "Old Grievance Number,New Grievance Number\r\n1,5\r\n2,6\r\n");
    EXPECT_EQ(
        QFileInfo(r.report).absolutePath(),
        QDir(AccessImport(AccessSamples::file("fixedTextTestV2000.mdb"), *backend).reportFolder())
            .absolutePath());
    EXPECT_EQ(db.insert(Complaints, {{"File Number", "000001"}}), 9);
}

// The lists of every server share one folder: a list another import wrote
// in the same second keeps its name, and this import takes the next.
TEST_F(AccessImportTest, RenumberedListOfTheSameSecondLeftAsItIs)
{
    AccessImportChoices renumber;
    renumber.collisions = AccessImportChoices::Collisions::Renumber;
    const QList<AccessMapping> numbered = {userComplaints(true)};
    ASSERT_TRUE(import("fixedTextTestV2000.mdb", numbered).ok);
    AccessImportResult r = import("fixedTextTestV2000.mdb", numbered, renumber);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QFileInfo first(r.report);
    const QString prefix = first.fileName().section(QStringLiteral(" import "), 0, 0);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList others;
    for (int s = 0; s <= 3; ++s) {
        const QString path = first.dir().filePath(
            QStringLiteral("%1 import %2 UTC renumbered.csv")
                .arg(prefix, now.addSecs(s).toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"))));
        QFile other(path);
        if (!other.exists()) {
            ASSERT_TRUE(other.open(QIODevice::WriteOnly) && other.write("1,3\r\n") == 5);
        }
        others << path;
    }
    r = import("fixedTextTestV2000.mdb", numbered, renumber);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.renumbered, 2);
    EXPECT_FALSE(others.contains(r.report)) << r.report.toStdString();
    EXPECT_TRUE(QFileInfo::exists(r.report));
}

TEST_F(AccessImportTest, CancelledHalfWayAddsNothing)
{
    AccessReader::Options many;
    many.repeat = 1200; // 2,400 rows, none numbered: each is given the next number
    std::atomic<bool> cancel = false;
    AccessImportChoices choices;
    choices.cancel = &cancel;
    qint64 seen = 0;
    bool armed = false;
    choices.progress = [&](const QString &, qint64 done, qint64) {
        seen = done;
        if (armed && done >= 1024)
            cancel = true;
    };
    choices.mappings = {userComplaints(false)};
    const AccessImport importer(AccessSamples::file("fixedTextTestV2000.mdb"), *backend, many);
    survey = importer.survey(choices);
    ASSERT_TRUE(survey.ok) << survey.error.toStdString();
    EXPECT_EQ(survey.complaints, 2400);
    EXPECT_EQ(seen, 2400);
    armed = true;
    AccessImportResult r = importer.run(choices, survey);
    armed = false;
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.error.toStdString(), "The reading was stopped; nothing was imported.");
    EXPECT_EQ(db.count(Complaints), 0);

    cancel = false;
    survey = importer.survey(choices);
    r = importer.run(choices, survey);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(db.count(Complaints), 2400);
    EXPECT_EQ(db.count(Complaints, "\"Grievance Number\" BETWEEN 1 AND 2400"), 2400);
}

// Thousands of rows, whose questions go to the database many at a time:
// every row is still counted and decided as it would be alone, and in the
// file's order (a number the file gives again is taken the second time).
TEST_F(AccessImportTest, ThousandsOfRowsCountedAndDecidedInTheirOrder)
{
    db.insert(Employee, {{"Name", "Ann"}, {"File Number", "CORE USER"}});
    EXPECT_EQ(db.insert(Complaints, {{"File Number", "000001"}}), 1);
    AccessReader::Options many;
    many.repeat = 3001; // 6,002 rows: "core user" #1 and "admin user" #2 by turns
    AccessImportChoices choices;
    choices.knownEmployees = AccessImportChoices::Known::Skip;
    choices.collisions = AccessImportChoices::Collisions::Renumber;
    const AccessImportResult r =
        import("fixedTextTestV2000.mdb", {users(), userComplaints(true)}, choices, many);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(survey.employees, 6002);
    EXPECT_EQ(survey.knownEmployees, 3001);
    EXPECT_EQ(survey.collisions, 3001 + 3000); // #1 is taken; #2 comes 3,001 times
    EXPECT_EQ(r.skipped, 3001);
    EXPECT_EQ(r.employees, 3001);
    EXPECT_EQ(r.renumbered, 6001);
    EXPECT_EQ(db.count(Complaints), 6003);
    EXPECT_EQ(db.row(Complaints, "\"Grievance Number\" = ?", {2}).value("Case Facts1"),
              QVariant(QStringLiteral("Admin User")));
    EXPECT_EQ(db.count(Complaints, "\"Grievance Number\" BETWEEN 3 AND 6003"), 6001);
}

// What is refused, with the words the steward reads; nothing is added.
struct Refusal {
    const char *name;
    const char *file;
    AccessMapping mapping;
    const char *error;
};

class AccessImportRefusal : public AccessImportTest, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(AccessImportRefusal, NothingAdded)
{
    const Refusal &p = GetParam();
    db.insert(Employee, {{"Name", "Ann"}, {"File Number", "000123"}});
    AccessImportChoices all;
    all.knownEmployees = AccessImportChoices::Known::Add;
    all.collisions = AccessImportChoices::Collisions::Renumber;
    const AccessImportResult r =
        import(p.file, p.mapping.source.isEmpty() ? QList<AccessMapping>() : QList{p.mapping}, all);
    EXPECT_FALSE(survey.ok);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.toStdString(), p.error);
    EXPECT_EQ(db.count(Employee), 1);
    EXPECT_EQ(db.count(Complaints), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, AccessImportRefusal,
    ::testing::Values(
        Refusal{"TextLongerThanItsField", "testUnicodeCompV2003.mdb",
                unicode(Employee, "Department"),
                "Table \"Table\": Row 1: the value of \"Department\" is 16 characters long; at "
                "most 10 fit."},
        Refusal{"LineBreakCountsTwo", "testUnicodeCompV2003.mdb",
                unicode(Complaints, "Case Facts1"),
                "Table \"Table\": Row 8: the value of \"Case Facts1\" is 257 characters long; "
                "at most 255 fit."},
        Refusal{"MemoLongerThanItsField",
                "test2V1997.mdb",
                {"MSP_PROJECTS", Complaints, {{"proj_prop_author", "Case Facts1"}}},
                "Table \"MSP_PROJECTS\": Row 1: the value of \"Case Facts1\" is 348 characters "
                "long; at most 255 fit."},
        Refusal{"BinaryColumn",
                "test2V2000.mdb",
                {"MSP_PROJECTS", Complaints, {{"reserved_binary_data", "Case Facts2"}}},
                "Table \"MSP_PROJECTS\": the column \"RESERVED_BINARY_DATA\" holds pictures or "
                "other binary data, which no field can hold."},
        Refusal{"NumberNotWhole",
                "fixedTextTestV2000.mdb",
                {"users", Complaints, {{"c_user_login", "Grievance Number"}}},
                "Table \"users\": Row 1: the Grievance Number \"CORE USER\" is not a whole "
                "number above 0."},
        Refusal{"NoSuchTable",
                "fixedTextTestV2000.mdb",
                {"Employees", Employee, {}},
                "\"fixedTextTestV2000.mdb\" has no table named \"Employees\"."},
        Refusal{"NotACaseTable",
                "fixedTextTestV2000.mdb",
                {"users", "Grievances", {}},
                "\"Grievances\" is not a case table; the tables are Employee and Complaints."},
        Refusal{"NoTableNamedLikeACaseTable",
                "testV1997.mdb",
                {},
                "\"testV1997.mdb\" has no tables named Employee or Complaints; choose which of "
                "its tables (Table1, Table2, Table3, Table4) go into which case table."}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace
{

// The command line's import: what it prints, the option each refusal
// names, its exit status, and nothing changed when it refuses.
TEST_F(AccessImportTest, UnattendedNamesTheOptionThatAnswersEachQuestion)
{
    db.insert(Employee, {{"Name", "Ann"}, {"File Number", "core user"}});
    EXPECT_EQ(db.insert(Complaints, {{"File Number", "core user"}}), 1);
    const QString file = AccessSamples::file("fixedTextTestV2000.mdb");
    const auto runWith = [&](AccessImportChoices choices, QString *out, QString *err) {
        choices.mappings = {users(), userComplaints(true)};
        QTextStream o(out), e(err);
        return AccessImportUnattended::run(file, db.path(), choices, o, e);
    };
    QString out, err;
    EXPECT_EQ(runWith({}, &out, &err), 1);
    EXPECT_NE(err.indexOf("--skip-known-employees"), -1) << err.toStdString();
    EXPECT_NE(out.indexOf("  Employee <- \"users\": 2 rows; fields filled: File Number, Name;"), -1)
        << out.toStdString();

    AccessImportChoices skip;
    skip.knownEmployees = AccessImportChoices::Known::Skip;
    err.clear();
    EXPECT_EQ(runWith(skip, &out, &err), 1);
    EXPECT_NE(err.indexOf("1 incoming complaints have Grievance Numbers"), -1);
    EXPECT_NE(err.indexOf("--renumber-collisions"), -1) << err.toStdString();
    EXPECT_EQ(db.count(Employee), 1);
    EXPECT_EQ(db.count(Complaints), 1);

    skip.collisions = AccessImportChoices::Collisions::Renumber;
    out.clear();
    err.clear();
    EXPECT_EQ(runWith(skip, &out, &err), 0) << err.toStdString();
    EXPECT_NE(out.indexOf("Added 1 employees and 2 complaints."), -1) << out.toStdString();
    EXPECT_NE(out.indexOf("Left out 1 employees"), -1);
    EXPECT_NE(out.indexOf("Gave 1 complaints new Grievance Numbers"), -1);
    EXPECT_NE(out.indexOf(db.onServer() ? "not backed up" : "Backed up first"), -1)
        << out.toStdString();
    EXPECT_EQ(db.count(Employee), 2);
    EXPECT_EQ(db.count(Complaints), 3);

    // A mistyped case database file is refused, never made.
    QTemporaryDir dir;
    const QString typo = dir.filePath(QStringLiteral("Quilmark.db"));
    QTextStream o(&out), e(&err);
    EXPECT_EQ(AccessImportUnattended::run(file, typo, skip, o, e, false), 1);
    EXPECT_FALSE(QFileInfo::exists(typo));
}

} // namespace
