// Export and import: every stored value comes back exactly, NULL and empty
// text apart, through a file that spreadsheets read; a file that would not
// come back exactly is refused with its row, and the import's transaction
// then leaves the table as it was. The imports run on either back end.
#include "safekeeping/CsvExport.h"
#include "safekeeping/CsvImport.h"
#include "safekeeping/CsvWriter.h"
#include "safekeeping/SafekeepingFixture.h"
#include "safekeeping/TableImport.h"
#include "support/RunRandomness.h"
#include "support/TempCaseDb.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSqlError>
#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace
{

using namespace Safe;

// Values a steward's records hold, each stored in every text field of one
// employee row that holds it whole (the others get a short mark).
const QList<QVariant> &awkwardValues()
{
    static const QList<QVariant> v = {
        QStringLiteral("O'Brien's \"quoted\" name"),
        QStringLiteral("comma, inside"),
        QStringLiteral("line one\r\nline two\r\n"),
        QStringLiteral("lone\nfeed and lone\rreturn"),
        QStringLiteral("\"") + QStringLiteral("\"\""),
        QStringLiteral("  spaces kept  "),
        QStringLiteral("=SUM(A1:A2)"),
        QString::fromUtf8("Gr\u00fc\u00dfe \U0001F600 \U0001D11E \u4e2d"),
        QString(),          // NULL
        QStringLiteral(""), // empty text
    };
    return v;
}

QString employeeFields()
{
    QStringList names;
    for (const CsvColumn &c : importColumns(CaseSchema::EmployeeTable))
        names << QLatin1Char('"') + c.name + QLatin1Char('"');
    return names.join(QLatin1Char(','));
}

void fillAwkward(CaseDatabase &db)
{
    db.write([&db](QSqlQuery &q) {
        const QList<CsvColumn> fields = importColumns(CaseSchema::EmployeeTable);
        ASSERT_TRUE(q.prepare(
            QStringLiteral("INSERT INTO Employee (%1) VALUES (%2)")
                .arg(employeeFields(), QStringLiteral("?,").repeated(fields.size()).chopped(1))));
        for (const QVariant &value : awkwardValues()) {
            for (const CsvColumn &f : fields) {
                if (value.toString().size() > f.maxLength)
                    q.addBindValue(QStringLiteral("-"));
                else
                    q.addBindValue(value.isNull() ? QVariant(QMetaType(QMetaType::QString))
                                                  : value);
            }
            if (!q.exec())
                throw db.error(q.lastError());
        }
    });
}

// The import as the window runs it: every row inserted in one transaction
// of its own connection, all or nothing.
CsvImportResult importInto(const QString &path, const char *table, QIODevice &file)
{
    return TableImport::run(path, QString::fromLatin1(table), importColumns(table), file);
}

// Every row a query gives, each value as NULL or its text, so that NULL
// and empty text stay apart; read on a connection of the test's own.
QStringList stored(TempCaseDb &db, const QString &sql)
{
    QStringList out;
    QSqlQuery q = db.query(sql);
    while (q.next()) {
        QStringList values;
        for (int c = 0; c < q.record().count(); ++c)
            values << (q.value(c).isNull() ? QStringLiteral("NULL")
                                           : QLatin1Char('=') + q.value(c).toString());
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// Employees and complaints with values of their own, some NULL or empty.
void fillSome(TempCaseDb &db, int rows)
{
    for (int i = 0; i < rows; ++i) {
        db.insert(QStringLiteral("Employee"),
                  {{"Name", QStringLiteral("Employee %1").arg(i)},
                   {"File Number", QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))},
                   {"Address", i % 5 == 0 ? QVariant(QMetaType(QMetaType::QString))
                                          : QVariant(QStringLiteral("%1 Main St").arg(i))},
                   {"Days Off", i % 3 == 0 ? QStringLiteral("") : QStringLiteral("Sat, Sun")}});
        db.insert(QStringLiteral("Complaints"),
                  {{"File Number", QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))},
                   {"Case Facts1", QStringLiteral("Facts %1\r\nsecond line").arg(i)}});
    }
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CsvRoundTrip, EveryStoredValueComesBackExactly)
{
    TempCaseDb from(CaseBackend::Sqlite);
    fillAwkward(*from.open());
    QTemporaryDir out;
    const QString csv = out.filePath(QStringLiteral("Employees.csv"));
    const OpenUmask everyoneWouldRead;
    const CsvExportResult exported = CsvExport::toFile(
        from.path(), QStringLiteral("SELECT %1 FROM Employee ORDER BY rowid").arg(employeeFields()),
        {}, csv);
    ASSERT_TRUE(exported.ok) << exported.error.toStdString();
    EXPECT_EQ(exported.rows, awkwardValues().size());
    EXPECT_EQ(modeOf(csv), 0600u);

    TempCaseDb to;
    SKIP_WITHOUT_BACKEND(to);
    const std::shared_ptr<CaseDatabase> toDb = to.open();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CsvImportResult imported = importInto(to.path(), CaseSchema::EmployeeTable, file);
    ASSERT_TRUE(imported.ok) << imported.error.toStdString();
    EXPECT_EQ(imported.rows, awkwardValues().size());

    // Line breaks come back as the window's boxes hold them, CR LF; a lone
    // LF or CR stored by another program is read as one.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QString select =
        QStringLiteral("SELECT %1 FROM Employee ORDER BY rowid").arg(employeeFields());
    QStringList expected = stored(from, select);
    for (QString &row : expected)
        row.replace(lineBreak, QStringLiteral("\r\n"));
    EXPECT_EQ(stored(to, select), expected);
    // And the file made from the copy is the same file, byte for byte.
    const QString again = out.filePath(QStringLiteral("again.csv"));
    ASSERT_TRUE(CsvExport::tableToFile(*toDb, QStringLiteral("Employee"), again).ok);
    EXPECT_EQ(QString::fromUtf8(readAll(again)),
              QString::fromUtf8(readAll(csv)).replace(lineBreak, QStringLiteral("\r\n")));
}

