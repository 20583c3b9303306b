// A program killed at any moment loses no save it reported, and leaves no
// half-written record and no damaged file behind. On the server the kill
// drops the connection mid-transaction, and what the server rolls back must
// leave nothing either.
#include "faults/ChildProgram.h"
#include "faults/SavingChild.h"
#include "faults/StoredRecords.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace
{

using Fault::ChildProgram;

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

unsigned randomness()
{
    bool ok = false;
    const unsigned fixed = unsigned(qEnvironmentVariableIntValue("QUILLMARK_FAULT_RANDOM", &ok));
    return ok ? fixed : std::random_device{}();
}

// The child: saves until it is killed.
TEST(FaultKillChild, DISABLED_SavesUntilKilled)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 3);
    Fault::SavingChild child(args.at(0), args.at(1).toInt(), args.at(2).toUInt());
    try {
        child.open();
        Fault::report(QStringLiteral("ready"));
        for (;;)
            Fault::report(QStringLiteral("saved ") + child.saveOne());
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error ") + e.description());
        FAIL() << e.what();
    }
}

// The child: creates the database and stops.
TEST(FaultKillChild, DISABLED_CreatesTheDatabase)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 1);
    CaseDatabase db(args.at(0));
    try {
        db.open();
        Fault::report(QStringLiteral("ready"));
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error ") + e.description());
        FAIL() << e.what();
    }
}

// Where a kill lands: at a random point of start-up, or a random number of
// saves in and then a short random delay into the next one. The delay only
// spreads the kills over the phases of a save; nothing waits on it.
struct KillPlan {
    int savesFirst;
    int delayMicroseconds;
};

TEST(FaultKill, ReportedSavesSurviveRandomKills)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    const int rounds = envNumber("QUILLMARK_KILL_ROUNDS", 200);
    const unsigned r0 = randomness();
    std::mt19937 random(r0);
    const QString path = db.path();
    Fault::StoredRecords stored;
    int killedBeforeReady = 0, endedAlone = 0;

    for (int round = 0; round < rounds; ++round) {
        const KillPlan plan = random() % 5 == 0
                                  ? KillPlan{0, int(random() % 20000)}
                                  : KillPlan{1 + int(random() % 6), int(random() % 4000)};
        ChildProgram child(QStringLiteral("FaultKillChild.DISABLED_SavesUntilKilled"),
                           {path, QString::number(round), QString::number(random())});
        ASSERT_TRUE(child.start());
        bool ready = false;
        int saves = 0;
        while (saves < plan.savesFirst) {
            const QString r = child.nextReport();
            if (r.isEmpty())
                break;
            if (r == QLatin1String("ready"))
                ready = true;
            else if (r.startsWith(QLatin1String("saved ")))
                stored.saved(r.mid(6)), ++saves;
            else
                ADD_FAILURE() << "round " << round << ": " << r.toStdString();
        }
        QThread::usleep(ulong(plan.delayMicroseconds));
        const bool stillRunning = child.running();
        child.kill();
        for (const QString &r : child.remainingReports()) {
            if (r == QLatin1String("ready"))
                ready = true;
            else if (r.startsWith(QLatin1String("saved ")))
                stored.saved(r.mid(6));
            else
                ADD_FAILURE() << "round " << round << " (random " << r0 << "): " << r.toStdString();
        }
        if (!stillRunning) {
            ++endedAlone;
            ADD_FAILURE() << "round " << round << ": the child ended by itself\n"
                          << child.errors().toStdString();
        }
        if (!ready)
            ++killedBeforeReady;
        if (HasFailure())
            break;
    }
    const Fault::StoredRecords::Verdict v = stored.check(db);
    std::cout << "kills " << rounds << ", during start-up " << killedBeforeReady
              << ", saves reported " << stored.reported() << " (" << stored.distinctRecords()
              << " records), rows " << v.rows << ", lost " << v.lost << ", half-written "
              << v.halfWritten << ", integrity " << v.integrity.toStdString() << ", random " << r0
              << std::endl;
    EXPECT_EQ(v.integrity, QStringLiteral("ok"));
    EXPECT_EQ(v.lost, 0) << v.details.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(v.halfWritten, 0) << v.details.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(endedAlone, 0);
    EXPECT_GT(stored.reported(), rounds / 2) << "the children must have saved";

    // The next program opens what the killed ones left and saves normally.
    Fault::SavingChild next(path, rounds, r0);
    try {
        next.open();
        stored.saved(next.saveOne(false));
    } catch (const DataError &e) {
        FAIL() << "after the kills (random " << r0 << "): " << e.what();
    }
    const Fault::StoredRecords::Verdict after = stored.check(db);
    EXPECT_EQ(after.lost, 0) << after.details.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(after.rows, v.rows + 1);
}

// A program killed while it creates a new database leaves either no file or
// an empty one, or a whole case database: never a file that the next start
// refuses as "not a case database". On the server the killed creator's
// transaction rolls back, and the next start makes or finds whole tables.
TEST(FaultKill, KilledWhileCreatingTheDatabaseTheNextStartStillOpens)
{
    // How long one creation takes here, so the kills spread over all of it.
    TempCaseDb measure;
    SKIP_WITHOUT_BACKEND(measure);
    const int rounds = envNumber("QUILLMARK_CREATE_KILL_ROUNDS", 40);
    const unsigned r0 = randomness();
    std::mt19937 random(r0);
    QElapsedTimer clock;
    clock.start();
    {
        ChildProgram child(QStringLiteral("FaultKillChild.DISABLED_CreatesTheDatabase"),
                           {measure.path()});
        ASSERT_TRUE(child.start());
        ASSERT_TRUE(child.finish()) << child.errors().toStdString();
    }
    const qint64 span = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);

    for (int round = 0; round < rounds; ++round) {
        TempCaseDb fresh; // a file, or tables, of this round's own
        {
            ChildProgram child(QStringLiteral("FaultKillChild.DISABLED_CreatesTheDatabase"),
                               {fresh.path()});
            ASSERT_TRUE(child.start());
            QThread::usleep(ulong(random() % ulong(span)));
            child.kill();
        }
        try {
            Fault::SavingChild next(fresh.path(), round, r0);
            next.open();
            next.saveOne(false);
        } catch (const DataError &e) {
            FAIL() << "round " << round << " (random " << r0 << "): " << e.what();
        }
        EXPECT_EQ(fresh.count(QString::fromLatin1(CaseSchema::EmployeeTable)) +
                      fresh.count(QString::fromLatin1(CaseSchema::ComplaintsTable)),
                  1)
            << "round " << round;
    }
}

} // namespace
