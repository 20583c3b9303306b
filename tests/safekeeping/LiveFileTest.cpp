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

#include <iostream>

namespace
{

using Fault::ChildProgram;

// The child: on each line read, one save through the record panes, then an
// automatic backup and the restore's look at the open file, as the window
// runs them between two saves.
TEST(LiveFileChild, DISABLED_SavesThenBacksUpOnEachLine)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 1);
    const QString path = args.at(0);
    Fault::SavingChild child(path, 1, 7);
    try {
        child.open();
        Fault::report(QStringLiteral("ready"));
        std::string line;
        while (std::getline(std::cin, line)) {
            Fault::report(QStringLiteral("saved ") + child.saveOne(false));
            const KeeperResult kept = BackupKeeper(path, Safe::caseShape()).run();
            const CaseFileReport look =
                CaseFileCheck::check(path, Safe::caseShape(), CaseFileCheck::Depth::Counts);
            Fault::report(QStringLiteral("looked %1 %2 %3")
                              .arg(int(kept.outcome))
                              .arg(look.good)
                              .arg(kept.message + look.problem));
        }
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error ") + e.description());
        FAIL() << e.what();
    }
}

qint64 rowsSeenFromOutside(const QString &path)
{
    // As the sqlite3 shell or a report tool would: open, read, close.
    Safe::Raw outside(path);
    return outside.count("Employee") + outside.count("Complaints");
}

TEST(LiveFile, EverySaveBetweenBackupsReachesOtherProgramsAndSurvivesAKill)
{
    TempCaseDb db(CaseBackend::Sqlite);
    const QString path = db.path();
    db.open();
    ChildProgram child(QStringLiteral("LiveFileChild.DISABLED_SavesThenBacksUpOnEachLine"), {path});
    ASSERT_TRUE(child.start());
    ASSERT_EQ(child.nextReport(), QStringLiteral("ready")) << child.errors().toStdString();
    Fault::StoredRecords stored;
    constexpr int Saves = 8;
    for (int i = 1; i <= Saves; ++i) {
        child.send("save");
        const QString saved = child.nextReport();
        ASSERT_TRUE(saved.startsWith(QLatin1String("saved "))) << saved.toStdString();
        stored.saved(saved.mid(6));
        const QString looked = child.nextReport();
        ASSERT_TRUE(looked.startsWith(QLatin1String("looked "))) << looked.toStdString();
        const QStringList parts = looked.split(QLatin1Char(' '));
        EXPECT_NE(parts.at(1).toInt(), int(KeeperResult::Outcome::Failed)) << looked.toStdString();
        EXPECT_EQ(parts.at(2), QStringLiteral("1")) << looked.toStdString();
        ASSERT_EQ(rowsSeenFromOutside(path), i) << "save " << i << " is not in the file";
    }
    child.kill();
    const Fault::StoredRecords::Verdict v = stored.check(db);
    EXPECT_EQ(v.integrity, QStringLiteral("ok"));
    EXPECT_EQ(v.rows, Saves);
    EXPECT_EQ(v.lost, 0) << v.details.join(QLatin1Char('\n')).toStdString();
}

} // namespace