// The format itself, as a spreadsheet or another program reads it.
TEST(CsvWriting, QuotesOnlyWhatMustBeQuotedAndEndsRowsWithCrLf)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CsvWriter w(&out);
    for (const char *h : {"Name", "Case Facts1", "Remedy Sought", "Days Off", "Address"})
        w.field(QString::fromUtf8(h));
    w.endRow();
    w.field(QStringLiteral("O'Brien"));
    w.field(QStringLiteral("He said \"no\",\r\ntwice"));
    w.null();
    w.field(QString(""));
    w.field(QString::fromUtf8("\U0001F600"));
    w.endRow();
    w.null();
    w.null();
    w.endRow();
    ASSERT_TRUE(w.flush());
    EXPECT_EQ(out.data(),
              QByteArray("Name,Case Facts1,Remedy Sought,Days Off,Address\r\n"
                         "O'Brien,\"He said \"\"no\"\",\r\ntwice\",,\"\",\xF0\x9F\x98\x80\r\n"
                         ",\r\n"));
}

TEST(CsvExport, StopsOnCancelAndLeavesTheFileThatWasThere)
{
    CaseFile db;
    db.fill(20000, 0);
    const QString csv = db.file(QStringLiteral("Employees.csv"));
    QFile old(csv);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the steward's earlier export\r\n");
    old.close();

    std::atomic<bool> cancel{false};
    qint64 reported = 0;
    CsvExportOptions options;
    options.cancel = &cancel;
    options.progress = [&](qint64 rows) {
        reported = rows;
        cancel = true;
    };
    const CsvExportResult r = CsvExport::toFile(
        db.path(), CsvExport::tableQuery(QStringLiteral("Employee")), {}, csv, options);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_GT(reported, 0);
    EXPECT_LT(reported, 20000);
    EXPECT_EQ(readAll(csv), QByteArray("the steward's earlier export\r\n"));
    EXPECT_EQ(namesIn(db.folder()).filter(QStringLiteral("Employees")),
              QStringList{QStringLiteral("Employees.csv")});
}

