// Turning between the employee page and the grievance page of the real
// window, and the status text that names the employee.
#include "support/CaseFixture.h"

#include "app/StatusBar.h"

#include <QApplication>
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
const QString BlankQuestion = QStringLiteral("The File Number field is blank do you want \n\rto go to the next page anyway?");

class PageSwitch : public MainWindowTest
{
protected:
    void employee(const QString &name, const QVariant &fileNumber)
    {
        db.insert(Employee, {{QStringLiteral("Name"), name}, {QStringLiteral("File Number"), fileNumber}});
    }
    qint64 complaint(const QVariant &fileNumber, const QString &provisions)
    {
        return db.insert(Complaints, {{QStringLiteral("File Number"), fileNumber},
                                      {QStringLiteral("Contract Provinsions"), provisions}});
    }
    QTabWidget *tabs() { return window->form().SSTab2; }
    void next(int p) { QTest::mouseClick(pane(p)->button(2), Qt::LeftButton); }
    QString status() { return window->sbStatusBar()->panelText(1); }
};

TEST_F(PageSwitch, ShowsTheFirstOfTheEmployeesComplaintsAndNamesHimInTheCaption)
{
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    employee(QStringLiteral("Ruth Miles"), QStringLiteral("000321"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    complaint(QStringLiteral("0003210"), QStringLiteral("a longer number"));
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 9"));
    start();
    EXPECT_EQ(field(21)->text(), QStringLiteral("someone else's")) << "before the first turn: the whole table";
    clickTab(1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Ruth Miles"));
    EXPECT_EQ(pane(1)->recordSource(), QStringLiteral("SELECT * FROM Complaints WHERE [File Number] = '000321'"));
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 5"));
    EXPECT_EQ(pane(1)->caption(), QStringLiteral("Record: 1"));
    next(1);
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 9"));
    next(1);
    EXPECT_TRUE(pane(1)->isOnNewRecord()) << "only the two complaints of this number";

    clickTab(0);
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
}

TEST_F(PageSwitch, AnEmployeeWithoutComplaintsGetsABlankOneCarryingHisFileNumber)
{
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    clickTab(1);
    EXPECT_TRUE(pane(1)->isOnNewRecord());
    EXPECT_EQ(pane(1)->caption(), QStringLiteral("Record: 0"));
    EXPECT_EQ(field(21)->text(), QString());
    EXPECT_EQ(field(12)->text(), QStringLiteral("000654"));
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Sam"));

    // Left untouched, the prepared complaint is not stored...
    clickTab(0);
    clickTab(1);
    EXPECT_EQ(db.count(Complaints), 1);
    // ...typed into, it is stored with the number.
    typeInto(field(19), QStringLiteral("Reinstatement"));
    clickTab(0);
    clickTab(1);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"File Number\" = '000654' AND \"Remedy Sought\" = 'Reinstatement'")), 1);
    EXPECT_EQ(field(19)->text(), QStringLiteral("Reinstatement"));
    EXPECT_EQ(pane(1)->caption(), QStringLiteral("Record: 1"));
}

TEST_F(PageSwitch, ABlankFileNumberAnsweredNoReturnsToTheEmployeePage)
{
    employee(QStringLiteral("Nobody Yet"), QVariant());
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::No);
    clickTab(1);
    ASSERT_EQ(dialogs.messages().size(), 1);
    const auto &m = dialogs.messages().at(0);
    EXPECT_EQ(m.prompt, BlankQuestion);
    EXPECT_EQ(m.buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(m.icon, Dialogs::Icon::None);
    EXPECT_EQ(m.title, FileNumberTitle);
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_TRUE(field(3)->isActiveControl());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance Information"));
    EXPECT_EQ(pane(1)->recordSource(), QStringLiteral("Complaints")) << "the grievance pane was not rebuilt";
    EXPECT_EQ(field(21)->text(), QStringLiteral("someone else's"));
}

TEST_F(PageSwitch, ABlankFileNumberAnsweredYesLooksForComplaintsWithAnEmptyNumber)
{
    employee(QStringLiteral("Nobody Yet"), QVariant());
    complaint(QStringLiteral("000999"), QStringLiteral("someone else's"));
    start();
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    clickTab(1);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).prompt, BlankQuestion);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(pane(1)->recordSource(), QStringLiteral("SELECT * FROM Complaints WHERE [File Number] = ''"));
    EXPECT_TRUE(pane(1)->isOnNewRecord());
    EXPECT_EQ(field(21)->text(), QString());
    EXPECT_EQ(field(12)->text(), QString());
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("Grievance For: Nobody Yet"));
}

TEST_F(PageSwitch, EveryTurnRebuildsTheGrievancePaneAndSavesTheEditedComplaintFirst)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    const qint64 first = complaint(QStringLiteral("000321"), QStringLiteral("Art. 5"));
    start();
    clickTab(1);
    typeInto(field(19), QStringLiteral("Back pay"));
    clickTab(0);
    // Someone else files a second complaint meanwhile.
    complaint(QStringLiteral("000321"), QStringLiteral("Art. 9"));
    clickTab(1);
    EXPECT_EQ(db.row(Complaints, QStringLiteral("rowid = ?"), {first}).value(QStringLiteral("Remedy Sought")).toString(),
              QStringLiteral("Back pay"));
    EXPECT_EQ(field(19)->text(), QStringLiteral("Back pay"));
    next(1);
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 9"));

    typeInto(field(18), QStringLiteral("Mr. Grey"));
    QTest::mouseClick(window->cmdRefresh[1], Qt::LeftButton);
    EXPECT_EQ(db.count(Complaints, QStringLiteral("\"Supervisor First Contacted\" = 'Mr. Grey'")), 1);
    EXPECT_EQ(field(21)->text(), QStringLiteral("Art. 5")) << "a refresh returns to the first record";
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PageSwitch, AnApostropheInTheFileNumberIsAnOrdinaryCharacter)
{
    employee(QStringLiteral("Pat"), QStringLiteral("12'45"));
    complaint(QStringLiteral("12'45"), QStringLiteral("quoted"));
    complaint(QStringLiteral("12"), QStringLiteral("cut at the quote"));
    start();
    clickTab(1);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(field(21)->text(), QStringLiteral("quoted"));
    next(1);
    EXPECT_TRUE(pane(1)->isOnNewRecord());
}

TEST_F(PageSwitch, TheStatusTextFollowsTheNameBoxOnly)
{
    employee(QStringLiteral("Ruth"), QStringLiteral("000321"));
    employee(QStringLiteral("Sam"), QStringLiteral("000654"));
    start();
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Ruth"));
    next(0);
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Sam"));
    window->sbStatusBar()->setPanelText(QStringLiteral("marker"));
    typeInto(field(1), QStringLiteral("Sorting"));
    clickTab(1);
    typeInto(field(21), QStringLiteral("Art. 1"));
    EXPECT_EQ(status(), QStringLiteral("marker"));
    clickTab(0);
    field(0)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field(0)->editor(), Qt::Key_End);
    QTest::keyClicks(field(0)->editor(), QStringLiteral("uel"));
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: Samuel"));
    next(0);
    EXPECT_EQ(status(), QStringLiteral("Preparing grievance for: ")) << "a blank new employee";
}

} // namespace
