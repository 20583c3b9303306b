// The File menu's safekeeping commands on the case session: Back Up Now, a
// restore refused with its reason, export of both tables as stored, and
// import previewed then added whole or not at all.
#include "commands/SafekeepingCommands.h"
#include "commands/CommandFixture.h"
#include "commands/ExportChoiceDialog.h"
#include "commands/ImportDialog.h"
#include "commands/RestoreDialog.h"
#include "platform/TextBox.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/CsvReader.h"
#include "safekeeping/SafekeepingFixture.h"
#include "session/BackupController.h"
#include "session/CaseShapes.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace
{

using namespace Safe;
using Outcome = KeeperResult::Outcome;

class SafekeepingOnSession : public ::testing::Test
{
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }

    void start() { s.open(db.path()); }
    BackupController &backups() { return *s.session.backups(); }
    // The open backup, waited for.
    const KeeperResult &openBackup()
    {
        backups().finishBackground();
        return backups().lastResult();
    }

    QString backupFolder() const { return db.file(QStringLiteral("Backups")); }
    QList<BackupEntry> goodBackups() const
    {
        QList<BackupEntry> good;
        for (const BackupEntry &e :
             BackupFolder(db.path()).list(CaseShapes::caseShape(), BackupFolder::Detail::Counts))
            if (e.good)
                good << e;
        return good;
    }
    qint64 employees() { return Raw(db.path(), true).count("Employee"); }
    QString lastMessage() const
    {
        return dialogs.messages().isEmpty() ? QString() : dialogs.messages().last().prompt;
    }

    CaseFile db;
    ScriptedDialogs dialogs;
    CommandSession s;
    SafekeepingCommands commands{s.session, &s.window};
};

TEST_F(SafekeepingOnSession, BackUpNowSavesAPrivateCopyWithWhatTheBoxesShow)
{
    db.fill(3, 2);
    start();
    s.field(CaseFields::Name)->setText(QStringLiteral("Typed, not yet saved"));
    // A name the steward already used: the save dialog asked, the copy replaces it.
    const QString copy = db.file(QStringLiteral("stick/Quillmark copy.db"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).path()));
    ASSERT_TRUE(writeFile(copy, "an older copy"));
    dialogs.queueSaveFileName(copy);
    commands.backUpNow();

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(lastMessage(),
              QStringLiteral("The case records were saved to \"%1\": 3 employees and 2 complaints.")
                  .arg(copy));
    EXPECT_EQ(modeOf(copy), 0600u);
    EXPECT_EQ(
        Raw(copy, true).rows(QStringLiteral("SELECT Name FROM Employee ORDER BY rowid LIMIT 1")),
        QStringList{QStringLiteral("3:Typed, not yet saved")});
    EXPECT_EQ(QDir(QFileInfo(copy).path()).entryList(QDir::Files),
              QStringList{QFileInfo(copy).fileName()})
        << "no part file left beside it";
}

struct Refused {
    const char *name;
    // Makes the file offered at `path` from a good backup; an empty
    // function offers the case database itself.
    std::function<void(const QString &good, const QString &path)> make;
    const char *told;
};

class RestoreRefused : public SafekeepingOnSession, public ::testing::WithParamInterface<Refused>
{
};

TEST_P(RestoreRefused, WithTheReasonAndNothingChanged)
{
    db.fill(3, 2);
    start();
    ASSERT_EQ(openBackup().outcome, Outcome::Made);
    const QString offered = GetParam().make ? db.file(QStringLiteral("offered.db")) : db.path();
    if (GetParam().make)
        GetParam().make(goodBackups().first().path, offered);
    const QStringList before = folderState(backupFolder());
    const QStringList rows = Raw(db.path(), true).rows(QStringLiteral("SELECT * FROM Employee"));

    dialogs.queueDialog([&](QDialog &d) {
        dialogs.queueOpenFileName(offered);
        dynamic_cast<RestoreDialog &>(d).otherFileButton()->click();
        return d.result();
    });
    commands.restore();

    ASSERT_EQ(dialogs.messages().size(), 1);
    const QString told = dialogs.messages().at(0).prompt;
    EXPECT_TRUE(
        told.startsWith(QStringLiteral("The backup was not restored, nothing was changed:")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QLatin1String(GetParam().told))) << told.toStdString();
    EXPECT_EQ(Raw(db.path(), true).rows(QStringLiteral("SELECT * FROM Employee")), rows);
    EXPECT_EQ(folderState(backupFolder()), before) << "no backup taken for a refused restore";
}