// A filtered, sorted export (what a grid window shows) binds its values.
TEST(CsvExport, WritesWhatAStatementSelects)
{
    CaseFile db;
    db.fill(50, 0);
    const QString csv = db.file(QStringLiteral("some.csv"));
    const CsvExportResult r =
        CsvExport::toFile(db.path(),
                          QStringLiteral("SELECT \"File Number\", Name FROM Employee WHERE "
                                         "Department = ? ORDER BY \"File Number\" DESC"),
                          {QStringLiteral("D3")}, csv);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(readAll(csv),
              QByteArray("File Number,Name\r\n"
                         "000045,Employee 45\r\n000038,Employee 38\r\n000031,Employee 31\r\n"
                         "000024,Employee 24\r\n000017,Employee 17\r\n000010,Employee 10\r\n"
                         "000003,Employee 3\r\n"));
}

struct BadImport {
    const char *name;
    QByteArray rows; // below a good header
    qint64 row;      // the row reported
    const char *told;
};

class ImportThatFails : public ::testing::TestWithParam<BadImport>
{
};

QByteArray goodRows(int count)
{
    QByteArray rows;
    for (int i = 1; i <= count; ++i)
        rows += "Imported " + QByteArray::number(i) + ",\"Line one\r\nline two\"," +
                QByteArray::number(i) + "\r\n";
    return rows;
}

