// The record command buttons of both pages and the Reset button, clicked in
// the real window, with every message box they show.
#include "support/CaseFixture.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

// Readable failure messages.
[[maybe_unused]] static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString Complaints = QStringLiteral("Complaints");
const QString Employee = QStringLiteral("Employee");
const QString FileNumberTitle = QStringLiteral("A File Number must be entered before entering a grievance!");

class RecordCommands : public MainWindowTest
{
protected:
    void employee(const QString &name, const QVariant &fileNumber = QVariant())
    {
        db.insert(Employee, {{QStringLiteral("Name"), name}, {QStringLiteral("File Number"), fileNumber}});
    }
    qint64 complaint(const QVariant &fileNumber, const QString &provisions)
    {
        return db.insert(Complaints, {{QStringLiteral("File Number"), fileNumber},
                                      {QStringLiteral("Contract Provinsions"), provisions}});
    }
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    void bar(int p, int which) { click(pane(p)->button(which)); }
    QTabWidget *tabs() { return window->form().SSTab2; }
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
    click(window->cmdAdd[0]);
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(field(i)->text(), QString()) << "box " << i;
    EXPECT_TRUE(field(0)->isActiveControl());
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 0"));
    EXPECT_EQ(db.count(Employee), 2);

    QTest::keyClicks(field(0)->editor(), QStringLiteral("Tess"));
    click(window->cmdUpdate[0]);
    EXPECT_EQ(db.count(Employee, QStringLiteral("Name = 'Tess'")), 1);
    EXPECT_FALSE(pane(0)->isOnNewRecord());
    EXPECT_EQ(field(0)->text(), QStringLiteral("Tess"));
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 3"));
    bar(0, 1);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Sam")) << "the stored record sits after the others";
    EXPECT_EQ(db.count(Employee), 3);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, AddOnTheGrievancePageCopiesTheEmployeesFileNumberIntoTheNewComplaint)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    start();
    clickTab(1);
    click(window->cmdAdd[1]);
    EXPECT_EQ(field(12)->text(), QStringLiteral("000321"));
    EXPECT_EQ(field(21)->text(), QString());
    EXPECT_TRUE(field(21)->isActiveControl());
    EXPECT_TRUE(dialogs.messages().isEmpty());
    // Left untouched, the new complaint is dropped by a move...
    bar(1, 1);
    EXPECT_EQ(db.count(Complaints), 1);
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 5"));
    // ...and stored by Update, with the number.
    click(window->cmdAdd[1]);
    QTest::keyClicks(field(21)->editor(), QStringLiteral("Art. 7"));
    click(window->cmdUpdate[1]);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000321'")), 2);
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 7"));
    EXPECT_EQ(pane(1)->caption(), QStringLiteral("Record: 2"));
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
        clickTab(1);
        ASSERT_EQ(tabs()->currentIndex(), 1);
        dialogs.clear();
    }
    const QString question = QStringLiteral("The File Number field is blank, do you want \n\rto enter a file number now?");
};

TEST_F(AddWithoutFileNumber, AnsweredYesReturnsToTheFileNumberBox)
{
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    click(window->cmdAdd[1]);
    ASSERT_EQ(dialogs.messages().size(), 1);
    expectMessage(0, question, Dialogs::Buttons::YesNo, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(field(3)->isActiveControl());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
    EXPECT_EQ(db.count(Complaints), 1);
}

TEST_F(AddWithoutFileNumber, AnsweredNoWarnsAndStoresTheComplaintWithoutANumber)
{
    dialogs.queueAnswer(Dialogs::Answer::No);
    click(window->cmdAdd[1]);
    ASSERT_EQ(dialogs.messages().size(), 2);
    expectMessage(0, question, Dialogs::Buttons::YesNo, FileNumberTitle);
    expectMessage(1,
                  QStringLiteral("The File Number field is blank. If you enter a\n\rgrievance with no file number "
                                 "it will get lost!"),
                  Dialogs::Buttons::Ok, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(field(12)->text(), QString());
    EXPECT_TRUE(field(21)->isActiveControl());
    QTest::keyClicks(field(21)->editor(), QStringLiteral("Art. 2"));
    click(window->cmdUpdate[1]);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Contract Provinsions\" = 'Art. 2' AND "
                                                  "IFNULL(\"File Number\", '') = ''")),
              1);
}

