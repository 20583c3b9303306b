// The record command buttons of both pages and the Reset button, clicked in
// the real window, with every message box they show.
#include "support/CaseFixture.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace CaseFields;

// Readable failure messages.
[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

const QString Complaints = QStringLiteral("Complaints");
const QString Employee = QStringLiteral("Employee");
const QString FileNumberTitle =
    QStringLiteral("A File Number must be entered before entering a grievance!");

class RecordCommands : public MainWindowTest
{
  protected:
    void employee(const QString &name, const QVariant &fileNumber = QVariant())
    {
        db.insert(Employee,
                  {{QStringLiteral("Name"), name}, {QStringLiteral("File Number"), fileNumber}});
    }
    qint64 complaint(const QVariant &fileNumber, const QString &provisions)
    {
        return db.insert(Complaints, {{QStringLiteral("File Number"), fileNumber},
                                      {QStringLiteral("Contract Provinsions"), provisions}});
    }
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    void move(int p, NavigatorBar::Button which) { click(bar(p)->button(which)); }
    QTabWidget *tabs() { return windowTabs(*window); }
    void expectMessage(int i, const QString &prompt, Dialogs::Buttons buttons, const QString &title)
    {
        ASSERT_LT(i, dialogs.messages().size());
        const auto &m = dialogs.messages().at(i);
        EXPECT_EQ(m.prompt, prompt);
        EXPECT_EQ(m.buttons, buttons);
        EXPECT_EQ(m.icon, Dialogs::Icon::None);
        EXPECT_EQ(m.title, title);
    }
    void expectDeleteQuestion()
    {
        ASSERT_EQ(dialogs.messages().size(), 1) << "a deletion reports nothing";
        expectMessage(0, QStringLiteral("Delete this record?"), Dialogs::Buttons::YesNo,
                      QStringLiteral("This action has no un-do feature!"));
    }
};

TEST_F(RecordCommands, AddOnTheEmployeePageStartsABlankRecordThatUpdateStoresAndStaysOn)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    click(recordCommand(*window, "cmdAdd", EmployeePane));
    for (int i = Name; i <= DaysOff; ++i)
        EXPECT_EQ(field(i)->text(), QString()) << "box " << i;
    EXPECT_TRUE(field(Name)->isActiveControl());
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 0"));
    EXPECT_EQ(db.count(Employee), 2);

    QTest::keyClicks(field(Name)->editor(), QStringLiteral("Tess"));
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Tess'")), 1);
    EXPECT_FALSE(pane(EmployeePane)->isOnNewRecord());
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Tess"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 3"));
    move(EmployeePane, NavigatorBar::Previous);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Sam"))
        << "the stored record sits after the others";
    EXPECT_EQ(db.count(Employee), 3);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, AddOnTheGrievancePageCopiesTheEmployeesFileNumberIntoTheNewComplaint)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    start();
    clickTab(GrievancePane);
    click(recordCommand(*window, "cmdAdd", GrievancePane));
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QStringLiteral("000321"));
    EXPECT_EQ(field(ContractProvisions)->text(), QString());
    EXPECT_TRUE(field(ContractProvisions)->isActiveControl());
    EXPECT_TRUE(dialogs.messages().isEmpty());
    // Left untouched, the new complaint is dropped by a move...
    move(GrievancePane, NavigatorBar::Previous);
    EXPECT_EQ(db.count(Complaints), 1);
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 5"));
    // ...and stored by Update, with the number.
    click(recordCommand(*window, "cmdAdd", GrievancePane));
    QTest::keyClicks(field(ContractProvisions)->editor(), QStringLiteral("Art. 7"));
    click(recordCommand(*window, "cmdUpdate", GrievancePane));
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000321'")), 2);
    EXPECT_EQ(field(ContractProvisions)->text(), QStringLiteral("Art. 7"));
    EXPECT_EQ(pane(GrievancePane)->caption(), QStringLiteral("Record: 2"));
}

class AddWithoutFileNumber : public RecordCommands
{
  protected:
    void SetUp() override
    {
        RecordCommands::SetUp();
        employee(QStringLiteral("Nobody Yet"));
        complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
        start();
        dialogs.queueAnswer(Dialogs::Answer::Yes); // go to the grievance page anyway
        clickTab(GrievancePane);
        ASSERT_EQ(tabs()->currentIndex(), 1);
        dialogs.clear();
    }
    const QString question = QStringLiteral(
        "The File Number field is blank, do you want \n\rto enter a file number now?");
};

TEST_F(AddWithoutFileNumber, AnsweredYesReturnsToTheFileNumberBox)
{
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    click(recordCommand(*window, "cmdAdd", GrievancePane));
    ASSERT_EQ(dialogs.messages().size(), 1);
    expectMessage(0, question, Dialogs::Buttons::YesNo, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(field(FileNumber)->isActiveControl());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
    EXPECT_EQ(db.count(Complaints), 1);
}

TEST_F(AddWithoutFileNumber, AnsweredNoWarnsAndStoresTheComplaintWithoutANumber)
{
    dialogs.queueAnswer(Dialogs::Answer::No);
    click(recordCommand(*window, "cmdAdd", GrievancePane));
    ASSERT_EQ(dialogs.messages().size(), 2);
    expectMessage(0, question, Dialogs::Buttons::YesNo, FileNumberTitle);
    expectMessage(
        1,
        QStringLiteral(
            "The File Number field is blank. If you enter a\n\rgrievance with no file number "
            "it will get lost!"),
        Dialogs::Buttons::Ok, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QString());
    EXPECT_TRUE(field(ContractProvisions)->isActiveControl());
    QTest::keyClicks(field(ContractProvisions)->editor(), QStringLiteral("Art. 2"));
    click(recordCommand(*window, "cmdUpdate", GrievancePane));
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Contract Provinsions\" = 'Art. 2' AND "
                                                  "IFNULL(\"File Number\", '') = ''")),
              1);
}