// 499 good rows, then the fault on row 500: the engine hands on nothing
// past it and names the row; the transaction leaves the table unchanged.
TEST_P(ImportThatFails, OnRow500LeavesTheTableAsItWas)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    fillSome(db, 7);
    const QString all = QStringLiteral("SELECT * FROM Employee ORDER BY rowid");
    const QStringList before = stored(db, all);
    QByteArray csv = "name,Address,File Number\r\n" + goodRows(499) + GetParam().rows + goodRows(3);
    QBuffer file(&csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));

    const CsvImportResult r = importInto(db.path(), CaseSchema::EmployeeTable, file);

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedRow, GetParam().row);
    EXPECT_EQ(r.rows, GetParam().row - 1) << "rows handed on before the fault";
    EXPECT_TRUE(r.error.contains(QLatin1String(GetParam().told))) << r.error.toStdString();
    EXPECT_EQ(stored(db, all), before);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ImportThatFails,
    ::testing::Values(
        BadImport{"ValueTooLong", "Pat," + QByteArray(101, 'a') + ",1\r\n", 500,
                  "Row 500: the value of \"Address\" is 101 characters long; at most 100 fit."},
        // Counted as the boxes count: a character outside the BMP is two.
        BadImport{"TooLongCountedAsTheBoxes", "Pat,x,123456789\xF0\x9F\x98\x80\r\n", 500,
                  "\"File Number\" is 11 characters long; at most 10 fit."},
        BadImport{"TooFewValues", "Pat,x\r\n", 500, "Row 500 has 2 values; the header has 3."},
        BadImport{"NotUtf8",
                  "Gr\xFC\xDF"
                  "e,x,1\r\n",
                  500, "Row 500: the value of \"Name\" is not UTF-8"},
        BadImport{"QuoteInsideAValue", "Pat \"the cat\",x,1\r\n", 500, "Row 500 is not valid CSV"},
        BadImport{"QuoteNeverClosed", "\"Pat,x,1\r\n", 500, "is not valid CSV"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CsvImport, PreviewMatchesHeadersWhateverTheCase)
{
    QByteArray csv = "\xEF\xBB\xBF"
                     "FILE NUMBER, name ,Shoe Size,days off\r\n"
                     "000123,Pat,44,\r\n"
                     "000124,\"\",43,\"Sat, Sun\"\r\n"
                     "000125,Lee,42,Mon\r\n";
    QBuffer file(&csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CsvPreview p = CsvImport(importColumns(CaseSchema::EmployeeTable)).preview(file, 2);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.matched, (QStringList{QStringLiteral("File Number"), QStringLiteral("Name"),
                                      QStringLiteral("Days Off")}));
    EXPECT_EQ(p.ignored, QStringList{QStringLiteral("Shoe Size")});
    EXPECT_EQ(p.missing.size(), 8);
    ASSERT_EQ(p.rows.size(), 2);
    EXPECT_EQ(p.rows.at(0),
              (QVariantList{QStringLiteral("000123"), QStringLiteral("Pat"), QVariant()}));
    EXPECT_EQ(p.rows.at(1).at(1), QVariant(QStringLiteral("")));
    EXPECT_FALSE(p.rows.at(1).at(1).isNull());
    EXPECT_EQ(p.rows.at(1).at(2), QVariant(QStringLiteral("Sat, Sun")));
}

struct BadHeader {
    const char *name;
    QByteArray csv;
    const char *told;
};

class HeaderRefused : public ::testing::TestWithParam<BadHeader>
{
};

TEST_P(HeaderRefused, BeforeAnyRowIsHandedOn)
{
    QByteArray csv = GetParam().csv;
    QBuffer file(&csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    int handed = 0;
    const CsvImportResult r =
        CsvImport(importColumns(CaseSchema::ComplaintsTable))
            .run(file, [&](const QStringList &, const QVariantList &, QString *) {
                ++handed;
                return true;
            });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(handed, 0);
    EXPECT_TRUE(r.error.contains(QLatin1String(GetParam().told))) << r.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderRefused,
    ::testing::Values(
        BadHeader{"EmptyFile", "", "no header row"},
        BadHeader{"OnlyBlankLines", "\r\n\r\n", "no header row"},
        BadHeader{"NothingMatches", "Recipe,Steps\r\nsoup,boil\r\n",
                  "None of the file's columns matches a field (the file has: Recipe, Steps)"},
        BadHeader{"SameFieldTwice", "File Number,file number\r\n1,2\r\n",
                  "The column \"file number\" appears twice"},
        // A value that never ends is refused before it takes the memory.
        BadHeader{"HugeValue", "Remedy Sought\r\n\"" + QByteArray(3 << 20, 'x'),
                  "more than 1048576 bytes"}),
    [](const auto &info) { return std::string(info.param.name); });

// A value exactly as long as its field holds goes in; one character more
// is refused. Line breaks count as the two characters CR LF the boxes hold,
// whatever form the file has them in, and are stored so; a NUL is refused.
struct Limit {
    const char *name;
    QByteArray address; // the Address field (100) of one row
    QByteArray stored;  // what the field then holds; empty: refused
    const char *told;   // the refusal
};

class ImportAtTheLimit : public ::testing::TestWithParam<Limit>
{
};

TEST_P(ImportAtTheLimit, CountsAsTheBoxesCountAndStoresTheSame)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    QByteArray csv =
        "Name,Address,File Number\r\nPat,\"" + GetParam().address + "\",0123456789\r\n";
    QBuffer file(&csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CsvImportResult r = importInto(db.path(), CaseSchema::EmployeeTable, file);
    EXPECT_TRUE(r.error.contains(QLatin1String(GetParam().told))) << r.error.toStdString();
    const QString kept = QStringLiteral("=") + GetParam().stored + QStringLiteral("0123456789");
    EXPECT_EQ(stored(db, QStringLiteral("SELECT Address || \"File Number\" FROM Employee")),
              GetParam().stored.isEmpty() ? QStringList() : QStringList{kept});
}

QByteArray a(int n)
{
    return QByteArray(n, 'a');
}

INSTANTIATE_TEST_SUITE_P(
    Values, ImportAtTheLimit,
    ::testing::Values(Limit{"FullLength", a(100), a(100), ""},
                      Limit{"OneOver", a(101), {}, "is 101 characters long; at most 100"},
                      Limit{"CrLfAtTheLimit", a(98) + "\r\n", a(98) + "\r\n", ""},
                      Limit{"CrLfOneOver", a(99) + "\r\n", {}, "is 101 characters long"},
                      Limit{"LoneLfAtTheLimit", a(98) + "\n", a(98) + "\r\n", ""},
                      Limit{"LoneLfOneOver", a(99) + "\n", {}, "is 101 characters long"},
                      Limit{"LoneCrAtTheLimit", a(98) + "\r", a(98) + "\r\n", ""},
                      Limit{"NulInside", a(1) + '\0' + a(1), {}, "\"Address\" holds a NUL"}),
    [](const auto &info) { return std::string(info.param.name); });

// A steward's save while an import writes, on either back end: the save
// waits for the import's commit (the import is held mid-way, inside its
// transaction), so no Grievance Number is handed out twice and the
// numbering never moves back: the imported complaints come after every
// number ever handed out (a deleted complaint's too), the save after them.
// Then an employee saved between the count of known file numbers and the
// import refuses the import, since the steward was asked about fewer.
TEST(ImportMeetsAStewardsSave, NumbersNeverRepeatAndAnswersStayTrue)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    qint64 highest = 0;
    for (int i = 0; i < 5; ++i)
        highest = db.insert(QStringLiteral("Complaints"), {{"File Number", "000001"}});
    db.query(QStringLiteral("DELETE FROM Complaints WHERE rowid = ?"), {highest});
    ASSERT_EQ(db.count(QStringLiteral("Complaints")), 4);

    constexpr int Rows = 3000;
    QByteArray csv = "File Number,Case Facts1\r\n";
    for (int i = 0; i < Rows; ++i)
        csv += "000002,Imported " + QByteArray::number(i) + "\r\n";
    // The window's own connection, open before the import begins.
    CaseDatabase steward(db.path());
    steward.open();
    std::atomic<bool> midway{false};
    CsvImportResult imported;
    std::thread import([&] {
        QBuffer file(&csv);
        file.open(QIODevice::ReadOnly);
        TableImportOptions options;
        options.progress = [&](qint64 rows) {
            if (rows < Rows && !midway.exchange(true))
                std::this_thread::sleep_for(std::chrono::milliseconds(700));
        };
        imported = TableImport::run(db.path(), QStringLiteral("Complaints"),
                                    importColumns(CaseSchema::ComplaintsTable), file, options);
    });
    while (!midway)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    steward.write([&](QSqlQuery &q) {
        ASSERT_TRUE(q.exec(db.adapted(
            QStringLiteral("INSERT INTO Complaints (\"File Number\") VALUES ('000003')"))));
    });
    import.join();
    ASSERT_TRUE(imported.ok) << imported.error.toStdString();
    EXPECT_EQ(imported.rows, Rows);

    QList<qint64> numbers;
    QSqlQuery q = db.query(QStringLiteral("SELECT rowid FROM Complaints WHERE \"File Number\" = "
                                          "'000002'"));
    while (q.next())
        numbers << q.value(0).toLongLong();
    ASSERT_EQ(numbers.size(), Rows);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers.first(), highest + 1) << "after the deleted complaint's number";
    EXPECT_EQ(numbers.last(), highest + Rows) << "one number each, none twice";
    const qint64 saved =
        db.row(QStringLiteral("Complaints"), QStringLiteral("\"File Number\" = '000003'"))
            .value(QStringLiteral("Grievance Number"))
            .toLongLong();
    EXPECT_GT(saved, numbers.last()) << "the save waited for the import";
    EXPECT_GT(db.insert(QStringLiteral("Complaints"), {{"File Number", "000004"}}), saved);

    // Counted: none of the file's numbers is held. Then a steward saves one.
    QByteArray employees = "Name,File Number\r\nA,E1\r\nB,E2\r\nC,E3\r\n";
    TableImportOptions count;
    count.field = QStringLiteral("File Number");
    count.count = true;
    QBuffer file(&employees);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const CsvImportResult counted =
        TableImport::run(db.path(), QStringLiteral("Employee"),
                         importColumns(CaseSchema::EmployeeTable), file, count);
    ASSERT_TRUE(counted.ok) << counted.error.toStdString();
    EXPECT_EQ(counted.skipped, 0);
    db.insert(QStringLiteral("Employee"), {{"Name", "Saved meanwhile"}, {"File Number", "e2"}});
    TableImportOptions add = count;
    add.count = false;
    add.addKnown = true;
    add.knownCounted = counted.skipped;
    file.seek(0);
    const CsvImportResult refused = TableImport::run(
        db.path(), QStringLiteral("Employee"), importColumns(CaseSchema::EmployeeTable), file, add);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.failedRow, 2);
    EXPECT_TRUE(refused.error.contains(QLatin1String("was saved since the rows were counted")))
        << refused.error.toStdString();
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 1);
}

