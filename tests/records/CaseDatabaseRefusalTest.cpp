// A file that is not a case database is refused and left exactly as it was:
// never "repaired", never given the program's tables or settings.
#include "support/TempCaseDb.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>
#include <QUuid>
#include <functional>

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A case database as the program makes it, as bytes.
QByteArray caseDatabaseImage()
{
    TempCaseDb t;
    t.open(); // closed again at once: everything is in the main file
    return readAll(t.path());
}

// A database another program made, in the classic rollback journal mode.
void makeSqlite(const QString &path, const QStringList &statements)
{
    const QString name =
        QStringLiteral("other-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString &s : statements)
            ASSERT_TRUE(q.exec(s))
                << q.lastError().text().toStdString() << " in " << s.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QByteArray withBytes(QByteArray image, int at, const QByteArray &bytes)
{
    image.replace(at, bytes.size(), bytes);
    return image;
}

const QString CaseTablesBut = QStringLiteral(
    "CREATE TABLE Complaints (\"Grievance Number\" INTEGER PRIMARY KEY, \"File Number\", "
    "\"Contract Provinsions\", "
    "\"Date of Violation\", \"Remedy Sought\", \"Supervisor First Contacted\", \"Contact Date\", "
    "\"Supervisor's Oral Answer Date\", \"Case Facts1\", \"Case Facts2\", \"Case Facts3\")");

struct Refused {
    const char *name;
    std::function<void(const QString &path)> make;
};

class CaseDatabaseRefusal : public ::testing::TestWithParam<Refused>
{
};

TEST_P(CaseDatabaseRefusal, ThrowsAndLeavesTheFileByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmark.db");
    GetParam().make(path);
    const QByteArray before = readAll(path);
    ASSERT_FALSE(before.isEmpty());

    {
        CaseDatabase cdb(path);
        try {
            cdb.open();
            FAIL() << "opened as a case database";
        } catch (const DataError &e) {
            EXPECT_FALSE(e.description().isEmpty());
        }
        EXPECT_FALSE(cdb.isOpen());
    }
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Quillmark.db")})
        << "no journal or other file left beside it";
}

INSTANTIATE_TEST_SUITE_P(
    Files, CaseDatabaseRefusal,
    ::testing::Values(
        Refused{"PlainText",
                [](const QString &p) { writeAll(p, "Name,File Number\r\nAda Byron,000123\r\n"); }},
        Refused{"RandomBytes",
                [](const QString &p) {
                    QByteArray b(4096, '\0');
                    for (int i = 0; i < b.size(); ++i)
                        b[i] = char((i * 7919 + 13) % 251);
                    writeAll(p, b);
                }},
        Refused{"DamagedHeaderText",
                [](const QString &p) {
                    writeAll(p, withBytes(caseDatabaseImage(), 0, "SQLite format 2"));
                }},
        Refused{"DamagedPageSize",
                [](const QString &p) {
                    writeAll(p, withBytes(caseDatabaseImage(), 16, QByteArray("\x00\x07", 2)));
                }},
        Refused{"HeaderOnly", [](const QString &p) { writeAll(p, caseDatabaseImage().left(100)); }},
        Refused{"AnotherProgramsTables",
                [](const QString &p) {
                    makeSqlite(p, {QStringLiteral(
                                       "CREATE TABLE Notes (id INTEGER PRIMARY KEY, text TEXT)"),
                                   QStringLiteral("INSERT INTO Notes (text) VALUES ('keep me')")});
                }},
        Refused{"OnlyTheComplaintsTable", [](const QString &p) { makeSqlite(p, {CaseTablesBut}); }},
        Refused{"EmployeeTableWithoutAField",
                [](const QString &p) {
                    makeSqlite(
                        p, {CaseTablesBut,
                            QStringLiteral(
                                "CREATE TABLE Employee (Name, Department, \"Shift Start Time\", "
                                "\"File Number\", \"Home Phone\", \"Work Phone\", "
                                "\"Company Seniority\", \"Class Seniortity\", Classification, "
                                "Address)")});
                }}),
    [](const auto &info) { return std::string(info.param.name); });

// A case database another tool made, with the table names in other letter
// case and a field of its own, is still the steward's database.
TEST(CaseDatabaseAcceptance, ExtraFieldsAndOtherLetterCaseAreAccepted)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Quillmark.db");
    makeSqlite(
        path,
        {QString(CaseTablesBut)
             .replace(QStringLiteral("TABLE Complaints"), QStringLiteral("TABLE COMPLAINTS")),
         QStringLiteral(
             "CREATE TABLE employee (Name, Department, \"Shift Start Time\", \"File Number\", "
             "\"Home Phone\", \"Work Phone\", \"Company Seniority\", \"Class Seniortity\", "
             "Classification, Address, \"Days Off\", Notes)"),
         QStringLiteral("INSERT INTO employee (Name, Notes) VALUES ('Ada', 'kept')")});
    CaseDatabase cdb(path);
    cdb.open();
    EXPECT_EQ(cdb.tableName(QStringLiteral("Employee")), QStringLiteral("employee"));
    EXPECT_TRUE(cdb.columns(QStringLiteral("Employee")).contains(QStringLiteral("Notes")));
}

} // namespace
