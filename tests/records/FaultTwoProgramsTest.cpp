// Two programs saving into one database at the same time: one file, or one
// database on the server.
#include "faults/ChildProgram.h"
#include "faults/SavingChild.h"
#include "faults/StoredRecords.h"

#include <gtest/gtest.h>
#include <iostream>

namespace
{

using Fault::ChildProgram;

constexpr int SavesEach = 500;

// The child: a given number of new records, each reported after its commit;
// any failure a steward would have seen is reported too.
TEST(FaultTwoProgramsChild, DISABLED_SavesNewRecords)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 3);
    Fault::SavingChild child(args.at(0), args.at(1).toInt(), args.at(1).toUInt() + 7);
    try {
        child.open();
        for (int i = 0; i < args.at(2).toInt(); ++i)
            Fault::report(QStringLiteral("saved ") + child.saveOne(false));
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error %1 %2").arg(e.number()).arg(e.description()));
        FAIL() << e.what();
    }
}

TEST(FaultTwoPrograms, EverySaveOfBothIsStoredAndNoneIsRefusedAsLocked)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    const QString path = db.path();
    db.open(); // both start on existing tables
    ChildProgram a(QStringLiteral("FaultTwoProgramsChild.DISABLED_SavesNewRecords"),
                   {path, QStringLiteral("1"), QString::number(SavesEach)});
    ChildProgram b(QStringLiteral("FaultTwoProgramsChild.DISABLED_SavesNewRecords"),
                   {path, QStringLiteral("2"), QString::number(SavesEach)});
    ASSERT_TRUE(a.start());
    ASSERT_TRUE(b.start());
    const bool aPassed = a.finish();
    const bool bPassed = b.finish();
    Fault::StoredRecords stored;
    QStringList failures;
    for (ChildProgram *c : {&a, &b}) {
        for (const QString &r : c->remainingReports()) {
            if (r.startsWith(QLatin1String("saved ")))
                stored.saved(r.mid(6));
            else
                failures << r;
        }
    }
    EXPECT_TRUE(aPassed) << a.errors().toStdString();
    EXPECT_TRUE(bPassed) << b.errors().toStdString();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(stored.reported(), 2 * SavesEach);
    EXPECT_EQ(stored.distinctRecords(), 2 * SavesEach) << "each save is a record of its own";
    const Fault::StoredRecords::Verdict v = stored.check(db);
    std::cout << "saves reported " << stored.reported() << ", rows " << v.rows << ", lost "
              << v.lost << ", refused " << failures.size() << std::endl;
    EXPECT_EQ(v.integrity, QStringLiteral("ok"));
    EXPECT_EQ(v.rows, 2 * SavesEach);
    EXPECT_EQ(v.lost, 0) << v.details.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(v.halfWritten, 0) << v.details.join(QLatin1Char('\n')).toStdString();
}

} // namespace