// The rows of a file whose file number an employee held before the import,
// letter case aside, on either back end, over files longer than the rows
// asked about at once: counted exactly as a model of the table counts
// them; left out exactly those; and added with fewer counted than there
// are (a steward saved one since the count), refused at the very row that
// is one too many, leaving the table as it was.
TEST(ImportCountsKnownRows, AsTheTableHeldThemAndRefusesTheRowOneTooMany)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    std::mt19937 random(randomness);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    // Numbers of a few letters each, so that rows repeat and case differs.
    const auto fileNumber = [&] {
        QString n = QStringLiteral("F%1").arg(pick(400));
        return pick(2) ? n.toLower() : n;
    };
    QSet<QString> held; // folded
    for (int i = 0; i < 150; ++i) {
        const QString n = fileNumber();
        held.insert(n.toLower());
        db.insert(QStringLiteral("Employee"), {{"Name", "There"}, {"File Number", n}});
    }
    const int before = db.count(QStringLiteral("Employee"));

    const int rows = 9000 + pick(4000);
    QByteArray csv = "Name,File Number\r\n";
    QList<int> knownRows; // their numbers in the file, from 1
    for (int r = 1; r <= rows; ++r) {
        if (pick(10) == 0) {
            csv += "Without one,\r\n";
            continue;
        }
        const QString n = fileNumber();
        csv += "Row " + QByteArray::number(r) + ',' + n.toUtf8() + "\r\n";
        if (held.contains(n.toLower()))
            knownRows << r;
    }
    ASSERT_FALSE(knownRows.isEmpty());
    const auto import = [&](const TableImportOptions &options) {
        QBuffer file(&csv);
        file.open(QIODevice::ReadOnly);
        return TableImport::run(db.path(), QStringLiteral("Employee"),
                                importColumns(CaseSchema::EmployeeTable), file, options);
    };

    TableImportOptions count;
    count.field = QStringLiteral("File Number");
    count.count = true;
    const CsvImportResult counted = import(count);
    ASSERT_TRUE(counted.ok) << counted.error.toStdString();
    EXPECT_EQ(counted.rows, rows);
    EXPECT_EQ(counted.skipped, knownRows.size());
    EXPECT_EQ(db.count(QStringLiteral("Employee")), before);

    TableImportOptions tooFew = count;
    tooFew.count = false;
    tooFew.addKnown = true;
    tooFew.knownCounted = pick(int(knownRows.size()));
    const CsvImportResult refused = import(tooFew);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.failedRow, knownRows.at(tooFew.knownCounted));
    EXPECT_EQ(refused.error,
              QStringLiteral("Row %1 was not added (an employee with its File Number was saved "
                             "since the rows were counted; import the file again to be asked "
                             "about it).")
                  .arg(knownRows.at(tooFew.knownCounted)));
    EXPECT_EQ(db.count(QStringLiteral("Employee")), before);

    TableImportOptions leaveOut = count;
    leaveOut.count = false;
    const CsvImportResult imported = import(leaveOut);
    ASSERT_TRUE(imported.ok) << imported.error.toStdString();
    EXPECT_EQ(imported.skipped, knownRows.size());
    EXPECT_EQ(db.count(QStringLiteral("Employee")), before + rows - int(knownRows.size()));
    for (const int r : {knownRows.first(), knownRows.last()})
        EXPECT_EQ(db.count(QStringLiteral("Employee"), QStringLiteral("\"Name\" = ?"),
                           {QStringLiteral("Row %1").arg(r)}),
                  0);
}

} // namespace
