// The case records kept safe from the main window: backups taken when the
// file is opened and closed, restore with the window open, a damaged file
// at start offered its backup, a backup folder that cannot be written, and
// the export of a grid window. The menu's commands themselves are tested on
// the session (tests/commands).
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "browser/frmDataGrid.h"
#include "caseform/RecordBinder.h"
#include "commands/ExportChoiceDialog.h"
#include "commands/ImportDialog.h"
#include "commands/RestoreDialog.h"
#include "commands/SafekeepingCommands.h"
#include "platform/Forms.h"
#include "platform/TextBox.h"
#include "records/PostgresBackend.h"
#include "records/RecordSet.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/CsvReader.h"
#include "safekeeping/SafekeepingFixture.h"
#include "session/BackupController.h"
#include "session/CaseSession.h"
#include "session/CaseShapes.h"
#include "support/MainWindowParts.h"
#include "support/RunRandomness.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"
#include "support/WindowControls.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <random>

namespace
{

using namespace Safe;
using Outcome = KeeperResult::Outcome;

class SafekeepingWindow : public ::testing::Test
{
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    void TearDown() override { stop(); }

    void start()
    {
        window = std::make_unique<frmMain>();
        window->Form_Load(db.path());
        window->show();
    }
    void stop()
    {
        if (window) {
            window->close();
            window.reset();
        }
    }
    BackupController &backups() { return *window->session().backups(); }
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
    std::unique_ptr<frmMain> window;
};

TEST_F(SafekeepingWindow, BacksUpOnOpenAndOnCloseAndNeverCopiesAnUnchangedFile)
{
    db.fill(3, 2);
    start();
    ASSERT_EQ(openBackup().outcome, Outcome::Made) << openBackup().message.toStdString();
    QList<BackupEntry> taken = goodBackups();
    ASSERT_EQ(taken.size(), 1);
    EXPECT_EQ(taken.at(0).rows, (QList<qint64>{3, 2}));
    EXPECT_EQ(modeOf(taken.at(0).path), 0600u);
    EXPECT_EQ(modeOf(backupFolder()), 0700u);

    // An edit still in its box when the window closes: saved, then kept.
    windowField(*window, CaseFields::Name)->setText(QStringLiteral("Renamed at closing"));
    stop();
    taken = goodBackups();
    ASSERT_EQ(taken.size(), 2);
    EXPECT_EQ(
        Raw(taken.last().path, true)
            .rows(QStringLiteral("SELECT Name FROM Employee WHERE Name = 'Renamed at closing'"))
            .size(),
        1);

    // Opened and closed with nothing changed: no third copy, either time.
    start();
    EXPECT_EQ(openBackup().outcome, Outcome::Unchanged);
    stop();
    EXPECT_EQ(goodBackups().size(), 2);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << lastMessage().toStdString();
}

TEST_F(SafekeepingWindow, ReadOnlyBackupFolderIsToldOnceAndNothingIsLost)
{
    db.fill(2, 1);
    ASSERT_TRUE(QDir().mkpath(backupFolder()));
    ASSERT_TRUE(QFile::setPermissions(backupFolder(), QFile::ReadOwner | QFile::ExeOwner));
    const HeldToPermissions held; // before the window: its backup thread inherits it
    start();

    EXPECT_EQ(openBackup().outcome, Outcome::Failed);
    const QString told = windowStatusBar(*window)->panelText(1);
    EXPECT_TRUE(told.startsWith(QStringLiteral("Backup failed: "))) << told.toStdString();
    EXPECT_TRUE(told.contains(backupFolder())) << told.toStdString();

    // The steward goes on working: a save is stored.
    windowField(*window, CaseFields::Name)->setText(QStringLiteral("Saved all the same"));
    recordCommand(*window, "cmdUpdate", 0)->click();
    EXPECT_EQ(Raw(db.path(), true)
                  .rows(QStringLiteral("SELECT 1 FROM Employee WHERE Name = 'Saved all the same'"))
                  .size(),
              1);

    // The same failure again is not told again over what the bar says now.
    windowStatusBar(*window)->setPanelText(QStringLiteral("Preparing grievance for: Pat"));
    EXPECT_EQ(backups().runAndWait(false).outcome, Outcome::Failed);
    EXPECT_EQ(windowStatusBar(*window)->panelText(1),
              QStringLiteral("Preparing grievance for: Pat"));
    EXPECT_TRUE(QDir(backupFolder())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty()) << lastMessage().toStdString();
}

TEST_F(SafekeepingWindow, RestoreWithTheWindowOpenKeepsTheCurrentRecordsFirst)
{
    db.fill(3, 2);
    start();
    ASSERT_EQ(openBackup().outcome, Outcome::Made);
    // Saved by another program after the backup, while the window is open.
    Raw(db.path()).exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('Added later')"));
    recordCommand(*window, "cmdGrid", 0)->click();
    const QPointer<QWidget> grid = Forms::loaded().last();
    ASSERT_NE(grid.data(), window.get());

    dialogs.queueDialog([](QDialog &d) {
        auto &restore = dynamic_cast<RestoreDialog &>(d);
        EXPECT_EQ(restore.list()->topLevelItemCount(), 1);
        EXPECT_EQ(restore.list()->topLevelItem(0)->text(1), QStringLiteral("3"));
        EXPECT_EQ(restore.list()->topLevelItem(0)->text(2), QStringLiteral("2"));
        restore.restoreButton()->click();
        return restore.result();
    });
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    windowAction(*window, "mnuFileRestore")->trigger();

    ASSERT_EQ(dialogs.messages().size(), 1) << lastMessage().toStdString();
    EXPECT_TRUE(dialogs.messages().at(0).prompt.contains(QStringLiteral("(4 employees")))
        << dialogs.messages().at(0).prompt.toStdString();
    EXPECT_EQ(employees(), 3);
    // The four employees replaced are in a backup of their own.
    const QList<BackupEntry> taken = goodBackups();
    ASSERT_EQ(taken.size(), 2);
    EXPECT_EQ(taken.last().rows, (QList<qint64>{4, 2}));
    // The window shows the restored records, the grid over the old ones is gone.
    EXPECT_TRUE(grid.isNull() || !grid->isVisible());
    RecordSet *rs = windowPane(*window, 0)->rs();
    ASSERT_NE(rs, nullptr);
    rs->moveLast();
    EXPECT_EQ(rs->value(rs->fieldIndex(QStringLiteral("Name"))).toString(),
              QStringLiteral("Employee 2"));
    EXPECT_TRUE(
        windowStatusBar(*window)->panelText(1).startsWith(QStringLiteral("Restored the backup")));
    // The restored file is still what the program keeps its records in.
    Raw(db.path()).exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('After restore')"));
    EXPECT_EQ(Raw(db.path(), true).rows(QStringLiteral("PRAGMA journal_mode")),
              QStringList{QStringLiteral("3:wal")});
}

struct DamagedCase {
    const char *name;
    Dialogs::Answer answer;
};

class DamagedAtStart : public SafekeepingWindow, public ::testing::WithParamInterface<DamagedCase>
{
};

TEST_P(DamagedAtStart, IsOfferedTheNewestGoodBackupAndKeptAside)
{
    db.fill(2, 1);
    ASSERT_EQ(BackupKeeper(db.path(), CaseShapes::caseShape()).run().outcome, Outcome::Made);
    QByteArray damaged = bytesOf(db.path());
    damaged.replace(0, 16, QByteArray("no database here"));
    ASSERT_TRUE(writeFile(db.path(), damaged));

    dialogs.queueAnswer(GetParam().answer);
    start();

    ASSERT_GE(dialogs.messages().size(), 1);
    const QString offer = dialogs.messages().at(0).prompt;
    EXPECT_TRUE(offer.contains(QStringLiteral("is damaged and cannot be opened")))
        << offer.toStdString();
    EXPECT_TRUE(offer.contains(QStringLiteral("holds 2 employees and 1 complaints")))
        << offer.toStdString();
    const QStringList kept =
        QDir(db.folder()).entryList({QStringLiteral("Quillmark damaged *.db")}, QDir::Files);
    if (GetParam().answer == Dialogs::Answer::Yes) {
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(offer.contains(kept.first())) << offer.toStdString();
        EXPECT_EQ(bytesOf(db.file(kept.first())), damaged);
        EXPECT_EQ(dialogs.messages().size(), 1) << lastMessage().toStdString();
        EXPECT_EQ(employees(), 2);
        ASSERT_NE(windowPane(*window, 0)->rs(), nullptr);
        EXPECT_EQ(windowField(*window, CaseFields::Name)->text(), QStringLiteral("Employee 0"));
        EXPECT_TRUE(windowStatusBar(*window)->panelText(1).contains(kept.first()));
        EXPECT_EQ(modeOf(db.path()), 0600u);
    } else {
        EXPECT_TRUE(kept.isEmpty());
        EXPECT_EQ(bytesOf(db.path()), damaged);
        EXPECT_EQ(windowPane(*window, 0)->rs(), nullptr);
        // Restored later from the menu, the damaged file kept aside all the same.
        dialogs.queueDialog([](QDialog &d) {
            dynamic_cast<RestoreDialog &>(d).restoreButton()->click();
            return d.result();
        });
        windowAction(*window, "mnuFileRestore")->trigger();
        EXPECT_EQ(employees(), 2);
        const QStringList later =
            QDir(db.folder()).entryList({QStringLiteral("Quillmark damaged *.db")}, QDir::Files);
        ASSERT_EQ(later.size(), 1);
        EXPECT_EQ(bytesOf(db.file(later.first())), damaged);
        EXPECT_EQ(windowField(*window, CaseFields::Name)->text(), QStringLiteral("Employee 0"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, DamagedAtStart,
                         ::testing::Values(DamagedCase{"Accepted", Dialogs::Answer::Yes},
                                           DamagedCase{"Declined", Dialogs::Answer::No}),
                         [](const auto &info) { return std::string(info.param.name); });

// A grid window's Export, on either back end, writes what the grid shows
// with its filter and its sort, random rows checked against the grid
// itself: the same rows in the same order (letter case folded as the grid
// folds it, empty addresses where the grid puts them, ties in the order of
// the key), every value as stored (NULL and empty text told apart, quotes,
// line breaks, tabs, backslashes, accents and characters beyond the first
// plane kept).
TEST(GridExport, WritesWhatTheGridShowsWithItsFilterAndSort)
{
    QStandardPaths::setTestModeEnabled(true);
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    std::mt19937 random(randomness);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    const QVariant names[] = {QStringLiteral("Employee 1"),
                              QStringLiteral("employee 12"),
                              QStringLiteral("EMPLOYEE 1b"),
                              QStringLiteral("Employee 1 O'Brien, \"Jr\"\r\nsecond line"),
                              QStringLiteral("Employee 1\u00e9\U0001D11E"),
                              QStringLiteral("employee 1\ttab, back\\slash \\N"),
                              QStringLiteral("Employee 2"),
                              QStringLiteral("Other"),
                              QString(""),
                              QVariant()};
    const QVariant addresses[] = {QStringLiteral("b street"),
                                  QStringLiteral("B Street"),
                                  QStringLiteral("a, \"lane\""),
                                  QStringLiteral("\u00c9cole"),
                                  QString(""),
                                  QVariant()};
    int shown = 0;
    for (int i = 40 + pick(40); i > 0; --i) {
        const QVariant name = names[pick(std::size(names))];
        if (name.toString().startsWith(QLatin1String("employee 1"), Qt::CaseInsensitive))
            ++shown;
        db.insert(QStringLiteral("Employee"),
                  {{"Name", name},
                   {"Address", addresses[pick(std::size(addresses))]},
                   {"File Number", pick(3) == 0 ? QVariant() : QVariant(QString::number(i))}});
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    frmMain window;
    window.Form_Load(db.path());
    window.show();
    recordCommand(window, "cmdGrid", 0)->click();
    auto *grid = qobject_cast<frmDataGrid *>(Forms::loaded().last());
    ASSERT_NE(grid, nullptr);
    dialogs.queueInput(QStringLiteral("[Name] Like 'Employee 1*'"));
    grid->cmdFilter->click();
    dialogs.queueInput(QStringLiteral("[Address] DESC"));
    grid->cmdSort->click();
    const QString csv = dir.filePath(QStringLiteral("shown.csv"));
    dialogs.queueSaveFileName(csv);
    grid->cmdExport->click();
    ASSERT_FALSE(dialogs.messages().isEmpty());
    EXPECT_EQ(dialogs.messages().last().prompt,
              QStringLiteral("%1 rows of Employee were written to \"%2\".").arg(shown).arg(csv));

    QList<CsvRow> rows;
    CsvReader reader([&rows](const CsvRow &row) {
        rows << row;
        return true;
    });
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(reader.read(file));
    const std::shared_ptr<RecordSet> records = grid->recordset();
    ASSERT_NE(records, nullptr);
    records->fetchAll();
    ASSERT_EQ(records->loadedCount(), shown);
    ASSERT_EQ(rows.size(), shown + 1);
    CsvRow header;
    for (const QString &field : records->fieldNames())
        header << CsvField{field.toUtf8(), false};
    EXPECT_EQ(rows.first(), header);
    for (int r = 0; r < shown; ++r) {
        CsvRow expected;
        for (const QVariant &value : records->rowValues(r))
            expected << CsvField{value.isNull() ? QByteArray() : value.toString().toUtf8(),
                                 value.isNull()};
        EXPECT_EQ(rows.at(r + 1), expected) << "row " << r;
    }
}

// Back Up Now and Restore from Backup on either back end (and a server
// backed up as it opens), as a round trip with random rows: the records
// backed up, changed every way a steward changes them (updates, deletions,
// new rows), then restored, read back exactly as backed up; the records
// replaced are kept in a backup first; and no grievance number handed out
// before the restore is handed out again after it.
TEST(RestoreThroughTheMenu, PutsBackEveryRowBackedUpAndNeverMovesTheNumberingBack)
{
    QStandardPaths::setTestModeEnabled(true);
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    const unsigned randomness = runRandomness();
    SCOPED_TRACE(replayWith(randomness));
    std::mt19937 random(randomness);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    const auto value = [&](int longest) -> QVariant {
        const QString odd[] = {QString(), QStringLiteral("O'Brien, \"Jr\"\r\nsecond line"),
                               QStringLiteral("é\U0001D11E|x"), QStringLiteral("  "),
                               QStringLiteral("0042")};
        const int which = pick(7);
        if (which == 5)
            return QVariant();
        const QString text = which == 6 ? QString::number(random()) : odd[which];
        return text.left(longest);
    };
    const auto addEmployee = [&] {
        db.insert(QStringLiteral("Employee"),
                  {{"Name", value(50)}, {"File Number", value(10)}, {"Address", value(100)}});
    };
    const auto addComplaint = [&] {
        return db.insert(QStringLiteral("Complaints"), {{"File Number", value(10)},
                                                        {"Remedy Sought", value(100)},
                                                        {"Case Facts1", value(255)}});
    };
    // Every row of both tables, sorted, without Employee's hidden key on a
    // server (each database numbers those itself).
    const auto everyRow = [&db] {
        QStringList rows;
        for (const QString &table : {QStringLiteral("Employee"), QStringLiteral("Complaints")}) {
            QSqlQuery q = db.query(QStringLiteral("SELECT * FROM %1").arg(table));
            while (q.next()) {
                QStringList values{table};
                for (int c = 0; c < q.record().count(); ++c)
                    if (q.record().fieldName(c) != QLatin1String(PostgresBackend::HiddenKey))
                        values << (q.value(c).isNull() ? QStringLiteral("NULL")
                                                       : u'[' + q.value(c).toString() + u']');
                rows << values.join(QChar(0x1f));
            }
        }
        rows.sort();
        return rows;
    };
    for (int i = 20 + pick(20); i > 0; --i)
        addEmployee();
    for (int i = 10 + pick(20); i > 0; --i)
        addComplaint();

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    // A server is backed up only once the steward turns the switch on (the
    // first copy at once, then as it opens); a file always is.
    EXPECT_FALSE(CaseSession::automaticServerBackups());
    const auto off = qScopeGuard([] { CaseSession::setAutomaticServerBackups(false); });
    frmMain window;
    window.Form_Load(db.path());
    window.show();
    QAction *automatic = windowAction(window, "mnuFileServerBackups");
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_EQ(automatic->isEnabled(), db.onServer());
    if (db.onServer()) {
        EXPECT_FALSE(window.session().backups()->lastResult().outcome == Outcome::Made);
        automatic->trigger();
        EXPECT_TRUE(CaseSession::automaticServerBackups());
    }
    window.session().backups()->finishBackground();
    EXPECT_EQ(window.session().backups()->lastResult().outcome, Outcome::Made)
        << window.session().backups()->lastResult().message.toStdString();
    const QString server = window.session().database()->backend().displayName();
    const BackupFolder folder =
        db.onServer() ? BackupFolder::forServer(server) : BackupFolder(db.path());
    const QStringList backedUp = everyRow();
    const qint64 employeesThen = db.count(QStringLiteral("Employee"));
    const qint64 complaintsThen = db.count(QStringLiteral("Complaints"));
    if (!db.onServer())
        dialogs.queueSaveFileName(dir.filePath(QStringLiteral("copy.db")));
    windowAction(window, "mnuFileBackUpNow")->trigger();
    ASSERT_EQ(dialogs.messages().size(), 1);
    static const QRegularExpression saved(
        QStringLiteral("^The case records were saved to \"(.+)\": (\\d+) employees and (\\d+) "
                       "complaints\\.$"));
    const QRegularExpressionMatch told = saved.match(dialogs.messages().at(0).prompt);
    ASSERT_TRUE(told.hasMatch()) << dialogs.messages().at(0).prompt.toStdString();
    const QString backup = told.captured(1);
    EXPECT_EQ(told.captured(2).toLongLong(), employeesThen);
    EXPECT_EQ(told.captured(3).toLongLong(), complaintsThen);
    if (db.onServer()) {
        EXPECT_EQ(QFileInfo(backup).path(), folder.path());
        EXPECT_TRUE(folder.parse(QFileInfo(backup).fileName(), nullptr, nullptr))
            << backup.toStdString();
    }

    // The stewards go on working.
    QList<qint64> keys;
    {
        QSqlQuery all = db.query(QStringLiteral("SELECT rowid FROM Employee"));
        while (all.next())
            keys << all.value(0).toLongLong();
    }
    for (const qint64 key : std::as_const(keys)) {
        const int what = pick(4);
        if (what == 0)
            db.query(QStringLiteral("DELETE FROM Employee WHERE rowid = ?"), {key});
        else if (what == 1)
            db.query(QStringLiteral("UPDATE Employee SET \"Name\" = ? WHERE rowid = ?"),
                     {value(50), key});
    }
    db.query(QStringLiteral("UPDATE Complaints SET \"Remedy Sought\" = 'changed'"));
    qint64 highest = 0;
    for (int i = 1 + pick(5); i > 0; --i) {
        addEmployee();
        highest = addComplaint();
    }
    db.query(QStringLiteral("DELETE FROM Complaints WHERE \"Grievance Number\" = ?"), {highest});
    const qint64 employeesNow = db.count(QStringLiteral("Employee"));
    const qint64 complaintsNow = db.count(QStringLiteral("Complaints"));
    ASSERT_NE(everyRow(), backedUp);

    dialogs.queueDialog([&](QDialog &d) {
        auto &restore = dynamic_cast<RestoreDialog &>(d);
        if (!db.onServer()) {
            dialogs.queueOpenFileName(backup);
            restore.otherFileButton()->click();
            return restore.result();
        }
        // The server's own backups, newest first.
        EXPECT_EQ(restore.list()->topLevelItem(0)->toolTip(0), QFileInfo(backup).fileName());
        EXPECT_EQ(restore.list()->topLevelItem(0)->text(1), QString::number(employeesThen));
        restore.restoreButton()->click();
        return restore.result();
    });
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    windowAction(window, "mnuFileRestore")->trigger();

    ASSERT_EQ(dialogs.messages().size(), 2) << dialogs.messages().last().prompt.toStdString();
    const QString question = dialogs.messages().at(1).prompt;
    for (const qint64 n : {employeesNow, complaintsNow, employeesThen, complaintsThen})
        EXPECT_TRUE(question.contains(QStringLiteral("(%1 ").arg(n)) ||
                    question.contains(QStringLiteral("and %1 ").arg(n)))
            << n << ": " << question.toStdString();
    if (db.onServer()) {
        EXPECT_TRUE(question.contains(server)) << question.toStdString();
    }
    const QString status = windowStatusBar(window)->panelText(1);
    EXPECT_TRUE(status.startsWith(QStringLiteral("Restored the backup"))) << status.toStdString();
    EXPECT_EQ(everyRow(), backedUp);
    // The records replaced were kept first.
    const BackupEntry kept = folder.newestGood(CaseShapes::caseShape());
    EXPECT_EQ(kept.rows, (QList<qint64>{employeesNow, complaintsNow}));
    EXPECT_GT(addComplaint(), highest) << "a number handed out before the restore came again";
    window.close();
}

} // namespace
