// The deadline tables on either back end: the next deadline stored with
// each save follows the plan, under the rules stored then and after they
// change; the list pages through exactly the open complaints with one, in
// date order, filtered as Find finds employees; two stewards' saves never
// overwrite each other; a deleted complaint takes its steps along.
#include "deadlines/DeadlineFixture.h"

#include "records/DeadlineSchema.h"

#include <QSqlQuery>

namespace
{

using DeadlineStoreTest = DeadlineFixture;

void expectList(DeadlineFixture &f, const QString &text, const QString &nameHolds, int few)
{
    SCOPED_TRACE(("filter \"" + text + "\"").toStdString());
    DeadlineList list(f.cdb);
    list.setFewEmployees(few);
    list.setFilter(text);
    EXPECT_EQ(f.listed(list, 7), f.expectedList(nameHolds));
}

} // namespace

TEST_F(DeadlineStoreTest, StoredDeadlinesAndTheListFollowThePlanAsTheRulesChange)
{
    fill(60, 7);
    // Enough of each kind that a wrong list could not pass for a right one.
    ASSERT_GT(expectedList().size(), 20);
    ASSERT_GT(expectedList(QStringLiteral("kowal")).size(), 5);
    ASSERT_GT(expectedList(QStringLiteral("bob")).size(), 2);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "default time limits" : "time limits changed");
        EXPECT_EQ(stored(), expectedStored());
        // Both ways of reading a filtered list on a file: from the few
        // employees found, and walking the deadlines.
        for (int few : {DeadlineList::FewEmployees, 1}) {
            expectList(*this, QString(), QString(), few);
            expectList(*this, QStringLiteral("KOWAL"), QStringLiteral("kowal"), few);
            expectList(*this, QStringLiteral("émile"), QStringLiteral("émile"), few);
            expectList(*this, QStringLiteral("Bo"), QStringLiteral("bob"), few);
            expectList(*this, QStringLiteral("no one"), QStringLiteral("no one"), few);
        }
        const QDate today(2025, 1, 15);
        const QDate until = rules.calendar.addWorkingDays(today, 3);
        DeadlineList::Counts expected;
        for (const auto &[due, number] : expectedList())
            (due < today ? expected.overdue : expected.soon) += due <= until ? 1 : 0;
        const DeadlineList::Counts counts = DeadlineList::counts(*cdb, today, until);
        EXPECT_EQ(counts.overdue, expected.overdue);
        EXPECT_EQ(counts.soon, expected.soon);

        // Another contract: calendar days for the first step, a step more,
        // and a shutdown at the year's end.
        OfficeLimits office = DeadlineStore::readLimits(*cdb);
        office.limits[0].days = 14;
        office.limits[0].workingDays = false;
        office.limits[0].nextWorkingDay = false;
        office.limits.insert(2, {0, QStringLiteral("Step 1½ – Mediation"), StepActor::UnionFiles, 5,
                                 true, CountedFrom::PreviousAnswer, true});
        for (int d = 0; d < 10; ++d)
            office.holidays << QDate(2024, 12, 23).addDays(d);
        const OfficeLimits saved = DeadlineStore::saveLimits(*cdb, office);
        EXPECT_EQ(saved.version, office.version + 1);
        EXPECT_GT(saved.limits.at(2).id, 7) << "a new step has an id of its own";
        rules = DeadlineStore::readRules(*cdb);
        EXPECT_EQ(rules.limits, saved.limits);
    }
}

TEST_F(DeadlineStoreTest, TwoStewardsSavesNeverOverwriteEachOther)
{
    fill(3, 11);
    auto other = std::make_shared<CaseDatabase>(db.path());
    other->open();

    const OfficeLimits mine = DeadlineStore::readLimits(*cdb);
    OfficeLimits theirs = DeadlineStore::readLimits(*other);
    theirs.limits[0].days = 3;
    DeadlineStore::saveLimits(*other, theirs);
    OfficeLimits late = mine;
    late.limits[0].days = 30;
    try {
        DeadlineStore::saveLimits(*cdb, late);
        FAIL() << "a save over another steward's time limits went through";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::WriteConflict);
    }
    EXPECT_EQ(DeadlineStore::readLimits(*cdb).limits.at(0).days, 3);

    // A step recorded for a complaint is never removed with its records.
    OfficeLimits fewer = DeadlineStore::readLimits(*cdb);
    ComplaintSteps s = DeadlineStore::readComplaint(*cdb, saved.firstKey());
    s.steps = {{fewer.limits.at(0).id, QDate(2024, 5, 6), {}, QStringLiteral("filed orally")}};
    s = DeadlineStore::saveComplaint(*cdb, s);
    fewer.limits.removeFirst();
    EXPECT_THROW(DeadlineStore::saveLimits(*cdb, fewer), DataError);
    EXPECT_EQ(DeadlineStore::readLimits(*cdb).limits.size(), fewer.limits.size() + 1);

    // The same complaint's steps, read by both and saved by both.
    const ComplaintSteps a = DeadlineStore::readComplaint(*cdb, s.grievanceNumber);
    ComplaintSteps b = DeadlineStore::readComplaint(*other, s.grievanceNumber);
    b.status = GrievanceStatus::Settled;
    DeadlineStore::saveComplaint(*other, b);
    try {
        DeadlineStore::saveComplaint(*cdb, a);
        FAIL() << "a save over another steward's steps went through";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::WriteConflict);
    }
    EXPECT_EQ(DeadlineStore::readComplaint(*cdb, s.grievanceNumber).status,
              GrievanceStatus::Settled);

    // A complaint deleted by the program takes its status and steps along;
    // steps saved for it afterwards are refused.
    const ComplaintSteps last = DeadlineStore::readComplaint(*cdb, s.grievanceNumber);
    cdb->write([&](QSqlQuery &q) {
        ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM \"Complaints\" WHERE \"Grievance Number\" "
                                          "= %1")
                               .arg(s.grievanceNumber)));
    });
    EXPECT_EQ(db.count(QStringLiteral("\"Grievance Status\""),
                       QStringLiteral("\"Grievance Number\" = ?"), {s.grievanceNumber}),
              0);
    EXPECT_EQ(db.count(QStringLiteral("\"Grievance Steps\""),
                       QStringLiteral("\"Grievance Number\" = ?"), {s.grievanceNumber}),
              0);
    try {
        DeadlineStore::saveComplaint(*other, last);
        FAIL() << "steps were saved for a deleted complaint";
    } catch (const DataError &e) {
        EXPECT_EQ(e.number(), DataErrors::RowDeleted);
    }
}

TEST_F(DeadlineStoreTest, ADatabaseFromBeforeGainsTheTablesWithTheDefaultSteps)
{
    cdb->close();
    for (const char *table :
         {DeadlineSchema::StepsTable, DeadlineSchema::StatusTable, DeadlineSchema::HolidaysTable,
          DeadlineSchema::LimitsTable, DeadlineSchema::SettingsTable})
        db.query(QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(table)));
    CaseDatabase older(db.path());
    older.open();
    ASSERT_TRUE(DeadlineStore::available(older));
    const OfficeLimits office = DeadlineStore::readLimits(older);
    EXPECT_EQ(office.limits, DeadlinePlan::defaultLimits());
    EXPECT_TRUE(office.holidays.isEmpty());
}
