// Where backups, restore and the open database meet: the backup chosen
// for a restore is never rotated away by the restore's own backup, a
// damaged open database is said to be damaged (and offered its backup),
// and a database that did not open is kept aside as damaged only when it is.
#include "app/BackupController.h"
#include "app/CaseShapes.h"
#include "app/RestoreDialog.h"
#include "app/SafekeepingCommands.h"
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "caseform/RecordBinder.h"
#include "safekeeping/SafekeepingFixture.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowControls.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTreeWidget>

namespace
{

using namespace Safe;
using Outcome = KeeperResult::Outcome;

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An index that no longer matches its table: the file opens and reads, and
// only SQLite's integrity check finds it damaged.
void damageIndex(const QString &path)
{
    Raw db(path);
    db.exec(QStringLiteral("PRAGMA writable_schema=ON"));
    db.exec(QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE INDEX \"Employee File Number\" "
                           "ON Employee (Name)' WHERE name = 'Employee File Number'"));
}

class SafekeepingSeams : public ::testing::Test
{
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
    }
    void start()
    {
        window = std::make_unique<frmMain>();
        window->Form_Load(db.path());
        window->show();
    }
    // The backup taken as the file opened, waited for, and what it set off.
    KeeperResult openBackup()
    {
        BackupController &b = window->safekeeping()->backups();
        b.finishBackground(nullptr);
        QCoreApplication::processEvents();
        return b.lastResult();
    }
    QString status() const { return window->sbStatusBar()->panelText(1); }
    QStringList kept(const char *word) const
    {
        return QDir(db.folder())
            .entryList({QStringLiteral("Quillmark %1 *.db").arg(word)}, QDir::Files);
    }
    QString prompts() const
    {
        QStringList all;
        for (const auto &m : dialogs.messages())
            all << m.prompt;
        return all.join(QLatin1Char('\n'));
    }

    CaseFile db;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window;
};

TEST_F(SafekeepingSeams, BackupChosenForRestoreIsNotRotatedAwayByTheBackupBeforeIt)
{
    db.fill(3, 2);
    start();
    ASSERT_EQ(openBackup().outcome, Outcome::Made);
    const BackupFolder folder(db.path());
    const QString first = folder.list(caseShape(), BackupFolder::Detail::Header).first().path;
    // Eleven of the last hour, and two of one day five days ago: the
    // earlier of those two is what the next rotation deletes.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int minutes = 2; minutes <= 12; ++minutes)
        ASSERT_TRUE(QFile::copy(first, folder.newPath(now.addSecs(-60 * minutes))));
    const QDateTime fiveDaysAgo(now.date().addDays(-5), QTime(10, 0), QTimeZone::utc());
    const QString chosen = folder.newPath(fiveDaysAgo);
    ASSERT_TRUE(QFile::copy(first, chosen));
    ASSERT_TRUE(QFile::copy(first, folder.newPath(fiveDaysAgo.addSecs(3600))));
    Raw(db.path()).exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('Added later')"));

    dialogs.queueDialog([&](QDialog &d) {
        auto &restore = dynamic_cast<RestoreDialog &>(d);
        for (int i = 0; i < restore.list()->topLevelItemCount(); ++i) {
            if (restore.list()->topLevelItem(i)->toolTip(0) == QFileInfo(chosen).fileName())
                restore.list()->setCurrentItem(restore.list()->topLevelItem(i));
        }
        restore.restoreButton()->click();
        return restore.result();
    });
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    windowAction(*window, "mnuFileRestore")->trigger();

    EXPECT_TRUE(status().startsWith(QStringLiteral("Restored the backup")))
        << prompts().toStdString();
    EXPECT_TRUE(QFileInfo::exists(chosen));
    EXPECT_EQ(Raw(db.path(), true).count("Employee"), 3);
}

struct WhileOpen {
    const char *name;
    Dialogs::Answer answer;
};

class DamagedWhileOpen : public SafekeepingSeams, public ::testing::WithParamInterface<WhileOpen>
{
};

