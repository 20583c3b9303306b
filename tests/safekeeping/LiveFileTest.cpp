// What the safekeeping code does to the open database file must never cost
// the program its locks on it: SQLite's locks are held per process, and a
// descriptor of the file closed anywhere in the process lets them all go.
// Another program that then opens and closes the file thinks it is the last
// one, folds the log into the file and deletes it under the saving program.
#include "faults/ChildProgram.h"
#include "faults/SavingChild.h"
#include "faults/StoredRecords.h"
#include "safekeeping/BackupKeeper.h"
#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/SafekeepingFixture.h"

namespace
{

// The child: on each line read, one save through the record panes, then an
// automatic backup and the restore's look at the open file.
TEST(LiveFileChild, DISABLED_SavesThenBacksUpOnEachLine)
{
    const QString path = Fault::childArgs().value(0);
    Fault::SavingChild child(path, 1, 7);
    child.open();
    for (std::string line; std::getline(std::cin, line);) {
        Fault::report(QStringLiteral("saved ") + child.saveOne(false));
        const KeeperResult kept = BackupKeeper(path, Safe::caseShape()).run();
        const CaseFileReport look = CaseFileCheck::check(path, Safe::caseShape());
        Fault::report(QStringLiteral("looked %1 %2").arg(kept.message, look.problem));
    }
}

TEST(LiveFile, EverySaveBetweenBackupsReachesOtherProgramsAndSurvivesAKill)
{
    TempCaseDb db(CaseBackend::Sqlite);
    db.open();
    Fault::ChildProgram child(QStringLiteral("LiveFileChild.DISABLED_SavesThenBacksUpOnEachLine"),
                              {db.path()});
    ASSERT_TRUE(child.start());
    Fault::StoredRecords stored;
    for (int saves = 1; saves <= 8; ++saves) {
        child.send("save");
        const QString saved = child.nextReport();
        ASSERT_TRUE(saved.startsWith(QLatin1String("saved "))) << child.errors().toStdString();
        stored.saved(saved.mid(6));
        EXPECT_EQ(child.nextReport(), QStringLiteral("looked"));
        // As the sqlite3 shell or a report tool would: open, read, close.
        Safe::Raw outside(db.path());
        ASSERT_EQ(outside.count("Employee") + outside.count("Complaints"), saves)
            << "save " << saves << " is not in the file";
    }
    child.kill();
    const Fault::StoredRecords::Verdict v = stored.check(db);
    EXPECT_EQ(v.integrity, QStringLiteral("ok"));
    EXPECT_EQ(v.lost, 0) << v.details.join(QLatin1Char('\n')).toStdString();
}

} // namespace
