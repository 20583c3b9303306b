// Two programs editing the same record: the second save finds the row
// changed since it was read, tells the steward which record, keeps what was
// typed, and Refresh shows the other program's change. Nothing is silently
// overwritten.
#include "faults/ChildProgram.h"
#include "support/CaseFixture.h"

#include "records/CaseSchema.h"
#include "records/RecordSet.h"

#include <QTabWidget>

#include <QPushButton>
#include <QTest>

using namespace CaseFields;

namespace
{

// Short enough for every field: a shared database holds each to its length.
const QString OtherValue = QStringLiteral("Elsewhere");

using Fault::ChildProgram;

// The other program: changes one field of a record, or deletes the record,
// through its own record set.
TEST(FaultOtherProgram, DISABLED_ChangesOneRecord)
{
    const QStringList args = Fault::childArgs();
    ASSERT_EQ(args.size(), 5); // path, table, key, field (empty: delete), value
    try {
        auto db = std::make_shared<CaseDatabase>(args.at(0));
        db->open();
        RecordSet rs(db, args.at(1));
        rs.setBookmark(args.at(2).toLongLong());
        if (args.at(3).isEmpty()) {
            rs.deleteCurrent();
        } else {
            rs.setValue(rs.fieldIndex(args.at(3)), args.at(4));
            rs.update();
        }
        Fault::report(QStringLiteral("done"));
    } catch (const DataError &e) {
        Fault::report(QStringLiteral("error ") + e.description());
        FAIL() << e.what();
    }
}

struct Conflict {
    const char *name;
    int page;
    int stewardBox;     // the box the steward edits
    int otherBox;       // the box the other program changes; -1 deletes the record
    const char *naming; // how the message names the record
};

class FaultConflict : public MainWindowTest, public ::testing::WithParamInterface<Conflict>
{
  protected:
    void append(TextBox *box, const QString &text)
    {
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box->editor(), Qt::Key_End);
        QTest::keyClicks(box->editor(), text);
    }
    void otherProgram(qint64 key)
    {
        const Conflict &c = GetParam();
        const char *table = c.page == 0 ? CaseSchema::EmployeeTable : CaseSchema::ComplaintsTable;
        const QString field = c.otherBox < 0
                                  ? QString()
                                  : QString::fromUtf8(CaseSchema::fieldName(Field(c.otherBox)));
        ChildProgram other(
            QStringLiteral("FaultOtherProgram.DISABLED_ChangesOneRecord"),
            {db.path(), QString::fromLatin1(table), QString::number(key), field, OtherValue});
        ASSERT_TRUE(other.start());
        EXPECT_EQ(other.nextReport(), QStringLiteral("done"));
        ASSERT_TRUE(other.finish()) << other.errors().toStdString();
    }
};

TEST_P(FaultConflict, SecondSaveIsRefusedNamingTheRecordAndRefreshShowsTheOtherChange)
{
    const Conflict &c = GetParam();
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), QStringLiteral("Ada O'Neil")},
               {QStringLiteral("File Number"), QStringLiteral("000123")},
               {QStringLiteral("Department"), QStringLiteral("Press")}});
    const qint64 complaint =
        db.insert(QStringLiteral("Complaints"),
                  {{QStringLiteral("File Number"), QStringLiteral("000123")},
                   {QStringLiteral("Remedy Sought"), QStringLiteral("Back pay")},
                   {QStringLiteral("Date of Violation"), QStringLiteral("3/4/24")}});
    start();
    if (c.page == 1)
        clickTab(GrievancePane);
    ASSERT_EQ(windowTabs(*window)->currentIndex(), c.page);
    const qint64 key = c.page == 0 ? 1 : complaint;
    const QString before = field(c.stewardBox)->text();
    ASSERT_FALSE(before.isEmpty());

    otherProgram(key);
    append(field(c.stewardBox), QStringLiteral("+S"));
    const QString typed = before + QStringLiteral("+S");
    dialogs.clear();
    QTest::mouseClick(recordCommand(*window, "cmdUpdate", c.page), Qt::LeftButton);

    ASSERT_EQ(dialogs.messages().size(), 1) << "the steward is told";
    const QString prompt = dialogs.messages().at(0).prompt;
    EXPECT_TRUE(prompt.contains(QString::fromLatin1(c.naming))) << prompt.toStdString();
    EXPECT_TRUE(
        prompt.contains(c.otherBox < 0 ? QStringLiteral("deleted") : QStringLiteral("changed")))
        << prompt.toStdString();
    EXPECT_EQ(field(c.stewardBox)->text(), typed) << "what was typed stays on screen";
    const QString table = QString::fromLatin1(c.page == 0 ? "Employee" : "Complaints");
    if (c.otherBox >= 0) {
        const QVariantMap row = db.row(table, QStringLiteral("rowid = ?"), {key});
        EXPECT_EQ(row.value(QString::fromUtf8(CaseSchema::fieldName(Field(c.otherBox)))).toString(),
                  OtherValue);
        EXPECT_EQ(
            row.value(QString::fromUtf8(CaseSchema::fieldName(Field(c.stewardBox)))).toString(),
            c.otherBox == c.stewardBox ? OtherValue : before)
            << "the other program's record is not overwritten";
    } else {
        EXPECT_EQ(db.count(table), 0) << "the deleted record is not brought back";
    }

    dialogs.clear();
    QTest::mouseClick(recordCommand(*window, "cmdRefresh", c.page), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().value(0).prompt.toStdString();
    if (c.otherBox >= 0) {
        EXPECT_EQ(field(c.otherBox)->text(), OtherValue);
        EXPECT_EQ(field(c.stewardBox)->text(), c.otherBox == c.stewardBox ? OtherValue : before);
        // The reloaded record takes the steward's edit again.
        append(field(c.stewardBox), QStringLiteral("!"));
        QTest::mouseClick(recordCommand(*window, "cmdUpdate", c.page), Qt::LeftButton);
        EXPECT_TRUE(dialogs.messages().isEmpty())
            << dialogs.messages().value(0).prompt.toStdString();
        EXPECT_EQ(db.row(table, QStringLiteral("rowid = ?"), {key})
                      .value(QString::fromUtf8(CaseSchema::fieldName(Field(c.stewardBox))))
                      .toString(),
                  field(c.stewardBox)->text());
    } else {
        EXPECT_TRUE(pane(c.page)->isOnNewRecord());
        EXPECT_EQ(field(c.stewardBox)->text(), QString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FaultConflict,
    ::testing::Values(
        Conflict{"EmployeeSameField", 0, 0, 0, "Employee record with File Number 000123"},
        Conflict{"EmployeeOtherField", 0, 0, 4, "Employee record with File Number 000123"},
        Conflict{"EmployeeDeleted", 0, 0, -1, "Employee record with File Number 000123"},
        Conflict{"ComplaintSameField", 1, 19, 19, "Complaints record with Grievance Number 1"},
        Conflict{"ComplaintOtherField", 1, 19, 20, "Complaints record with Grievance Number 1"},
        Conflict{"ComplaintDeleted", 1, 19, -1, "Complaints record with Grievance Number 1"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