TEST_P(DamagedWhileOpen, IsSaidPlainlyAndOfferedTheNewestGoodBackup)
{
    db.fill(3, 2);
    ASSERT_EQ(BackupKeeper(db.path(), caseShape()).run().outcome, Outcome::Made);
    const QStringList backups = namesIn(db.file(QStringLiteral("Backups")));
    db.fill(2, 0, 100);
    damageIndex(db.path());
    const QByteArray damaged = bytesOf(db.path());

    dialogs.queueAnswer(GetParam().answer);
    start();
    const KeeperResult r = openBackup();

    EXPECT_TRUE(r.sourceDamaged) << r.message.toStdString();
    EXPECT_EQ(namesIn(db.file(QStringLiteral("Backups"))), backups)
        << "a copy that failed its check was kept";
    ASSERT_EQ(dialogs.messages().size(), 1) << prompts().toStdString();
    const QString offer = dialogs.messages().at(0).prompt;
    EXPECT_TRUE(offer.startsWith(QStringLiteral("The case database \"Quillmark.db\" is damaged (")))
        << offer.toStdString();
    EXPECT_TRUE(offer.contains(QStringLiteral("holds 3 employees and 2 complaints")));
    if (GetParam().answer == Dialogs::Answer::Yes) {
        ASSERT_EQ(kept("damaged").size(), 1);
        EXPECT_EQ(bytesOf(db.file(kept("damaged").first())), damaged);
        EXPECT_EQ(Raw(db.path(), true).count("Employee"), 3);
        EXPECT_TRUE(status().contains(kept("damaged").first())) << status().toStdString();
        ASSERT_NE(window->form().Data1[0]->rs(), nullptr);
    } else {
        EXPECT_TRUE(kept("damaged").isEmpty());
        EXPECT_EQ(Raw(db.path(), true).count("Employee"), 5);
        EXPECT_TRUE(status().startsWith(QStringLiteral("The case database \"Quillmark.db\" is "
                                                       "damaged")))
            << status().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, DamagedWhileOpen,
                         ::testing::Values(WhileOpen{"Accepted", Dialogs::Answer::Yes},
                                           WhileOpen{"Declined", Dialogs::Answer::No}),
                         [](const auto &info) { return std::string(info.param.name); });

struct Unopened {
    const char *name;
    std::function<void(const QString &path)> make;
    bool damaged;           // SQLite calls it damaged: kept aside without a question
    Dialogs::Answer answer; // to the question, when asked
};

class RestoreOverUnopened : public SafekeepingSeams, public ::testing::WithParamInterface<Unopened>
{
};

TEST_P(RestoreOverUnopened, KeepsAsideAsDamagedOnlyWhatSQLiteCallsDamaged)
{
    db.fill(2, 1);
    ASSERT_EQ(BackupKeeper(db.path(), caseShape()).run().outcome, Outcome::Made);
    GetParam().make(db.path());
    ASSERT_EQ(::chmod(QFile::encodeName(db.path()).constData(), 0640), 0);
    const QByteArray before = bytesOf(db.path());
    if (GetParam().damaged)
        dialogs.queueAnswer(Dialogs::Answer::No); // the offer at start
    start();
    ASSERT_EQ(window->form().Data1[0]->rs(), nullptr);
    dialogs.clear();

    dialogs.queueDialog([](QDialog &d) {
        dynamic_cast<RestoreDialog &>(d).restoreButton()->click();
        return d.result();
    });
    dialogs.queueAnswer(GetParam().answer);
    windowAction(*window, "mnuFileRestore")->trigger();

    const char *word = GetParam().damaged ? "damaged" : "replaced";
    if (GetParam().damaged) {
        EXPECT_TRUE(dialogs.messages().isEmpty()) << prompts().toStdString();
    } else {
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_TRUE(
            dialogs.messages().at(0).prompt.contains(QStringLiteral("but it is not damaged")))
            << prompts().toStdString();
    }
    if (GetParam().answer == Dialogs::Answer::No) {
        EXPECT_TRUE(kept(word).isEmpty());
        EXPECT_EQ(bytesOf(db.path()), before);
        return;
    }
    ASSERT_EQ(kept(word).size(), 1) << prompts().toStdString();
    EXPECT_EQ(bytesOf(db.file(kept(word).first())), before);
    EXPECT_EQ(modeOf(db.file(kept(word).first())), 0640u);
    EXPECT_EQ(modeOf(db.path()), 0640u) << "the file put in place keeps the rights it had";
    EXPECT_EQ(Raw(db.path(), true).count("Employee"), 2);
    EXPECT_TRUE(status().contains(kept(word).first())) << status().toStdString();
    EXPECT_NE(window->form().Data1[0]->rs(), nullptr);
}

void replaceWithForeign(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
    Raw(path).exec(QStringLiteral("CREATE TABLE Recipes (Name TEXT)"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RestoreOverUnopened,
    ::testing::Values(Unopened{"DamagedHeader",
                               [](const QString &path) {
                                   QFile f(path);
                                   ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                                   f.write("no database here");
                               },
                               true, Dialogs::Answer::Yes},
                      Unopened{"ForeignAccepted", replaceWithForeign, false, Dialogs::Answer::Yes},
                      Unopened{"ForeignDeclined", replaceWithForeign, false, Dialogs::Answer::No}),
    [](const auto &info) { return std::string(info.param.name); });

// Before an import writes anything the steward hears how many rows repeat
// the file number of an employee already there (a re-imported export), and
// decides; the records are backed up first, so Restore undoes the import.
struct Known {
    const char *name;
    Dialogs::Answer answer;
    qint64 added;
    const char *told;
};

class ImportOfKnownEmployees : public SafekeepingSeams, public ::testing::WithParamInterface<Known>
{
};

TEST_P(ImportOfKnownEmployees, IsToldBeforeAnythingIsWrittenAndBackedUpFirst)
{
    db.fill(4, 0); // file numbers 000000 to 000003
    start();
    ASSERT_EQ(openBackup().outcome, Outcome::Made);
    Raw(db.path()).exec(QStringLiteral("INSERT INTO Employee (Name) VALUES ('Typed since')"));
    const QString csv = db.file(QStringLiteral("import.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // Two known numbers; a new one that the file repeats is no known one.
    f.write("Name,File Number\r\nA,000001\r\nB,000002\r\nC,777\r\nD,888\r\nE,888\r\n");
    f.close();
    const QStringList backups = namesIn(db.file(QStringLiteral("Backups")));

    dialogs.queueOpenFileName(csv);
    dialogs.queueDialog([](QDialog &d) {
        d.accept();
        return d.result();
    });
    dialogs.queueAnswer(GetParam().answer);
    windowAction(*window, "mnuFileImport")->trigger();

    ASSERT_GE(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().at(0).prompt.startsWith(
        QStringLiteral("2 of the 5 rows have the file number of an employee already")))
        << prompts().toStdString();
    EXPECT_EQ(Raw(db.path(), true).count("Employee"), 5 + GetParam().added);
    const QList<BackupEntry> taken =
        BackupFolder(db.path()).list(caseShape(), BackupFolder::Detail::Counts);
    if (GetParam().added == 0) {
        EXPECT_EQ(dialogs.messages().size(), 1) << prompts().toStdString();
        EXPECT_EQ(namesIn(db.file(QStringLiteral("Backups"))), backups);
        return;
    }
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(dialogs.messages().at(1).prompt, QString::fromUtf8(GetParam().told));
    ASSERT_FALSE(taken.isEmpty());
    EXPECT_EQ(taken.last().rows, (QList<qint64>{5, 0})) << "the records before the import";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ImportOfKnownEmployees,
    ::testing::Values(Known{"AddAll", Dialogs::Answer::Yes, 5, "5 rows were added to Employee."},
                      Known{"LeaveThemOut", Dialogs::Answer::No, 3,
                            "3 rows were added to Employee; 2 rows with the file number of an "
                            "employee already there were left out."},
                      Known{"Cancel", Dialogs::Answer::Cancel, 0, ""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
