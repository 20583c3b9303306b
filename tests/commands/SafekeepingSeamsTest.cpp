// Where backups, restore, import and the open database meet: rotation,
// damage found by a backup, a file that did not open, known file numbers.
#include "caseform/RecordBinder.h"
#include "commands/CommandFixture.h"
#include "commands/RestoreDialog.h"
#include "commands/SafekeepingCommands.h"
#include "safekeeping/SafekeepingFixture.h"
#include "session/BackupController.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>

namespace
{

using namespace Safe;
using Answer = Dialogs::Answer;

class SafekeepingSeams : public ::testing::Test
{
  protected:
    void start() { s.open(db.path()); }
    // The backup taken as the file opened, waited for, and what it set off.
    KeeperResult openBackup()
    {
        BackupController &b = *s.session.backups();
        b.finishBackground();
        QCoreApplication::processEvents();
        return b.lastResult();
    }
    void restore(const QString &chosen = {})
    {
        dialogs.queueDialog([chosen](QDialog &d) {
            auto &r = dynamic_cast<RestoreDialog &>(d);
            for (int i = 0; i < r.list()->topLevelItemCount(); ++i) {
                if (r.list()->topLevelItem(i)->toolTip(0) == QFileInfo(chosen).fileName())
                    r.list()->setCurrentItem(r.list()->topLevelItem(i));
            }
            r.restoreButton()->click();
            return r.result();
        });
        commands.restore();
    }
    QString status() const { return s.status(); }
    QStringList kept(const char *word) const
    {
        return QDir(db.folder()).entryList({QStringLiteral("Quillmark %1 *.db").arg(word)});
    }
    QString prompt(int i) const { return dialogs.messages().value(i).prompt; }
    qint64 employees() const { return Raw(db.path(), true).count("Employee"); }
    QStringList backups() const { return namesIn(db.file(QStringLiteral("Backups"))); }

    CaseFile db;
    ScriptedDialogs dialogs;
    CommandSession s;
    SafekeepingCommands commands{s.session, &s.window};
};

TEST_F(SafekeepingSeams, BackupChosenForRestoreIsNotRotatedAwayByTheBackupBeforeIt)
{
    db.fill(3, 2);
    start();
    ASSERT_EQ(openBackup().outcome, KeeperResult::Outcome::Made);
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

    dialogs.queueAnswer(Answer::Yes);
    restore(chosen);

    EXPECT_TRUE(status().startsWith(QStringLiteral("Restored the backup")))
        << prompt(1).toStdString();
    EXPECT_TRUE(QFileInfo::exists(chosen));
}

class DamagedWhileOpen : public SafekeepingSeams, public ::testing::WithParamInterface<Answer>
{
};

TEST_P(DamagedWhileOpen, IsSaidPlainlyAndOfferedTheNewestGoodBackup)
{
    db.fill(3, 2);
    ASSERT_EQ(BackupKeeper(db.path(), caseShape()).run().outcome, KeeperResult::Outcome::Made);
    const QStringList before = backups();
    db.fill(2, 0, 100);
    {
        // An index that no longer matches its table: the file opens and
        // reads, and only SQLite's integrity check finds it damaged.
        Raw damage(db.path());
        damage.exec(QStringLiteral("PRAGMA writable_schema=ON"));
        damage.exec(
            QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE INDEX \"Employee File "
                           "Number\" ON Employee (Name)' WHERE name = 'Employee File Number'"));
    }
    const QByteArray damaged = bytesOf(db.path());

    dialogs.queueAnswer(GetParam());
    start();
    EXPECT_TRUE(openBackup().sourceDamaged);

    EXPECT_EQ(backups(), before) << "a copy that failed its check was kept";
    const QString offer = QStringLiteral("The case database \"Quillmark.db\" is damaged (");
    EXPECT_TRUE(prompt(0).startsWith(offer)) << prompt(0).toStdString();
    EXPECT_TRUE(prompt(0).contains(QStringLiteral("holds 3 employees and 2 complaints")));
    const bool restored = GetParam() == Answer::Yes;
    ASSERT_EQ(kept("damaged").size(), restored ? 1 : 0);
    EXPECT_EQ(employees(), restored ? 3 : 5);
    EXPECT_TRUE(restored ? bytesOf(db.file(kept("damaged").first())) == damaged
                         : status().startsWith(offer))
        << status().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, DamagedWhileOpen, ::testing::Values(Answer::Yes, Answer::No));

struct Unopened {
    QByteArray header; // written over the start of the file; empty: another program's database
    Answer answer;     // to the question, when asked
};

class RestoreOverUnopened : public SafekeepingSeams, public ::testing::WithParamInterface<Unopened>
{
};