TEST_F(RecordCommands, UpdateStaysOnTheRecordItUpdatedEvenWhenNothingWasChanged)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    typeInto(field(Department), QStringLiteral("Sorting"));
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Ruth"));
    move(EmployeePane, NavigatorBar::Next);
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Sam"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 2"));
    typeInto(field(Department), QStringLiteral("Yard"));
    click(recordCommand(*window, "cmdUpdate", EmployeePane));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Sam"));
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'Sam'"))
                  .value(QStringLiteral("Department"))
                  .toString(),
              QStringLiteral("Yard"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, DeleteAnsweredNoChangesNothing)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::No);
    click(recordCommand(*window, "cmdDelete", EmployeePane));
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Employee), 1);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 1"));
}

struct DeleteCase {
    const char *name;
    int employees;     // stored before the deletion
    bool fromLast;     // delete the last one rather than the first
    const char *shown; // the name shown afterwards; empty for a blank new record
};

void PrintTo(const DeleteCase &c, std::ostream *os)
{
    *os << c.name;
}

class DeleteYes : public RecordCommands, public ::testing::WithParamInterface<DeleteCase>
{
};

TEST_P(DeleteYes, RemovesTheRecordAndMovesOnOrStartsABlankOne)
{
    const DeleteCase c = GetParam();
    const QStringList names = {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")};
    for (int i = 0; i < c.employees; ++i)
        employee(names.at(i), QStringLiteral("00010%1").arg(i));
    start();
    if (c.fromLast)
        move(EmployeePane, NavigatorBar::Last);
    const QString doomed = field(Name)->text();
    click(recordCommand(*window, "cmdDelete", EmployeePane));
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Employee), std::max(0, c.employees - 1));
    if (!doomed.isEmpty()) {
        EXPECT_EQ(db.count(Employee, QStringLiteral("Name = ?"), {doomed}), 0);
    }
    EXPECT_EQ(field(Name)->text(), QString::fromLatin1(c.shown));
    EXPECT_EQ(pane(EmployeePane)->isOnNewRecord(), *c.shown == '\0');
    EXPECT_EQ(pane(EmployeePane)->caption(),
              *c.shown ? QStringLiteral("Record: 1") : QStringLiteral("Record: 0"));
}

INSTANTIATE_TEST_SUITE_P(Positions, DeleteYes,
                         ::testing::Values(DeleteCase{"FirstOfThree", 3, false, "Bob"},
                                           DeleteCase{"LastOfThree", 3, true, ""},
                                           DeleteCase{"TheOnlyOne", 1, false, ""},
                                           DeleteCase{"EmptyPane", 0, false, ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecordCommands, DeleteOnTheGrievancePageRemovesOnlyThatComplaint)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 9"));
    start();
    clickTab(GrievancePane);
    move(GrievancePane, NavigatorBar::Last);
    click(recordCommand(*window, "cmdDelete", GrievancePane));
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Complaints), 1);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Contract Provinsions\" = 'Art. 9'")), 0);
    EXPECT_TRUE(pane(GrievancePane)->isOnNewRecord());
    EXPECT_EQ(field(GrievanceFileNumber)->text(), QString()) << "Delete prepares no file number";
    EXPECT_EQ(db.count(Employee), 1);
}

TEST_F(RecordCommands, RefreshSavesTheEditedRecordThenShowsTheFirstOfTheRebuiltSet)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    move(EmployeePane, NavigatorBar::Next);
    typeInto(field(Department), QStringLiteral("Sorting"));
    employee(QStringLiteral("Tess"), QStringLiteral("000777")); // filed by someone else meanwhile
    click(recordCommand(*window, "cmdRefresh", EmployeePane));
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'Sam'"))
                  .value(QStringLiteral("Department"))
                  .toString(),
              QStringLiteral("Sorting"));
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 1"));
    move(EmployeePane, NavigatorBar::Last);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Tess"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, ResetShowsEveryEmployeeAgainWithoutRunningTheLookup)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Nobody Yet"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    typeInto(windowBox(*window, "txtFileNumber"), QStringLiteral("0006"));
    ASSERT_EQ(field(Name)->text(), QStringLiteral("Sam"));
    QStringList queries;
    auto original = pane(EmployeePane)->onReposition;
    pane(EmployeePane)->onReposition = [&, original](int i) {
        queries << pane(EmployeePane)->recordSource();
        original(i);
    };
    click(windowButton(*window, "cmdReset"));
    EXPECT_EQ(queries, QStringList({QStringLiteral("SELECT * FROM Employee")}));
    EXPECT_EQ(windowBox(*window, "txtFileNumber")->text(), QString());
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(EmployeePane)->caption(), QStringLiteral("Record: 1"));
    move(EmployeePane, NavigatorBar::Next);
    EXPECT_EQ(field(Name)->text(), QStringLiteral("Nobody Yet"))
        << "also the employee without a file number";
}

} // namespace