TEST_F(RecordCommands, UpdateStaysOnTheRecordItUpdatedEvenWhenNothingWasChanged)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    typeInto(field(1), QStringLiteral("Sorting"));
    click(window->cmdUpdate[0]);
    ASSERT_EQ(field(0)->text(), QStringLiteral("Ruth"));
    bar(0, 2);
    click(window->cmdUpdate[0]);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Sam"));
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 2"));
    typeInto(field(1), QStringLiteral("Yard"));
    click(window->cmdUpdate[0]);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Sam"));
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'Sam'")).value(QStringLiteral("Department")).toString(),
              QStringLiteral("Yard"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, DeleteAnsweredNoChangesNothing)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::No);
    click(window->cmdDelete[0]);
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Employee), 1);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 1"));
}

struct DeleteCase {
    const char *name;
    int employees;      // stored before the deletion
    bool fromLast;      // delete the last one rather than the first
    const char *shown;  // the name shown afterwards; empty for a blank new record
};

void PrintTo(const DeleteCase &c, std::ostream *os)
{
    *os << c.name;
}

class DeleteYes : public RecordCommands, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteYes, RemovesTheRecordAndMovesOnOrStartsABlankOne)
{
    const DeleteCase c = GetParam();
    const QStringList names = {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")};
    for (int i = 0; i < c.employees; ++i)
        employee(names.at(i), QStringLiteral("00010%1").arg(i));
    start();
    if (c.fromLast)
        bar(0, 3);
    const QString doomed = field(0)->text();
    click(window->cmdDelete[0]);
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Employee), std::max(0, c.employees - 1));
    if (!doomed.isEmpty()) {
        EXPECT_EQ(db.count(Employee, QStringLiteral("Name = ?"), {doomed}), 0);
    }
    EXPECT_EQ(field(0)->text(), QString::fromLatin1(c.shown));
    EXPECT_EQ(pane(0)->isOnNewRecord(), *c.shown == '\0');
    EXPECT_EQ(pane(0)->caption(), *c.shown ? QStringLiteral("Record: 1") : QStringLiteral("Record: 0"));
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
    clickTab(1);
    bar(1, 3);
    click(window->cmdDelete[1]);
    expectDeleteQuestion();
    EXPECT_EQ(db.count(Complaints), 1);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Contract Provinsions\" = 'Art. 9'")), 0);
    EXPECT_TRUE(pane(1)->isOnNewRecord());
    EXPECT_EQ(field(12)->text(), QString()) << "Delete prepares no file number";
    EXPECT_EQ(db.count(Employee), 1);
}

TEST_F(RecordCommands, RefreshSavesTheEditedRecordThenShowsTheFirstOfTheRebuiltSet)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    bar(0, 2);
    typeInto(field(1), QStringLiteral("Sorting"));
    employee(QStringLiteral("Tess"), QStringLiteral("000777")); // filed by someone else meanwhile
    click(window->cmdRefresh[0]);
    EXPECT_EQ(db.row(Employee, QStringLiteral("Name = 'Sam'")).value(QStringLiteral("Department")).toString(),
              QStringLiteral("Sorting"));
    EXPECT_EQ(field(0)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 1"));
    bar(0, 3);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Tess"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(RecordCommands, ResetShowsEveryEmployeeAgainWithoutRunningTheLookup)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Nobody Yet"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    typeInto(window->form().txtFileNumber, QStringLiteral("0006"));
    ASSERT_EQ(field(0)->text(), QStringLiteral("Sam"));
    QStringList queries;
    auto original = pane(0)->onReposition;
    pane(0)->onReposition = [&, original](int i) {
        queries << pane(0)->recordSource();
        original(i);
    };
    click(window->cmdReset);
    EXPECT_EQ(queries, QStringList({QStringLiteral("SELECT * FROM Employee")}));
    EXPECT_EQ(window->form().txtFileNumber->text(), QString());
    EXPECT_EQ(field(0)->text(), QStringLiteral("Ruth"));
    EXPECT_EQ(pane(0)->caption(), QStringLiteral("Record: 1"));
    bar(0, 2);
    EXPECT_EQ(field(0)->text(), QStringLiteral("Nobody Yet")) << "also the employee without a file number";
}

} // namespace
