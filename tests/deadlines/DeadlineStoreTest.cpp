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

// The status's copy of each complaint's file number, which the filter reads:
// a database from before it gains it, from the complaints as they are then,
// when it is next opened, and keeps it as complaints move to another
// employee or to none and as steps are saved. At every stage, either way of
// reading, the list is the model's.
TEST_F(DeadlineStoreTest, TheFilterKeepsItsResultsAcrossTheFileNumbersCopy)
{
    fill(60, 23);
    std::mt19937 rng(5);
    const auto expectAll = [this](const char *stage) {
        SCOPED_TRACE(stage);
        for (int few : {DeadlineList::FewEmployees, 1}) {
            expectList(*this, QStringLiteral("kowal"), QStringLiteral("kowal"), few);
            expectList(*this, QStringLiteral("ÉMILE"), QStringLiteral("émile"), few);
            expectList(*this, QStringLiteral("bo"), QStringLiteral("bob"), few);
            expectList(*this, QStringLiteral("Eve Smith 4"), QStringLiteral("eve smith 4"), few);
        }
    };
    // Some complaints filed under another employee's number, or under
    // one no employee has; the model follows.
    const auto move = [&](int howMany) {
        const QList<qint64> keys = saved.keys();
        for (int i = 0; i < howMany; ++i) {
            const qint64 key =
                keys.at(std::uniform_int_distribution<int>(0, int(keys.size()) - 1)(rng));
            const int who = std::uniform_int_distribution<int>(0, 10)(rng);
            db.query(QStringLiteral("UPDATE \"Complaints\" SET \"File Number\" = ? WHERE "
                                    "\"Grievance Number\" = ?"),
                     {who < 10 ? QStringLiteral("%1").arg(100 + who, 6, 10, QLatin1Char('0'))
                               : QStringLiteral("999999"),
                      key});
            if (who < 10)
                employeeOf.insert(
                    key, db.row(QStringLiteral("Employee"), QStringLiteral("\"File Number\" = ?"),
                                {QStringLiteral("%1").arg(100 + who, 6, 10, QLatin1Char('0'))})
                             .value(QStringLiteral("Name"))
                             .toString());
            else
                employeeOf.remove(key);
        }
    };
    ASSERT_GT(expectedList(QStringLiteral("kowal")).size(), 5);
    expectAll("made with the copy");

    // As a database from before: the column, its indexes and its triggers
    // gone.
    cdb->close();
    const QStringList drop =
        db.onServer()
            ? QStringList{QStringLiteral("DROP TRIGGER \"Grievance Status File Number\" ON "
                                         "\"Grievance Status\""),
                          QStringLiteral("DROP TRIGGER \"Complaints File Number Status\" ON "
                                         "\"Complaints\""),
                          QStringLiteral("ALTER TABLE \"Grievance Status\" DROP COLUMN \"File "
                                         "Number\"")}
            : QStringList{QStringLiteral("DROP TRIGGER \"Grievance Status File Number\""),
                          QStringLiteral("DROP TRIGGER \"Complaints File Number Status\""),
                          QStringLiteral("DROP INDEX \"Grievance Due File Number\""),
                          QStringLiteral("DROP INDEX \"Grievance File Number\""),
                          QStringLiteral("ALTER TABLE \"Grievance Status\" DROP COLUMN \"File "
                                         "Number\"")};
    for (const QString &sql : drop)
        db.query(sql);
    move(15);
    cdb = db.open();
    expectAll("the copy added");
    move(20);
    fill(10, 29); // complaints and steps saved after
    expectAll("complaints moved");
}

// A filter typed a key at a time into one list, as the Deadlines window
// does: each key's pages are the model's, with complaints added between
// keys by this program's connection and by another one, and with texts
// that narrow the last one, that widen it and that start anew. Pages of
// seven rows, so that a page kept from the last key holds fewer rows than
// the text keeps.
TEST_F(DeadlineStoreTest, AFilterTypedKeyByKeyKeepsToTheModel)
{
    fill(60, 31);
    const QList<QPair<QString, unsigned>> typed = {{QStringLiteral("b"), 0},
                                                   {QStringLiteral("bo"), 0},
                                                   {QStringLiteral("bob"), 33},
                                                   {QStringLiteral("bob n"), 0},
                                                   {QStringLiteral("owa"), 0},
                                                   {QStringLiteral("owal"), 35},
                                                   {QStringLiteral("owals"), 0},
                                                   {QStringLiteral("owal"), 0},
                                                   {QStringLiteral("kowal"), 37},
                                                   {QStringLiteral("kowals"), 0},
                                                   {QString(), 39},
                                                   {QStringLiteral("émi"), 0},
                                                   {QStringLiteral("émile"), 41},
                                                   {QStringLiteral("émile d"), 0}};
    for (int few : {DeadlineList::FewEmployees, 1}) {
        DeadlineList list(cdb);
        list.setFewEmployees(few);
        for (const auto &[text, added] : typed) {
            SCOPED_TRACE(("typed \"" + text + "\", few " + QString::number(few)).toStdString());
            list.setFilter(text);
            EXPECT_EQ(listed(list, 7), expectedList(text));
            // Complaints added after the key: a page kept from it must not
            // hide them from the next one.
            if (added)
                fill(12, added + unsigned(few));
        }
    }
}

// On a file, a text of one or two characters many employees begin with is
// tested on each deadline walked: the file number's beginning on the
// deadline's own, with an employee holding it, beside the names and
// departments that begin with it (none, a few gathered, or many read row by
// row). A server compares every text anywhere in the fields instead.
TEST_F(DeadlineStoreTest, AShortTextIsTestedOnTheDeadlinesFileNumberAndItsEmployees)
{
    if (db.onServer())
        GTEST_SKIP() << "beginnings of a short text are the file's find index's";
    fill(60, 43);
    // No employee holds the number the complaints are filed under (-1:
    // the deadlines are walked even so).
    for (int few : {DeadlineList::FewEmployees, -1}) {
        DeadlineList list(cdb);
        list.setFewEmployees(few);
        list.setFilter(QStringLiteral("99"));
        EXPECT_TRUE(listed(list, 7).isEmpty()) << few;
    }
    // The complaints under a number no employee had gain one; another
    // employee's department begins with the text.
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), QStringLiteral("Zed")},
               {QStringLiteral("File Number"), QStringLiteral("999999")},
               {QStringLiteral("Department"), QStringLiteral("Yard")}});
    QList<QPair<QDate, qint64>> zed, both;
    for (const qint64 key : saved.keys())
        if (!employeeOf.contains(key))
            employeeOf.insert(key, QStringLiteral("Zed"));
    for (const auto &row : expectedList()) {
        const QString name = employeeOf.value(row.second);
        if (name == QLatin1String("Zed"))
            zed << row;
        if (name == QLatin1String("Zed") || name == QLatin1String("Dana Kowalczyk 3"))
            both << row;
    }
    ASSERT_GT(zed.size(), 2);
    ASSERT_GT(both.size(), zed.size());
    db.query(QStringLiteral("UPDATE \"Employee\" SET \"Department\" = '9 Shop' WHERE \"File "
                            "Number\" = '000103'"));
    for (int few : {DeadlineList::FewEmployees, 1, 0}) {
        SCOPED_TRACE(few);
        DeadlineList list(cdb);
        list.setFewEmployees(few);
        list.setFilter(QStringLiteral("9"));
        EXPECT_EQ(listed(list, 7), both);
        list.setFilter(QStringLiteral("99"));
        EXPECT_EQ(listed(list, 7), zed);
    }
}