TEST_P(RestoreOverUnopened, KeepsAsideAsDamagedOnlyWhatSQLiteCallsDamaged)
{
    db.fill(2, 1);
    ASSERT_EQ(BackupKeeper(db.path(), caseShape()).run().outcome, KeeperResult::Outcome::Made);
    const bool damaged = !GetParam().header.isEmpty();
    QFile file(db.path());
    if (damaged) {
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.write(GetParam().header) &&
                    file.flush());
    } else {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(db.path() + suffix);
        Raw(db.path()).exec(QStringLiteral("CREATE TABLE Recipes (Name TEXT)"));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(db.path()).constData(), 0640), 0);
    const QByteArray before = bytesOf(db.path());
    dialogs.queueAnswer(Answer::No); // the offer at start, or the question
    start();
    ASSERT_EQ(s.pane(0)->rs(), nullptr);
    dialogs.clear();

    dialogs.queueAnswer(GetParam().answer);
    restore();

    const char *word = damaged ? "damaged" : "replaced";
    EXPECT_EQ(dialogs.messages().size(), damaged ? 0 : 1);
    EXPECT_EQ(prompt(0).contains(QStringLiteral("but it is not damaged")), !damaged);
    if (GetParam().answer == Answer::No) {
        EXPECT_TRUE(kept(word).isEmpty());
        EXPECT_EQ(bytesOf(db.path()), before);
        return;
    }
    ASSERT_EQ(kept(word).size(), 1);
    EXPECT_EQ(bytesOf(db.file(kept(word).first())), before);
    EXPECT_EQ(modeOf(db.path()), 0640u) << "the file put in place keeps the rights it had";
    EXPECT_EQ(employees(), 2);
    EXPECT_TRUE(status().contains(kept(word).first())) << status().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, RestoreOverUnopened,
                         ::testing::Values(Unopened{"no database here", Answer::Yes},
                                           Unopened{{}, Answer::Yes}, Unopened{{}, Answer::No}));

struct Known {
    Answer answer;
    qint64 added;
    const char *told;
};

// On either back end: the records in a TempCaseDb; on a server the backup
// is the table written to the backups folder as a CSV file.
class ImportOfKnownEmployees : public ::testing::TestWithParam<Known>
{
  protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    QString prompt(int i) const { return dialogs.messages().value(i).prompt; }
    // The server's tables kept before an import, newest last.
    static QStringList keptTables()
    {
        return QDir(BackupFolder(CaseDatabase::defaultFile()).path())
            .entryList({QStringLiteral("* before import * Employee*.csv")}, QDir::Files,
                       QDir::Time | QDir::Reversed);
    }

    TempCaseDb db;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    CommandSession s;
    SafekeepingCommands commands{s.session, &s.window};
};

TEST_P(ImportOfKnownEmployees, AreCountedBeforeAnythingIsWrittenAndBackedUpFirst)
{
    SKIP_WITHOUT_BACKEND(db);
    db.open();
    for (int i = 0; i < 4; ++i) // file numbers 000000 to 000003
        db.insert(QStringLiteral("Employee"),
                  {{"Name", QStringLiteral("Employee %1").arg(i)},
                   {"File Number", QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))}});
    s.open(db.path());
    if (!db.onServer()) {
        BackupController &b = *s.session.backups();
        b.finishBackground();
        QCoreApplication::processEvents();
        ASSERT_EQ(b.lastResult().outcome, KeeperResult::Outcome::Made);
    }
    const QStringList keptBefore = keptTables();
    // The last employee there before the import is known too.
    db.insert(QStringLiteral("Employee"), {{"Name", "Typed since"}, {"File Number", "T9"}});
    QFile csv(dir.filePath(QStringLiteral("import.csv")));
    // Two known numbers; a new one that the file repeats is no known one.
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly) &&
                csv.write("Name,File Number\r\nA,000001\r\nB,T9\r\nC,7\r\nD,8\r\nE,8\r\n"));
    csv.close();

    dialogs.queueOpenFileName(csv.fileName());
    dialogs.queueDialog([](QDialog &d) {
        d.accept();
        return d.result();
    });
    dialogs.queueAnswer(GetParam().answer);
    commands.importRecords();

    EXPECT_TRUE(prompt(0).startsWith(
        QStringLiteral("2 of the 5 rows have the file number of an employee already")))
        << prompt(0).toStdString();
    // On a server the message goes on to name the file the table was kept in.
    const QString told = QString::fromUtf8(GetParam().told);
    EXPECT_EQ(prompt(1).left(told.size()), told);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 5 + GetParam().added);
    // Backed up first: the newest backup holds the records as they were.
    if (!db.onServer()) {
        EXPECT_EQ(
            BackupFolder(QFileInfo(db.path()).absoluteFilePath()).newestGood(caseShape()).rows,
            (QList<qint64>{GetParam().added > 0 ? 5 : 4, 0}));
        return;
    }
    const QStringList kept = keptTables();
    ASSERT_EQ(kept.size(), keptBefore.size() + (GetParam().added > 0 ? 1 : 0));
    if (GetParam().added == 0)
        return;
    EXPECT_TRUE(prompt(1).contains(kept.last())) << prompt(1).toStdString();
    QFile table(QDir(BackupFolder(CaseDatabase::defaultFile()).path()).filePath(kept.last()));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QByteArray text = table.readAll();
    EXPECT_EQ(text.count("\r\n"), 1 + 5) << "the header and the five employees there";
    EXPECT_TRUE(text.contains("Typed since,"));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ImportOfKnownEmployees,
    ::testing::Values(Known{Answer::Yes, 5, "5 rows were added to Employee."},
                      Known{Answer::No, 3,
                            "3 rows were added to Employee; 2 rows with the file number of an "
                            "employee already there were left out."},
                      Known{Answer::Cancel, 0, ""}));

} // namespace