INSTANTIATE_TEST_SUITE_P(
    Files, RestoreRefused,
    ::testing::Values(
        Refused{"CutShort",
                [](const QString &good, const QString &path) {
                    const QByteArray bytes = bytesOf(good);
                    writeFile(path, bytes.left(bytes.size() / 2));
                },
                "is damaged"},
        Refused{"PagesOverwritten",
                [](const QString &good, const QString &path) {
                    QByteArray bytes = bytesOf(good);
                    bytes.replace(4096, 4096, QByteArray(4096, '\x5a'));
                    writeFile(path, bytes);
                },
                "is damaged"},
        Refused{"ForeignDatabase",
                [](const QString &, const QString &path) {
                    Raw(path).exec(QStringLiteral("CREATE TABLE Recipes (Name TEXT)"));
                },
                "is not a case database: the table Employee is missing"},
        Refused{"NotADatabase",
                [](const QString &, const QString &path) {
                    writeFile(path, QByteArray("Name,Address\r\n").repeated(400));
                },
                "is damaged or is not a case database"},
        Refused{"TheOpenFileItself", {}, "\"Quillmark.db\" is the case database now open"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SafekeepingOnSession, ExportWritesBothTablesAsStoredToPrivateFiles)
{
    db.fill(5, 4);
    start();
    const QString employeesCsv = db.file(QStringLiteral("employees.csv"));
    const QString complaintsCsv = db.file(QStringLiteral("complaints.csv"));
    dialogs.queueDialog([](QDialog &d) {
        dynamic_cast<ExportChoiceDialog &>(d).choose(2);
        return int(QDialog::Accepted);
    });
    dialogs.queueSaveFileName(employeesCsv);
    dialogs.queueSaveFileName(complaintsCsv);
    commands.exportRecords();

    ASSERT_EQ(dialogs.messages().size(), 2) << lastMessage().toStdString();
    EXPECT_EQ(dialogs.messages().at(0).prompt,
              QStringLiteral("5 rows of Employee were written to \"%1\".").arg(employeesCsv));
    EXPECT_EQ(dialogs.messages().at(1).prompt,
              QStringLiteral("4 rows of Complaints were written to \"%1\".").arg(complaintsCsv));
    const QList<std::pair<QString, QString>> files = {
        {QStringLiteral("Employee"), employeesCsv}, {QStringLiteral("Complaints"), complaintsCsv}};
    for (const auto &[table, file] : files) {
        const QString reference = file + QStringLiteral(".reference");
        ASSERT_TRUE(CsvExport::toFile(db.path(), CsvExport::tableQuery(table), {}, reference).ok);
        EXPECT_EQ(bytesOf(file), bytesOf(reference)) << table.toStdString();
        EXPECT_EQ(modeOf(file), 0600u) << table.toStdString();
    }
}

QByteArray importRows(int count)
{
    QByteArray rows;
    for (int i = 1; i <= count; ++i)
        rows += "Imported " + QByteArray::number(i) + ",\"Line one\r\nline two\"," +
                QByteArray::number(i) + ",kept out\r\n";
    return rows;
}

struct ImportCase {
    const char *name;
    QByteArray rows; // below the header "NAME,address,File Number,Shoe Size"
    bool importable; // the preview lets it through
    qint64 added;
    const char *told; // the message, or the preview's complaint
};

// On either back end: the records in a TempCaseDb.
class ImportThroughTheMenu : public ::testing::TestWithParam<ImportCase>
{
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    QString lastMessage() const
    {
        return dialogs.messages().isEmpty() ? QString() : dialogs.messages().last().prompt;
    }
    QStringList employeeRows()
    {
        QStringList rows;
        QSqlQuery q = db.query(QStringLiteral("SELECT * FROM Employee ORDER BY rowid"));
        while (q.next()) {
            QStringList values;
            for (int c = 0; c < q.record().count(); ++c)
                values << (q.value(c).isNull() ? QStringLiteral("NULL") : q.value(c).toString());
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    }

    TempCaseDb db;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    CommandSession s;
    SafekeepingCommands commands{s.session, &s.window};
};

TEST_P(ImportThroughTheMenu, PreviewsThenAddsAllRowsOrNone)
{
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    for (int i = 0; i < 4; ++i)
        db.insert(QStringLiteral("Employee"), {{"Name", QStringLiteral("Employee %1").arg(i)}});
    s.open(db.path());
    const QString csv = dir.filePath(QStringLiteral("import.csv"));
    ASSERT_TRUE(writeFile(csv, "NAME,address,File Number,Shoe Size\r\n" + GetParam().rows));
    const QStringList before = employeeRows();

    dialogs.queueOpenFileName(csv);
    dialogs.queueDialog([param = GetParam()](QDialog &d) {
        auto &import = dynamic_cast<ImportDialog &>(d);
        EXPECT_EQ(import.table(), QStringLiteral("Employee"));
        EXPECT_EQ(import.preview().matched,
                  (QStringList{QStringLiteral("Name"), QStringLiteral("Address"),
                               QStringLiteral("File Number")}));
        EXPECT_EQ(import.preview().ignored, QStringList{QStringLiteral("Shoe Size")});
        EXPECT_EQ(import.importButton()->isEnabled(), param.importable);
        if (!param.importable) {
            EXPECT_TRUE(import.matchText()->text().contains(QLatin1String(param.told)))
                << import.matchText()->text().toStdString();
        } else {
            EXPECT_GE(import.rows()->rowCount(), 1);
            EXPECT_LE(import.rows()->rowCount(), ImportDialog::PreviewRows);
            EXPECT_EQ(import.rows()->item(0, 1)->text(), QStringLiteral("Line one\r\nline two"));
        }
        QTest::mouseClick(import.importButton(), Qt::LeftButton);
        return d.result();
    });
    commands.importRecords();

    if (!GetParam().importable) {
        EXPECT_TRUE(dialogs.messages().isEmpty()) << lastMessage().toStdString();
    } else {
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_TRUE(lastMessage().contains(QLatin1String(GetParam().told)))
            << lastMessage().toStdString();
    }
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 4 + GetParam().added);
    if (GetParam().added == 0)
        EXPECT_EQ(employeeRows(), before);
    else
        EXPECT_EQ(db.row(QStringLiteral("Employee"), QStringLiteral("Name = 'Imported 2'"))
                      .value(QStringLiteral("Address")),
                  QVariant(QStringLiteral("Line one\r\nline two")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportThroughTheMenu,
    ::testing::Values(
        ImportCase{"GoodRows", importRows(3), true, 3, "3 rows were added to Employee."},
        ImportCase{"LongValueOnRow500",
                   importRows(499) + "Pat," + QByteArray(101, 'a') + ",1,x\r\n" + importRows(2),
                   true, 0,
                   "Nothing was imported: Row 500: the value of \"Address\" is 101 characters "
                   "long; at most 100 fit."},
        ImportCase{"LongValueSeenInThePreview",
                   importRows(1) + "Pat,x," + QByteArray(11, '1') + ",x\r\n", false, 0,
                   "Row 2: the value of \"File Number\" is 11 characters long"}),
    [](const auto &info) { return std::string(info.param.name); });

// File > Export on either back end: both tables, every stored value read
// back from the files by the CSV reader and compared with the rows a
// connection of the test's own reads.
TEST(FileMenuExport, WritesEveryStoredValueOfBothTables)
{
    QStandardPaths::setTestModeEnabled(true);
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    db.insert(QStringLiteral("Employee"),
              {{"Name", "O'Brien, \"Jr\"\r\nsecond line"}, {"File Number", "007"}});
    db.insert(QStringLiteral("Employee"), {{"Name", QString::fromUtf8("Gr\u00fc\u00dfe")}});
    db.insert(QStringLiteral("Complaints"),
              {{"File Number", "007"}, {"Remedy Sought", " kept, \"as\" is "}});
    QTemporaryDir out;
    ScriptedDialogs dialogs;
    CommandSession s;
    SafekeepingCommands commands(s.session, &s.window);
    s.open(db.path());
    dialogs.queueDialog([](QDialog &d) {
        dynamic_cast<ExportChoiceDialog &>(d).choose(2);
        return int(QDialog::Accepted);
    });
    const QStringList files = {out.filePath(QStringLiteral("a.csv")),
                               out.filePath(QStringLiteral("b.csv"))};
    for (const QString &f : files)
        dialogs.queueSaveFileName(f);
    commands.exportRecords();
    ASSERT_EQ(dialogs.messages().size(), 2);

    for (const QString &file : files) {
        const QList<QStringList> rows = csvRows(file);
        ASSERT_FALSE(rows.isEmpty()) << file.toStdString();
        const QString table =
            rows.size() == 3 ? QStringLiteral("Employee") : QStringLiteral("Complaints");
        QStringList quoted;
        for (const QString &c : rows.first())
            quoted << QLatin1Char('"') + c + QLatin1Char('"');
        QSqlQuery q = db.query(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                   .arg(quoted.join(QLatin1Char(',')), table));
        qsizetype r = 1;
        for (; q.next(); ++r) {
            ASSERT_LT(r, rows.size()) << table.toStdString();
            for (int c = 0; c < int(rows.first().size()); ++c)
                EXPECT_EQ(rows.at(r).at(c), q.value(c).toString())
                    << table.toStdString() << " row " << r << " "
                    << rows.first().at(c).toStdString();
        }
        EXPECT_EQ(r, rows.size()) << table.toStdString();
    }
}

} // namespace
